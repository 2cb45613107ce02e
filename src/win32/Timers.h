// The timers of a form with Windows timers: each ticks its model at its interval while it is
// enabled. Timer messages are handled by the thread's message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/Controls.h"

namespace win32 {

class Timers {
public:
    // Follows every timer of the form from now on; destroy before the form.
    explicit Timers(ui::Form& form);
    ~Timers();
    Timers(const Timers&) = delete;
    Timers& operator=(const Timers&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
    void Follow(std::size_t index);

    HWND window_ = nullptr;  // a message-only window that owns the Windows timers
    std::vector<ui::Timer*> timers_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // read by the models' listeners
};

}  // namespace win32
