// Keeps exceptions from a model's handler out of Qt's event loop.
#include "qt/SafeCall.h"

#include <QtGlobal>
#include <exception>

namespace qt {

void SafeCall(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& e) {
        qWarning("Sirenwatch: a handler failed: %s", e.what());
    } catch (...) {
        qWarning("Sirenwatch: a handler failed");
    }
}

}  // namespace qt
