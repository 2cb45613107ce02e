// The incident list's window: its controls, their layout, and the desk's decisions shown in them.
#include "win32_host/IncidentList.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"
#include "win32/WindowOwner.h"
#include "win32_host/AskDialog.h"

namespace win32_host {
namespace {

namespace dash = ::dashboard;
using win32::Utf16;

constexpr wchar_t kClassName[] = L"SirenwatchIncidents";
constexpr UINT_PTR kRefreshTimer = 1, kAgeTimer = 2;
constexpr int kFirstButtonId = 200;
constexpr int kMargin = 6, kButtonHeight = 24, kDetailHeight = 90, kStatusHeight = 18;
constexpr int kWidth = 660, kHeight = 300, kMinHeight = 220;
// The last column takes what the others leave.
constexpr int kColumnWidths[dash::ColumnCount] = {90, 100, 130, 100, 80, 100};
constexpr COLORREF kNewIncident = RGB(200, 0, 0);
constexpr COLORREF kRefusal = RGB(176, 0, 0);

HWND Child(HWND parent, const wchar_t* windowClass, DWORD style, DWORD exStyle, int id,
           const wchar_t* name) {
    HWND child = CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 10,
                                 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
    win32::SetControlName(child, name);
    return child;
}

int TextWidth(HWND window, const std::wstring& text) {
    HDC dc = GetDC(window);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    std::wstring wide = Utf16(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetRowSelected(HWND list, int row, bool selected) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = selected ? item.stateMask : 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

IncidentList::IncidentList(dash::Source& source, HWND above) : desk_(source) {
    ask = [this](const dash::Question& question) {
        return AskText(window_, question, desk_.English());
    };
    Build();
    Place(above);
    SetTimer(window_, kAgeTimer, kAgeTick_ms, nullptr);
    source.AddChangeListener([this, alive = alive_] {
        if (!*alive || refreshPending_ || !window_) return;
        refreshPending_ = true;
        SetTimer(window_, kRefreshTimer, kRefreshDelay_ms, nullptr);
    });
    Refresh();
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

IncidentList::~IncidentList() {
    *alive_ = false;
    if (window_) DestroyWindow(window_);
}

void IncidentList::Build() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    win32::RegisterWindowClass(kClassName, Proc, 0, GetSysColorBrush(COLOR_BTNFACE));
    window_ = CreateWindowExW(0, kClassName, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    win32::SetControlName(window_, L"IncidentList");
    list_ = Child(window_, WC_LISTVIEWW,
                  WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                  WS_EX_CLIENTEDGE, 100, L"incidents");
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < dash::ColumnCount; ++column) {
        LVCOLUMNW description{};
        description.mask = LVCF_WIDTH | LVCF_TEXT;
        description.cx = kColumnWidths[column];
        description.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&description));
    }
    // Plain text: what came from the air stays text.
    detail_ = Child(window_, L"EDIT", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE, 101, L"detail");
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i] =
            Child(window_, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0,
                  kFirstButtonId + static_cast<int>(i), Utf16(dash::kDeskActions[i].key).c_str());
    // No prefix: an operator's name or a refusal with "&" in it is shown as typed.
    who_ = Child(window_, L"STATIC", SS_NOPREFIX | SS_RIGHT | SS_CENTERIMAGE, 0, 102, L"operator");
    status_ = Child(window_, L"STATIC", SS_NOPREFIX | SS_CENTERIMAGE, 0, 103, L"status");
}

void IncidentList::Place(HWND above) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(above ? above : window_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT frame{};
    if (!above || !GetWindowRect(above, &frame)) return;
    // Under the map, as wide; shorter, or over its lower edge, where the screen ends first.
    const int height = std::max(kMinHeight, std::min<int>(kHeight, work.bottom - frame.bottom));
    const int top = std::min<int>(frame.bottom, work.bottom - height);
    SetWindowPos(window_, nullptr, frame.left, top, std::max<int>(frame.right - frame.left, 400),
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void IncidentList::Refresh() {
    if (const std::string problem = desk_.Refresh(); !problem.empty()) {
        win32::SetText(status_, Utf16(problem));
        return;
    }
    Caption();
    FillRows();
}

void IncidentList::Caption() {
    if (desk_.Shown().languageCode == language_) return;
    language_ = desk_.Shown().languageCode;
    const dash::DeskWords words = dash::IncidentDesk::Words(desk_.English());
    win32::SetText(window_, Utf16(words.title));
    for (int column = 0; column < dash::ColumnCount; ++column) {
        std::wstring text = Utf16(words.columns[static_cast<std::size_t>(column)]);
        LVCOLUMNW description{};
        description.mask = LVCF_TEXT;
        description.pszText = text.data();
        SendMessageW(list_, LVM_SETCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&description));
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        win32::SetText(buttons_[i], Utf16(words.buttons[i]));
    win32::SetText(who_, Utf16(desk_.OperatorCaption()));
    Layout();
}

void IncidentList::FillRows() {
    const std::string selected = SelectedId();
    const auto& incidents = desk_.Shown().incidents;
    const int rows = static_cast<int>(incidents.size());
    filling_ = true;
    int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    for (; count > rows; --count) SendMessageW(list_, LVM_DELETEITEM, count - 1, 0);
    for (; count < rows; ++count) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = count;
        item.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    rowIds_.clear();
    for (int row = 0; row < rows; ++row) {
        const dash::IncidentView& in = incidents[static_cast<std::size_t>(row)];
        const auto cells = desk_.Row(in);
        for (int column = 0; column < dash::ColumnCount; ++column)
            SetCell(list_, row, column, cells[static_cast<std::size_t>(column)]);
        rowIds_.push_back(in.id);
        SetRowSelected(list_, row, !selected.empty() && in.id == selected);
    }
    filling_ = false;
    ShowSelected();
}

std::string IncidentList::SelectedId() const {
    const auto row = SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= rowIds_.size()) return {};
    return rowIds_[static_cast<std::size_t>(row)];
}

void IncidentList::Select(const std::string& incidentId) {
    const auto row = std::ranges::find(rowIds_, incidentId);
    if (row == rowIds_.end()) return;
    SetRowSelected(list_, static_cast<int>(row - rowIds_.begin()), true);
    ShowSelected();
}

void IncidentList::ShowSelected() {
    const dash::IncidentView* in = desk_.Find(SelectedId());
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const bool allowed = dash::IncidentDesk::Offers(in, dash::kDeskActions[i].kind);
        EnableWindow(buttons_[i], allowed);
        ShowWindow(buttons_[i], in == nullptr || allowed ? SW_SHOWNA : SW_HIDE);
    }
    Layout();
    win32::SetText(detail_, in ? win32::WindowsLines(desk_.Detail(*in)) : std::wstring());
}

void IncidentList::Layout() {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right - 2 * kMargin;
    const int statusTop = client.bottom - kMargin - kStatusHeight;
    const int buttonsTop = statusTop - kMargin - kButtonHeight;
    const int detailTop = buttonsTop - kMargin - kDetailHeight;
    MoveWindow(list_, kMargin, kMargin, width, std::max(detailTop - 2 * kMargin, 20), TRUE);
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, dash::ColumnCount - 1, LVSCW_AUTOSIZE_USEHEADER);
    MoveWindow(detail_, kMargin, detailTop, width, kDetailHeight, TRUE);
    LayoutButtons(buttonsTop);
    MoveWindow(status_, kMargin, statusTop, width, kStatusHeight, TRUE);
}

// The buttons shown, left to right, each as wide as its caption; the operator at the right.
void IncidentList::LayoutButtons(int top) {
    RECT client{};
    GetClientRect(window_, &client);
    int left = kMargin;
    for (HWND button : buttons_) {
        if (!(GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE)) continue;
        const int width = std::max(72, TextWidth(button, win32::WindowTextOf(button)) + 20);
        MoveWindow(button, left, top, width, kButtonHeight, TRUE);
        left += width + 4;
    }
    MoveWindow(who_, left + kMargin, top, std::max<int>(client.right - kMargin - left - kMargin, 0),
               kButtonHeight, TRUE);
}

LRESULT IncidentList::CustomDraw(LPARAM l) const {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(l);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw->nmcd.dwItemSpec < rowIds_.size()) {
        const dash::IncidentView* in = desk_.Find(rowIds_[draw->nmcd.dwItemSpec]);
        // Set for every row: the control hands the colour of the row before on to the next.
        draw->clrText = in && in->stateKey == "new" ? kNewIncident : CLR_DEFAULT;
    }
    return CDRF_DODEFAULT;
}

void IncidentList::Act(dash::ActionKind kind) {
    const auto status = desk_.Act(kind, SelectedId(), ask);
    if (!window_ || !status) return;
    win32::SetText(who_, Utf16(desk_.OperatorCaption()));
    win32::SetText(status_, Utf16(*status));
    Layout();
    Refresh();
}

LRESULT CALLBACK IncidentList::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = win32::OwnerOf<IncidentList>(window, message, l);
    if (message == WM_NCDESTROY && self) self->window_ = nullptr;
    if (!self || !self->window_ || !self->list_) return DefWindowProcW(window, message, w, l);
    return win32::SafeAnswer(window, message, w, l, [&] { return self->Handle(message, w, l); });
}

LRESULT IncidentList::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_SETFOCUS:  // the keys go to the list, and its selection shows as the active one
            SetFocus(list_);
            return 0;
        case WM_TIMER:
            if (w == kRefreshTimer) {
                KillTimer(window_, kRefreshTimer);
                refreshPending_ = false;
            }
            Refresh();
            return 0;
        case WM_COMMAND: {
            const int index = LOWORD(w) - kFirstButtonId;
            if (HIWORD(w) == BN_CLICKED && index >= 0 && index < static_cast<int>(buttons_.size()))
                Act(dash::kDeskActions[static_cast<std::size_t>(index)].kind);
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(l);
            if (header->hwndFrom != list_) break;
            if (header->code == NM_CUSTOMDRAW) return CustomDraw(l);
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(l);
            if (header->code == LVN_ITEMCHANGED && !filling_ && (change->uChanged & LVIF_STATE) &&
                ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
                ShowSelected();
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(l) == status_) {
                const auto dc = reinterpret_cast<HDC>(w);
                SetTextColor(dc, kRefusal);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, w, l);
}

}  // namespace win32_host
