// Handlers run from window procedures: nothing they throw may unwind through Windows.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace win32 {

// Runs the handler when there is one. A failure it lets out is written to the debugger's
// output and goes no further: the program's own handlers report their failures themselves.
inline void SafeCall(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& e) {
        OutputDebugStringA((std::string("Sirenwatch: a handler failed: ") + e.what()).c_str());
    } catch (...) {
        OutputDebugStringA("Sirenwatch: a handler failed");
    }
}

}  // namespace win32
