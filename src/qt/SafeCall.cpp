// Keeps exceptions from a model's handler out of Qt's event loop.
#include "qt/SafeCall.h"

#include <exception>

#include "platform/Log.h"

namespace qt {

void SafeCall(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& e) {
        platform::LogLine(platform::Level::Warning) << "a handler failed: " << e.what();
    } catch (...) {
        platform::Log(platform::Level::Warning, "a handler failed");
    }
}

}  // namespace qt
