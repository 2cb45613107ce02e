// The timers port with Windows timers: a message-only window owns them, the thread's message
// loop runs them.
#pragma once

#include <windows.h>

#include <functional>
#include <map>

#include "platform/Timers.h"

namespace win32 {

class Win32Timers final : public platform::Timers {
public:
    Win32Timers();
    ~Win32Timers() override;
    Win32Timers(const Win32Timers&) = delete;
    Win32Timers& operator=(const Win32Timers&) = delete;

    Id After(int ms, std::function<void()> then) override;
    void Cancel(Id id) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    void Ring(Id id);

    HWND window_ = nullptr;
    Id next_ = 1;
    std::map<Id, std::function<void()>> waiting_;
};

}  // namespace win32
