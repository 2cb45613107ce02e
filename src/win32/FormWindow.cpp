// Builds and follows the window of a form model; one binder per kind of control.
#include "win32/FormWindow.h"

#include <commctrl.h>

#include "win32/Geometry.h"
#include "win32/GridWindow.h"
#include "win32/Painted.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"

namespace win32 {

namespace {

// The forms were laid out for the 8-point "MS Sans Serif" of their time.
constexpr int kFormFontPoints = 8;
constexpr UINT kFirstMenuId = 1000;
constexpr UINT_PTR kTextBoxSubclass = 1;

std::wstring WindowTextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SendToBottom(HWND window) {
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetText(HWND window, const std::wstring& text) {
    if (WindowTextOf(window) != text) SetWindowTextW(window, text.c_str());
}

// Clicks and typed characters of a text box reach its model's handlers; a character code the
// key handler sets to 0 is swallowed.
LRESULT CALLBACK TextBoxProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                             DWORD_PTR data) {
    auto& model = *reinterpret_cast<ui::TextBox*>(data);
    if (message == WM_CHAR && model.onKeyPress) {
        auto code = static_cast<std::int16_t>(w);
        SafeCall([&] { model.onKeyPress(code); });
        if (code == 0) return 0;
        w = static_cast<WPARAM>(static_cast<std::uint16_t>(code));
    }
    const LRESULT result = DefSubclassProc(window, message, w, l);
    if (message == WM_LBUTTONUP) SafeCall(model.onClick);
    return result;
}

}  // namespace

FormWindow::FormWindow(ui::Form& form, HWND owner) : form_(form), dpi_(ScreenDpi()) {
    RegisterWindowClass(kClassName, Proc, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
    RegisterPaintedClasses();
    font_ = CreateFontW(-MulDiv(kFormFontPoints, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    const DWORD style = owner ? (WS_POPUP | WS_CAPTION | WS_SYSMENU)
                              : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    const DWORD exStyle = owner ? WS_EX_DLGMODALFRAME : 0;
    window_ = CreateWindowExW(exStyle, kClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                              owner, nullptr, GetModuleHandleW(nullptr), this);
    SetPropW(window_, kNameProperty,
             reinterpret_cast<HANDLE>(
                 static_cast<UINT_PTR>(GlobalAddAtomW(Utf16(form.Name()).c_str()))));
    BuildMenus();
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
        if (ATOM atom =
                static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(window, kNameProperty))))
            GlobalDeleteAtom(atom);
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
            if (Command(w, l)) return 0;
            break;
        case WM_HSCROLL:
        case WM_VSCROLL: {
            const auto child = children_.find(reinterpret_cast<HWND>(l));
            if (child != children_.end() && child->second.onScroll)
                child->second.onScroll(LOWORD(w));
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            return ControlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), COLOR_BTNFACE);
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return ControlColor(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l), COLOR_WINDOW);
        case WM_DRAWITEM:
            DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        default:
            break;
    }
    return DefWindowProcW(window_, message, w, l);
}

bool FormWindow::Command(WPARAM w, LPARAM l) {
    if (l == 0) {  // a menu item
        const auto item = menuItems_.find(LOWORD(w));
        if (item == menuItems_.end()) return false;
        SafeCall(item->second->onClick);
        return true;
    }
    const auto child = children_.find(reinterpret_cast<HWND>(l));
    if (child == children_.end() || !child->second.onCommand) return false;
    if (!following_) child->second.onCommand(HIWORD(w));
    return true;
}

// The background a control's model asks for, or the system's.
LRESULT FormWindow::ControlColor(HDC dc, HWND child, int systemColor) {
    const auto found = children_.find(child);
    ui::Color color = -1;
    if (found != children_.end()) {
        ui::Control* model = found->second.model;
        if (auto* label = dynamic_cast<ui::Label*>(model)) color = label->BackColor();
        if (auto* box = dynamic_cast<ui::TextBox*>(model)) color = box->BackColor();
        if (auto* list = dynamic_cast<ui::ListBox*>(model)) color = list->BackColor();
    }
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

// Buttons are drawn by us: a swatch shows its model's colour, the others look as usual.
void FormWindow::DrawButton(const DRAWITEMSTRUCT& item) {
    const auto child = children_.find(item.hwndItem);
    auto* model =
        child == children_.end() ? nullptr : dynamic_cast<ui::Button*>(child->second.model);
    if (!model) return;
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    if (HasColor(model->BackColor())) {
        FillRect(item.hDC, &r, Brush(ToColorRef(model->BackColor())));
        DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    } else {
        DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    }
    const std::wstring caption = Utf16(model->Caption());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC,
                 GetSysColor(item.itemState & ODS_DISABLED ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    if (pressed) OffsetRect(&r, 1, 1);
    DrawTextW(item.hDC, caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&r, -3, -3);
        DrawFocusRect(item.hDC, &r);
    }
}

// ---- controls

void FormWindow::BuildControls() {
    for (ui::Control* control : form_.Controls()) {
        HWND window = Bind(*control);
        if (!window) continue;
        windows_[control] = window;
        const std::wstring name = Utf16(control->Name());
        SetPropW(window, kNameProperty,
                 reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(GlobalAddAtomW(name.c_str()))));
    }
    // Labels lie under the boxes they overlap, and frames under everything they hold.
    for (const ui::Control* control : form_.Controls())
        if (dynamic_cast<const ui::Label*>(control)) SendToBottom(HandleFor(*control));
    for (const ui::Control* control : form_.Controls())
        if (dynamic_cast<const ui::Frame*>(control)) SendToBottom(HandleFor(*control));
}

HWND FormWindow::Bind(ui::Control& control) {
    if (auto* c = dynamic_cast<ui::Grid*>(&control)) return BindGrid(*c);
    if (auto* c = dynamic_cast<ui::Label*>(&control)) return BindLabel(*c);
    if (auto* c = dynamic_cast<ui::TextBox*>(&control)) return BindTextBox(*c);
    if (auto* c = dynamic_cast<ui::Button*>(&control)) return BindButton(*c);
    if (auto* c = dynamic_cast<ui::CheckBox*>(&control)) return BindCheckBox(*c);
    if (auto* c = dynamic_cast<ui::ListBox*>(&control)) return BindListBox(*c);
    if (auto* c = dynamic_cast<ui::ScrollBar*>(&control)) return BindScrollBar(*c);
    if (auto* c = dynamic_cast<ui::Frame*>(&control)) return BindFrame(*c);
    if (auto* c = dynamic_cast<ui::Shape*>(&control)) return BindPainted(*c, kShapeClass);
    if (auto* c = dynamic_cast<ui::Image*>(&control)) return BindPainted(*c, kImageClass);
    return nullptr;  // timers tick with win32::Timers
}

HWND FormWindow::Create(const wchar_t* windowClass, DWORD style, ui::Control& control,
                        DWORD exStyle) {
    HWND child =
        CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                        window_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId_++)),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    children_[child].model = &control;
    return child;
}

void FormWindow::Place(const ui::Control& model, HWND window) {
    // A control inside a frame is placed relative to the frame.
    ui::Rect r = model.Geometry();
    if (const ui::Control* frame = model.Parent()) {
        r.left += frame->Geometry().left;
        r.top += frame->Geometry().top;
    }
    const RECT place = ToPixels(r, dpi_);
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, model.Visible() ? SW_SHOWNA : SW_HIDE);
    EnableWindow(window, model.Enabled());
}

void FormWindow::Follow(ui::Control& model, HWND window, std::function<void()> apply) {
    auto sync = [this, &model, window, apply = std::move(apply), alive = alive_] {
        if (!*alive) return;
        following_ = true;
        Place(model, window);
        if (apply) apply();
        following_ = false;
    };
    model.Subscribe(sync);
    sync();
}

HWND FormWindow::BindLabel(ui::Label& model) {
    HWND label = Create(L"STATIC", SS_LEFT | SS_NOPREFIX, model);
    Follow(model, label, [&model, label] {
        SetText(label, WindowsLines(model.Caption()));
        InvalidateRect(label, nullptr, TRUE);  // its background colour may have changed
    });
    return label;
}

HWND FormWindow::BindTextBox(ui::TextBox& model) {
    // The multi-line box is read-only for typing, but keys still reach its handler.
    const DWORD style = model.MultiLine() ? ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL
                                          : ES_AUTOHSCROLL;
    HWND box = Create(L"EDIT", style | WS_TABSTOP, model, WS_EX_CLIENTEDGE);
    SetWindowSubclass(box, TextBoxProc, kTextBoxSubclass, reinterpret_cast<DWORD_PTR>(&model));
    children_[box].onCommand = [&model, box](WORD code) {
        if (code != EN_CHANGE) return;
        const std::string text = Utf8(WindowTextOf(box));
        if (text != model.Text()) SafeCall([&] { model.SetText(text); });
    };
    Follow(model, box, [&model, box] {
        SetText(box, WindowsLines(model.Text()));
        InvalidateRect(box, nullptr, TRUE);
    });
    return box;
}

HWND FormWindow::BindButton(ui::Button& model) {
    HWND button = Create(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, model);
    children_[button].onCommand = [&model](WORD code) {
        if (code == BN_CLICKED) SafeCall(model.onClick);
    };
    Follow(model, button, [&model, button] {
        SetText(button, Utf16(model.Caption()));
        InvalidateRect(button, nullptr, TRUE);
    });
    return button;
}

HWND FormWindow::BindCheckBox(ui::CheckBox& model) {
    HWND box = Create(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, model);
    children_[box].onCommand = [&model, box](WORD code) {
        if (code != BN_CLICKED) return;
        const bool on = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (model.Checked() != on) SafeCall([&] { model.SetChecked(on); });
    };
    Follow(model, box, [&model, box] {
        SetText(box, Utf16(model.Caption()));
        SendMessageW(box, BM_SETCHECK, model.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    });
    return box;
}

HWND FormWindow::BindListBox(ui::ListBox& model) {
    HWND list = Create(L"LISTBOX", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, model, WS_EX_CLIENTEDGE);
    children_[list].onCommand = [&model, list](WORD code) {
        if (code != LBN_SELCHANGE) return;
        const int row = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
        if (row != model.ListIndex()) SafeCall([&] { model.SetListIndex(row); });
    };
    Follow(model, list, [&model, list] {
        const auto& items = model.Items();
        bool same = SendMessageW(list, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(items.size());
        for (std::size_t i = 0; same && i < items.size(); ++i) {
            std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)),
                              L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            same = text == Utf16(items[i]);
        }
        if (!same) {
            SendMessageW(list, LB_RESETCONTENT, 0, 0);
            for (const auto& item : items)
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf16(item).c_str()));
        }
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(model.ListIndex()), 0);
        InvalidateRect(list, nullptr, TRUE);
    });
    return list;
}

HWND FormWindow::BindScrollBar(ui::ScrollBar& model) {
    const ui::Rect& r = model.Geometry();
    HWND bar = Create(L"SCROLLBAR", r.width >= r.height ? SBS_HORZ : SBS_VERT, model);
    children_[bar].onScroll = [&model, bar](WORD request) {
        int value = model.Value();
        switch (request) {
            case SB_LINELEFT:
            case SB_PAGELEFT:
                --value;
                break;
            case SB_LINERIGHT:
            case SB_PAGERIGHT:
                ++value;
                break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION: {
                SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
                GetScrollInfo(bar, SB_CTL, &info);
                value = info.nTrackPos;
                break;
            }
            default:
                return;
        }
        SafeCall([&] { model.SetValue(value); });
    };
    Follow(model, bar, [&model, bar] {
        SetScrollRange(bar, SB_CTL, model.Min(), model.Max(), FALSE);
        SetScrollPos(bar, SB_CTL, model.Value(), TRUE);
    });
    return bar;
}

HWND FormWindow::BindFrame(ui::Frame& model) {
    HWND frame = Create(L"BUTTON", BS_GROUPBOX, model);
    Follow(model, frame, [&model, frame] { SetText(frame, Utf16(model.Caption())); });
    return frame;
}

HWND FormWindow::BindPainted(ui::Control& model, const wchar_t* windowClass) {
    HWND painted = Create(windowClass, 0, model);
    SetWindowLongPtrW(painted, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&model));
    Follow(model, painted, [painted] { InvalidateRect(painted, nullptr, FALSE); });
    return painted;
}

HWND FormWindow::BindGrid(ui::Grid& model) {
    grids_.push_back(std::make_unique<GridWindow>(model, window_, RECT{}, font_, dpi_));
    HWND grid = grids_.back()->Handle();
    children_[grid].model = &model;
    Follow(model, grid, {});
    return grid;
}

// ---- menus

void FormWindow::BuildMenus() {
    if (form_.Menus().empty()) return;
    menuItems_.clear();
    HMENU bar = CreateMenu();
    AppendMenuItems(bar, form_.Menus(), kFirstMenuId, 100);
    HMENU old = GetMenu(window_);
    SetMenu(window_, bar);
    if (old) DestroyMenu(old);
    DrawMenuBar(window_);
}

// An item's command is its place: 1000 + 100 x its place on the bar + 10 x its place in that
// menu + its place in a submenu, places counted from 1 among the items shown ("Info", second
// on the bar: 1200). Tools that drive the window send these; menus themselves cannot be read
// from another process everywhere.
void FormWindow::AppendMenuItems(HMENU menu, const std::vector<ui::MenuItem*>& items, UINT base,
                                 UINT step) {
    UINT place = 0;
    for (ui::MenuItem* item : items) {
        if (!item->Visible()) continue;
        if (item->Caption() == "-") {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT id = base + step * ++place;
        const std::wstring caption = Utf16(item->Caption());
        const UINT state = (item->Checked() ? MF_CHECKED : 0) | (item->Enabled() ? 0 : MF_GRAYED);
        if (!item->Children().empty()) {
            HMENU popup = CreatePopupMenu();
            AppendMenuItems(popup, item->Children(), id, step / 10);
            AppendMenuW(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
            continue;
        }
        menuItems_[id] = item;
        AppendMenuW(menu, MF_STRING | state, id, caption.c_str());
    }
    // Any change of an item (a caption in another language, a check mark) rebuilds the bar.
    for (ui::MenuItem* item : items) {
        if (subscribedMenus_.insert(item).second)
            item->Subscribe([this, alive = alive_] {
                if (*alive) BuildMenus();
            });
    }
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
