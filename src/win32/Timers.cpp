// Windows timers for the timer models.
#include "win32/Timers.h"

#include "win32/SafeCall.h"
#include "win32/WindowClass.h"

namespace win32 {

namespace {

constexpr wchar_t kClassName[] = L"SirenwatchTimers";

}  // namespace

Timers::Timers(ui::Form& form) {
    RegisterWindowClass(kClassName, WindowProc);
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    for (ui::Control* control : form.Controls()) {
        auto* timer = dynamic_cast<ui::Timer*>(control);
        if (!timer) continue;
        const std::size_t index = timers_.size();
        timers_.push_back(timer);
        timer->Subscribe([this, index, alive = alive_] {
            if (*alive) Follow(index);
        });
        Follow(index);
    }
}

Timers::~Timers() {
    *alive_ = false;
    DestroyWindow(window_);
}

void Timers::Follow(std::size_t index) {
    const ui::Timer& timer = *timers_[index];
    const UINT_PTR id = index + 1;
    if (timer.TimerEnabled() && timer.Interval() > 0)
        SetTimer(window_, id, static_cast<UINT>(timer.Interval()), nullptr);
    else
        KillTimer(window_, id);
}

LRESULT CALLBACK Timers::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_TIMER) return DefWindowProcW(window, message, w, l);
    auto* self = reinterpret_cast<Timers*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || w < 1 || w > self->timers_.size()) return 0;
    ui::Timer& timer = *self->timers_[w - 1];
    SafeCall([&timer] { timer.Tick(); });
    return 0;
}

}  // namespace win32
