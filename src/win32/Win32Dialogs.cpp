// Message boxes, notices and modal forms.
#include "win32/Win32Dialogs.h"

#include "win32/FormWindow.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"

namespace win32 {

namespace {

constexpr char kDefaultTitle[] = "Sirenwatch";
constexpr int kNoticeText = 1;

UINT BoxIcon(platform::Icon icon) {
    switch (icon) {
        case platform::Icon::Critical:
            return MB_ICONERROR;
        case platform::Icon::Question:
            return MB_ICONQUESTION;
        case platform::Icon::Exclamation:
            return MB_ICONWARNING;
        case platform::Icon::Information:
            return MB_ICONINFORMATION;
        case platform::Icon::None:
            break;
    }
    return 0;
}

LRESULT CALLBACK NoticeProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if ((message == WM_COMMAND && LOWORD(w) == IDOK) || message == WM_CLOSE) {
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    if (message == WM_CTLCOLORSTATIC)
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return DefWindowProcW(window, message, w, l);
}

HWND CreateNotice(HWND owner) {
    RegisterWindowClass(Win32Dialogs::kNoticeClass, NoticeProc, 0, GetSysColorBrush(COLOR_BTNFACE));
    HWND notice = CreateWindowExW(WS_EX_DLGMODALFRAME, Win32Dialogs::kNoticeClass,
                                  Utf16(kDefaultTitle).c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 420, 170, owner, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND text = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                12, 12, 390, 80, notice,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kNoticeText)),
                                GetModuleHandleW(nullptr), nullptr);
    HWND ok = CreateWindowExW(
        0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 165, 100, 80, 26, notice,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDOK)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return notice;
}

}  // namespace

Win32Dialogs::~Win32Dialogs() {
    if (notice_ && IsWindow(notice_)) DestroyWindow(notice_);
}

platform::Answer Win32Dialogs::MsgBox(const std::string& text, platform::Buttons buttons,
                                      platform::Icon icon,
                                      const std::optional<std::string>& title) {
    const std::wstring caption = Utf16(title && !title->empty() ? *title : kDefaultTitle);
    const UINT type = (buttons == platform::Buttons::OkCancel ? MB_OKCANCEL : MB_OK) |
                      BoxIcon(icon) | MB_SETFOREGROUND | (owner_ ? 0 : MB_TASKMODAL);
    const int answer = MessageBoxW(owner_, WindowsLines(text).c_str(), caption.c_str(), type);
    return answer == IDOK ? platform::Answer::Ok : platform::Answer::Cancel;
}

void Win32Dialogs::Notice(const std::string& text, platform::Icon icon) {
    if (!notice_ || !IsWindow(notice_)) notice_ = CreateNotice(owner_);
    if (icon == platform::Icon::Critical || icon == platform::Icon::Exclamation)
        MessageBeep(BoxIcon(icon));
    SetDlgItemTextW(notice_, kNoticeText, WindowsLines(text).c_str());
    // Shown, never waited for: the caller goes straight on. An open notice is not brought to the
    // front again, so a run of failures does not keep taking the focus.
    if (!IsWindowVisible(notice_)) ShowWindow(notice_, SW_SHOWNORMAL);
}

void Win32Dialogs::ShowModal(ui::Form& form) {
    // A window of its own for each showing: a form may be made afresh between showings.
    FormWindow window(form, owner_);
    bool hidden = false;
    window.onHidden = [&hidden] { hidden = true; };
    if (owner_) EnableWindow(owner_, FALSE);
    form.Show();
    SetForegroundWindow(window.Handle());
    SafeCall(form.onActivate);
    MSG message;
    while (!hidden && form.Shown()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop to see
            break;
        }
        if (IsDialogMessageW(window.Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (owner_) {
        EnableWindow(owner_, TRUE);
        SetActiveWindow(owner_);
    }
}

}  // namespace win32
