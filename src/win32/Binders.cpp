// The binders: one per kind of control model.
#include "win32/Binders.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "win32/Geometry.h"
#include "win32/GridWindow.h"
#include "win32/Painted.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"

namespace win32 {

namespace {

constexpr UINT_PTR kChildSubclass = 1;
constexpr UINT_PTR kTextBoxSubclass = 2;
// Children are numbered from here in the order they are made, as a dialog's controls are.
constexpr int kFirstChildId = 100;

// What a binder hangs on the child window it makes: the answers to the notifications the form
// window hands back, and the guard that keeps the window's echo of a model change from being
// written back. It lives as long as the window.
struct Child {
    explicit Child(ui::Control& m) : model(m) {}
    ui::Control& model;
    int dpi = ScreenDpi();
    bool following = false;  // applying the model: do not write back
    std::function<void(WORD code)> onCommand;
    std::function<void(WORD request)> onScroll;
    std::function<void(const DRAWITEMSTRUCT&)> onDraw;
    std::function<ui::Color()> backColor;
    std::unique_ptr<GridWindow> grid;
};

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                           DWORD_PTR data) {
    auto* holder = reinterpret_cast<std::shared_ptr<Child>*>(data);
    Child& child = **holder;
    switch (message) {
        case kReflected + WM_COMMAND:
            if (child.onCommand && !child.following) child.onCommand(HIWORD(w));
            return 0;
        case kReflected + WM_HSCROLL:
        case kReflected + WM_VSCROLL:
            if (child.onScroll) child.onScroll(LOWORD(w));
            return 0;
        case kReflected + WM_DRAWITEM:
            if (child.onDraw) child.onDraw(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        case kAskBackColor:
            if (child.backColor) *reinterpret_cast<ui::Color*>(l) = child.backColor();
            return 0;
        case WM_NCDESTROY: {
            const LRESULT result = DefSubclassProc(window, message, w, l);
            RemoveWindowSubclass(window, ChildProc, kChildSubclass);
            delete holder;  // the models' listeners see it gone
            return result;
        }
        default:
            return DefSubclassProc(window, message, w, l);
    }
}

std::shared_ptr<Child> Attach(HWND window, ui::Control& model) {
    auto child = std::make_shared<Child>(model);
    SetWindowSubclass(window, ChildProc, kChildSubclass,
                      reinterpret_cast<DWORD_PTR>(new std::shared_ptr<Child>(child)));
    return child;
}

int NextChildId(HWND parent) {
    int next = kFirstChildId;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        next = std::max(next, GetDlgCtrlID(c) + 1);
    return next;
}

HFONT FontOf(HWND parent) {
    return reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0));
}

// A child window of the form for a model, in the form's font.
HWND Create(const wchar_t* windowClass, DWORD style, HWND parent, DWORD exStyle = 0) {
    HWND child =
        CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                        parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextChildId(parent))),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(parent)), FALSE);
    return child;
}

void Place(const ui::Control& model, HWND window, int dpi) {
    // A control inside a frame is placed relative to the frame.
    ui::Rect r = model.Geometry();
    if (const ui::Control* frame = model.Parent()) {
        r.left += frame->Geometry().left;
        r.top += frame->Geometry().top;
    }
    const RECT place = ToPixels(r, dpi);
    SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, model.Visible() ? SW_SHOWNA : SW_HIDE);
    EnableWindow(window, model.Enabled());
}

// Places the window now and after every change of its model, then applies the kind's own state.
void Follow(const std::shared_ptr<Child>& child, HWND window, std::function<void()> apply) {
    auto sync = [weak = std::weak_ptr<Child>(child), window, apply = std::move(apply)] {
        const auto c = weak.lock();
        if (!c) return;
        c->following = true;
        Place(c->model, window, c->dpi);
        if (apply) apply();
        c->following = false;
    };
    child->model.Subscribe(sync);
    sync();
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

// A button that shows its model's colour when it has one (the colour swatches).
void DrawButton(const ui::Button& model, const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    if (HasColor(model.BackColor())) {
        HBRUSH brush = CreateSolidBrush(ToColorRef(model.BackColor()));
        FillRect(item.hDC, &r, brush);
        DeleteObject(brush);
        DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    } else {
        DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    }
    const std::wstring caption = Utf16(model.Caption());
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

HWND BindPainted(ui::Control& model, HWND parent, const wchar_t* windowClass) {
    RegisterPaintedClasses();
    HWND painted = Create(windowClass, 0, parent);
    SetWindowLongPtrW(painted, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&model));
    Follow(Attach(painted, model), painted, [painted] { InvalidateRect(painted, nullptr, FALSE); });
    return painted;
}

}  // namespace

HWND BindLabel(ui::Label& model, HWND parent) {
    HWND label = Create(L"STATIC", SS_LEFT | SS_NOPREFIX, parent);
    const auto child = Attach(label, model);
    child->backColor = [&model] { return model.BackColor(); };
    Follow(child, label, [&model, label] {
        SetText(label, WindowsLines(model.Caption()));
        InvalidateRect(label, nullptr, TRUE);  // its background colour may have changed
    });
    return label;
}

HWND BindTextBox(ui::TextBox& model, HWND parent) {
    const DWORD style = model.MultiLine() ? ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL
                                          : ES_AUTOHSCROLL;
    HWND box = Create(L"EDIT", style | WS_TABSTOP, parent, WS_EX_CLIENTEDGE);
    SetWindowSubclass(box, TextBoxProc, kTextBoxSubclass, reinterpret_cast<DWORD_PTR>(&model));
    const auto child = Attach(box, model);
    child->backColor = [&model] { return model.BackColor(); };
    child->onCommand = [&model, box](WORD code) {
        if (code != EN_CHANGE) return;
        const std::string text = Utf8(WindowTextOf(box));
        if (text != model.Text()) SafeCall([&] { model.SetText(text); });
    };
    Follow(child, box, [&model, box] {
        SetText(box, WindowsLines(model.Text()));
        InvalidateRect(box, nullptr, TRUE);
    });
    return box;
}

HWND BindButton(ui::Button& model, HWND parent) {
    HWND button = Create(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, parent);
    const auto child = Attach(button, model);
    child->onCommand = [&model](WORD code) {
        if (code == BN_CLICKED) SafeCall(model.onClick);
    };
    child->onDraw = [&model](const DRAWITEMSTRUCT& item) { DrawButton(model, item); };
    Follow(child, button, [&model, button] {
        SetText(button, Utf16(model.Caption()));
        InvalidateRect(button, nullptr, TRUE);
    });
    return button;
}

HWND BindCheckBox(ui::CheckBox& model, HWND parent) {
    HWND box = Create(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, parent);
    const auto child = Attach(box, model);
    child->onCommand = [&model, box](WORD code) {
        if (code != BN_CLICKED) return;
        const bool on = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (model.Checked() != on) SafeCall([&] { model.SetChecked(on); });
    };
    Follow(child, box, [&model, box] {
        SetText(box, Utf16(model.Caption()));
        SendMessageW(box, BM_SETCHECK, model.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    });
    return box;
}

HWND BindListBox(ui::ListBox& model, HWND parent) {
    HWND list = Create(L"LISTBOX", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, parent, WS_EX_CLIENTEDGE);
    const auto child = Attach(list, model);
    child->backColor = [&model] { return model.BackColor(); };
    child->onCommand = [&model, list](WORD code) {
        if (code != LBN_SELCHANGE) return;
        const int row = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
        if (row != model.ListIndex()) SafeCall([&] { model.SetListIndex(row); });
    };
    Follow(child, list, [&model, list] {
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

HWND BindScrollBar(ui::ScrollBar& model, HWND parent) {
    const ui::Rect& r = model.Geometry();
    HWND bar = Create(L"SCROLLBAR", r.width >= r.height ? SBS_HORZ : SBS_VERT, parent);
    const auto child = Attach(bar, model);
    child->onScroll = [&model, bar](WORD request) {
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
    Follow(child, bar, [&model, bar] {
        SetScrollRange(bar, SB_CTL, model.Min(), model.Max(), FALSE);
        SetScrollPos(bar, SB_CTL, model.Value(), TRUE);
    });
    return bar;
}

HWND BindShape(ui::Shape& model, HWND parent) {
    return BindPainted(model, parent, kShapeClass);
}

HWND BindFrame(ui::Frame& model, HWND parent) {
    HWND frame = Create(L"BUTTON", BS_GROUPBOX, parent);
    Follow(Attach(frame, model), frame,
           [&model, frame] { SetText(frame, Utf16(model.Caption())); });
    return frame;
}

HWND BindImage(ui::Image& model, HWND parent) {
    return BindPainted(model, parent, kImageClass);
}

HWND BindGrid(ui::Grid& model, HWND parent) {
    auto grid = std::make_unique<GridWindow>(model, parent, RECT{}, FontOf(parent), ScreenDpi());
    HWND window = grid->Handle();
    const auto child = Attach(window, model);
    child->grid = std::move(grid);  // goes with its window
    Follow(child, window, {});
    return window;
}

// ---- menus

namespace {
constexpr UINT kFirstMenuId = 1000;
}  // namespace

MenuBar::MenuBar(const std::vector<ui::MenuItem*>& menus, HWND window)
    : menus_(menus), window_(window) {
    Build();
}

bool MenuBar::Command(UINT id) {
    const auto item = items_.find(id);
    if (item == items_.end()) return false;
    SafeCall(item->second->onClick);
    return true;
}

void MenuBar::Build() {
    if (menus_.empty()) return;
    items_.clear();
    HMENU bar = CreateMenu();
    Append(bar, menus_, kFirstMenuId, 100);
    HMENU old = GetMenu(window_);
    SetMenu(window_, bar);
    if (old) DestroyMenu(old);
    DrawMenuBar(window_);
}

void MenuBar::Append(HMENU menu, const std::vector<ui::MenuItem*>& items, UINT base, UINT step) {
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
            Append(popup, item->Children(), id, step / 10);
            AppendMenuW(menu, MF_POPUP | state, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
            continue;
        }
        items_[id] = item;
        AppendMenuW(menu, MF_STRING | state, id, caption.c_str());
    }
    // Any change of an item (a caption in another language, a check mark) rebuilds the bar.
    for (ui::MenuItem* item : items) {
        if (subscribed_.insert(item).second)
            item->Subscribe([this, alive = alive_] {
                if (*alive) Build();
            });
    }
}

}  // namespace win32
