// Builds and follows the window of a form model.
#include "win32/FormWindow.h"

#include "win32/Binders.h"
#include "win32/ControlName.h"
#include "win32/Geometry.h"
#include "win32/Painted.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"

namespace win32 {

namespace {

// The forms were laid out for the 8-point "MS Sans Serif" of their time.
constexpr int kFormFontPoints = 8;

void SendToBottom(HWND window) {
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

FormWindow::FormWindow(ui::Form& form, HWND owner) : form_(form), dpi_(ScreenDpi()) {
    RegisterWindowClass(kClassName, Proc, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
    font_ = CreateFontW(-MulDiv(kFormFontPoints, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    const DWORD style = owner ? (WS_POPUP | WS_CAPTION | WS_SYSMENU)
                              : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    const DWORD exStyle = owner ? WS_EX_DLGMODALFRAME : 0;
    window_ = CreateWindowExW(exStyle, kClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                              owner, nullptr, GetModuleHandleW(nullptr), this);
    SetControlName(window_, Utf16(form.Name()).c_str());
    if (!form.Menus().empty()) menuBar_ = std::make_unique<MenuBar>(form.Menus(), window_);
    // The client area is the form's size; the frame and the menu bar come on top of it.
    RECT outer = {0, 0, TwipsToPixels(form.Width(), dpi_), TwipsToPixels(form.Height(), dpi_)};
    AdjustWindowRectEx(&outer, style, GetMenu(window_) != nullptr, exStyle);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    icon_ = ProgramIcon(GetSystemMetrics(SM_CXICON));
    BuildControls();
    form_.Subscribe([this, alive = alive_] {
        if (*alive) FollowForm();
    });
    FollowForm();
}

FormWindow::~FormWindow() {
    *alive_ = false;
    if (IsWindow(window_)) DestroyWindow(window_);
    DeleteObject(font_);
    DestroyIcon(icon_);
    for (auto& [color, brush] : brushes_) DeleteObject(brush);
}

HWND FormWindow::HandleFor(const ui::Control& control) const {
    const auto found = windows_.find(&control);
    return found == windows_.end() ? nullptr : found->second;
}

// ---- the window procedure

LRESULT CALLBACK FormWindow::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
        auto* self = static_cast<FormWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, w, l);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        ForgetControlName(window);
        return DefWindowProcW(window, message, w, l);
    }
    return self->Handle(message, w, l);
}

LRESULT FormWindow::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CLOSE:
            // The model decides: its close handler runs (a cancel button, or the program's
            // end), and the window follows the form's state.
            if (form_.onClose)
                SafeCall(form_.onClose);
            else
                SafeCall([this] { form_.Hide(); });
            return 0;
        case WM_MOVE:
            if (!following_ && IsWindowVisible(window_) && !IsIconic(window_)) {
                RECT place;
                GetWindowRect(window_, &place);
                // Twips round to pixels: write back only a real move, or the window would creep.
                if (TwipsToPixels(form_.Left(), dpi_) != place.left)
                    form_.SetLeft(PixelsToTwips(place.left, dpi_));
                if (TwipsToPixels(form_.Top(), dpi_) != place.top)
                    form_.SetTop(PixelsToTwips(place.top, dpi_));
            }
            return 0;
        case WM_SIZE:
            if (!following_) {
                const auto state =
                    w == SIZE_MINIMIZED ? ui::WindowState::Minimized : ui::WindowState::Normal;
                if (form_.State() != state) form_.SetState(state);
            }
            return 0;
        case WM_COMMAND:
            if (l == 0) {  // a menu item
                if (menuBar_ && menuBar_->Command(LOWORD(w))) return 0;
                break;
            }
            SendMessageW(reinterpret_cast<HWND>(l), kReflected + message, w, l);
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (l != 0) SendMessageW(reinterpret_cast<HWND>(l), kReflected + message, w, l);
            return 0;
        case WM_GETFONT:  // the binders make their children in it
            return reinterpret_cast<LRESULT>(font_);
        case WM_CTLCOLORSTATIC:
            return ControlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), COLOR_BTNFACE);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return ControlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), COLOR_WINDOW);
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
            if (item->CtlType != ODT_MENU) SendMessageW(item->hwndItem, kReflected + message, w, l);
            return TRUE;
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, w, l);
}

// The background a control's model asks for, or the system's.
LRESULT FormWindow::ControlColor(HDC dc, HWND child, int systemColor) {
    ui::Color color = -1;
    SendMessageW(child, kAskBackColor, 0, reinterpret_cast<LPARAM>(&color));
    const COLORREF background = HasColor(color) ? ToColorRef(color) : GetSysColor(systemColor);
    SetBkColor(dc, background);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(Brush(background));
}

HBRUSH FormWindow::Brush(COLORREF color) {
    HBRUSH& brush = brushes_[color];
    if (!brush) brush = CreateSolidBrush(color);
    return brush;
}

// ---- controls

void FormWindow::BuildControls() {
    for (ui::Control* control : form_.Controls()) {
        HWND window = Bind(*control);
        if (!window) continue;
        windows_[control] = window;
        SetControlName(window, Utf16(control->Name()).c_str());
    }
    // Labels lie under the boxes they overlap, and frames under everything they hold.
    for (const ui::Control* control : form_.Controls())
        if (dynamic_cast<const ui::Label*>(control)) SendToBottom(HandleFor(*control));
    for (const ui::Control* control : form_.Controls())
        if (dynamic_cast<const ui::Frame*>(control)) SendToBottom(HandleFor(*control));
}

HWND FormWindow::Bind(ui::Control& control) {
    if (auto* c = dynamic_cast<ui::Grid*>(&control)) return BindGrid(*c, window_);
    if (auto* c = dynamic_cast<ui::Label*>(&control)) return BindLabel(*c, window_);
    if (auto* c = dynamic_cast<ui::TextBox*>(&control)) return BindTextBox(*c, window_);
    if (auto* c = dynamic_cast<ui::Button*>(&control)) return BindButton(*c, window_);
    if (auto* c = dynamic_cast<ui::CheckBox*>(&control)) return BindCheckBox(*c, window_);
    if (auto* c = dynamic_cast<ui::ListBox*>(&control)) return BindListBox(*c, window_);
    if (auto* c = dynamic_cast<ui::ScrollBar*>(&control)) return BindScrollBar(*c, window_);
    if (auto* c = dynamic_cast<ui::Frame*>(&control)) return BindFrame(*c, window_);
    if (auto* c = dynamic_cast<ui::Shape*>(&control)) return BindShape(*c, window_);
    if (auto* c = dynamic_cast<ui::Image*>(&control)) return BindImage(*c, window_);
    return nullptr;  // timers tick with win32::Timers
}

// ---- the form itself

void FormWindow::FollowForm() {
    following_ = true;
    SetText(window_, Utf16(form_.Caption()));
    const bool programIcon = form_.Icon() == "sirenwatch";
    SendMessageW(window_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(programIcon ? icon_ : nullptr));
    SendMessageW(window_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(programIcon ? icon_ : nullptr));
    const int left = TwipsToPixels(form_.Left(), dpi_);
    const int top = TwipsToPixels(form_.Top(), dpi_);
    RECT place;
    GetWindowRect(window_, &place);
    if (!IsIconic(window_) && (place.left != left || place.top != top))
        SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool minimized = form_.State() == ui::WindowState::Minimized;
    if (form_.Shown() && minimized != static_cast<bool>(IsIconic(window_)))
        ShowWindow(window_, minimized ? SW_MINIMIZE : SW_RESTORE);
    following_ = false;
    const bool shown = form_.Shown();
    if (shown == shown_) return;
    shown_ = shown;
    if (shown) {
        ShowWindow(window_, minimized ? SW_SHOWMINIMIZED : SW_SHOW);
        UpdateWindow(window_);
    } else {
        ShowWindow(window_, SW_HIDE);
        SafeCall(onHidden);
    }
}

}  // namespace win32
