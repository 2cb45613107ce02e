// The input window: a label, an edit box, OK and Cancel, and a message loop of its own until
// one of them is chosen.
#include "win32_host/AskDialog.h"

#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"
#include "win32/WindowOwner.h"

namespace win32_host {
namespace {

constexpr wchar_t kClassName[] = L"SirenwatchAsk";
constexpr int kMargin = 8, kButtonWidth = 80, kButtonHeight = 24, kLabelHeight = 18;

struct Asking {
    HWND edit = nullptr;
    bool done = false;
    std::optional<std::string> answer;
};

// The box's text with Windows' line ends back to "\n".
std::string Typed(HWND edit) {
    std::string text = win32::Utf8(win32::WindowTextOf(edit));
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* asking = win32::OwnerOf<Asking>(window, message, l);
    if (asking == nullptr) return DefWindowProcW(window, message, w, l);
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(w) == IDOK) {
                win32::SafeCall([&] { asking->answer = Typed(asking->edit); });
                asking->done = true;
                return 0;
            }
            if (LOWORD(w) == IDCANCEL) {
                asking->done = true;
                return 0;
            }
            break;
        case WM_CLOSE:
            asking->done = true;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, w, l);
}

HWND Child(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style, int id,
           const wchar_t* name, RECT place) {
    HWND child = CreateWindowExW(
        windowClass == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, windowClass, text.c_str(),
        WS_CHILD | WS_VISIBLE | style, place.left, place.top, place.right - place.left,
        place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
    win32::SetControlName(child, name);
    return child;
}

// Centred over the owner, or where Windows puts new windows without one.
POINT PlaceOver(HWND owner, SIZE size) {
    RECT around{};
    if (!owner || !GetWindowRect(owner, &around)) return {CW_USEDEFAULT, CW_USEDEFAULT};
    return {around.left + (around.right - around.left - size.cx) / 2,
            around.top + (around.bottom - around.top - size.cy) / 2};
}

HWND Build(HWND owner, const dashboard::Question& question, bool english, Asking& asking) {
    win32::RegisterWindowClass(kClassName, Proc, 0, GetSysColorBrush(COLOR_BTNFACE));
    const int width = question.multiLine ? 420 : 360;
    const int editHeight = question.multiLine ? 110 : 22;
    const int height = kMargin + kLabelHeight + 4 + editHeight + kMargin + kButtonHeight + kMargin;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_DLGMODALFRAME);
    const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
    const POINT at = PlaceOver(owner, size);
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName,
                                  win32::Utf16(question.title).c_str(), style, at.x, at.y, size.cx,
                                  size.cy, owner, nullptr, GetModuleHandleW(nullptr), &asking);
    win32::SetControlName(window, L"Ask");
    int y = kMargin;
    Child(window, L"STATIC", win32::Utf16(question.label), SS_NOPREFIX, -1, L"AskLabel",
          {kMargin, y, width - kMargin, y + kLabelHeight});
    y += kLabelHeight + 4;
    const DWORD editStyle = WS_TABSTOP | (question.multiLine ? ES_MULTILINE | ES_WANTRETURN |
                                                                   ES_AUTOVSCROLL | WS_VSCROLL
                                                             : ES_AUTOHSCROLL);
    asking.edit = Child(window, L"EDIT", L"", editStyle, 100, L"AskText",
                        {kMargin, y, width - kMargin, y + editHeight});
    y += editHeight + kMargin;
    const int cancelLeft = width - kMargin - kButtonWidth;
    const int okLeft = cancelLeft - kMargin - kButtonWidth;
    Child(window, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, L"AskOk",
          {okLeft, y, okLeft + kButtonWidth, y + kButtonHeight});
    Child(window, L"BUTTON", english ? L"Cancel" : L"Annulla", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL,
          L"AskCancel", {cancelLeft, y, cancelLeft + kButtonWidth, y + kButtonHeight});
    return window;
}

}  // namespace

std::optional<std::string> AskText(HWND owner, const dashboard::Question& question, bool english) {
    Asking asking;
    HWND window = Build(owner, question, english, asking);
    if (!window) return std::nullopt;
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    SetFocus(asking.edit);
    MSG message;
    while (!asking.done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the loop outside must see the quit too.
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            asking.answer.reset();
            break;
        }
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    DestroyWindow(window);
    return asking.answer;
}

}  // namespace win32_host
