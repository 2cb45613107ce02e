#include "win32_host/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>

#include "win32/Painted.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"

namespace win32_host {
namespace {

constexpr wchar_t kClassName[] = L"SirenwatchTray";
constexpr UINT kIconId = 1;
constexpr UINT kIconMessage = WM_APP + 1;

// Copies as much of `text` as the field holds, always ending it.
template <std::size_t N>
void Fill(wchar_t (&field)[N], const std::string& text) {
    const std::wstring wide = win32::Utf16(text);
    const std::size_t length = std::min(wide.size(), N - 1);
    std::wmemcpy(field, wide.data(), length);
    field[length] = L'\0';
}

}  // namespace

TrayIcon::TrayIcon() {
    win32::RegisterWindowClass(kClassName, Proc);
    // A message-only window receives the icon's clicks.
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), this);
    icon_ = win32::ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    // Explorer restarting gives a new notification area: the icon goes in again.
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

TrayIcon::~TrayIcon() {
    if (added_) {
        NOTIFYICONDATAW data = Data();
        Shell_NotifyIconW(NIM_DELETE, &data);
    }
    if (window_) DestroyWindow(window_);
    if (icon_) DestroyIcon(icon_);
}

NOTIFYICONDATAW TrayIcon::Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kIconId;
    data.uCallbackMessage = kIconMessage;
    data.hIcon = icon_;
    Fill(data.szTip, "Sirenwatch");
    return data;
}

bool TrayIcon::Tell(const std::string& title, const std::string& text, bool critical) {
    if (!added_) return false;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_INFO;
    Fill(data.szInfoTitle, title);
    Fill(data.szInfo, text);
    data.dwInfoFlags = critical ? NIIF_ERROR : NIIF_WARNING;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

LRESULT CALLBACK TrayIcon::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TrayIcon*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kIconMessage &&
        (LOWORD(l) == WM_LBUTTONUP || LOWORD(l) == NIN_BALLOONUSERCLICK))
        win32::SafeCall(self->onActivate);
    if (self && self->taskbarCreated_ != 0 && message == self->taskbarCreated_) {
        NOTIFYICONDATAW data = self->Data();
        data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        self->added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    }
    return DefWindowProcW(window, message, w, l);
}

}  // namespace win32_host
