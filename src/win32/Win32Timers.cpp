// One-shot timers on the thread's message loop.
#include "win32/Win32Timers.h"

#include "win32/SafeCall.h"
#include "win32/WindowClass.h"

namespace win32 {
namespace {

constexpr wchar_t kClassName[] = L"SirenwatchOneShotTimers";

}  // namespace

Win32Timers::Win32Timers() {
    RegisterWindowClass(kClassName, WindowProc);
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Timers::~Win32Timers() {
    DestroyWindow(window_);
}

platform::Timers::Id Win32Timers::After(int ms, std::function<void()> then) {
    const Id id = next_++;
    waiting_.emplace(id, std::move(then));
    SetTimer(window_, static_cast<UINT_PTR>(id), static_cast<UINT>(ms < 0 ? 0 : ms), nullptr);
    return id;
}

void Win32Timers::Cancel(Id id) {
    KillTimer(window_, static_cast<UINT_PTR>(id));
    waiting_.erase(id);
}

void Win32Timers::Ring(Id id) {
    KillTimer(window_, static_cast<UINT_PTR>(id));  // once
    const auto found = waiting_.find(id);
    if (found == waiting_.end()) return;
    const std::function<void()> then = std::move(found->second);
    waiting_.erase(found);
    SafeCall(then);
}

LRESULT CALLBACK Win32Timers::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message != WM_TIMER) return DefWindowProcW(window, message, w, l);
    auto* self = reinterpret_cast<Win32Timers*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) self->Ring(static_cast<Id>(w));
    return 0;
}

}  // namespace win32
