// Runs a model's handler from a Qt slot: nothing may unwind into Qt's event loop.
#pragma once

#include <functional>

namespace qt {

// Calls the handler when it is set; an exception is reported on standard error and dropped.
void SafeCall(const std::function<void()>& handler);

}  // namespace qt
