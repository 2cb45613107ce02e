// The grid window.
#include "win32/GridWindow.h"

#include <windowsx.h>

#include <algorithm>

#include "win32/Geometry.h"
#include "win32/SafeCall.h"
#include "win32/Text.h"
#include "win32/WindowClass.h"
#include "win32/WindowOwner.h"

namespace win32 {

namespace {

constexpr wchar_t kClassName[] = L"SirenwatchGrid";
constexpr int kRowHeightTwips = 240;  // the grid's row height as designed
constexpr int kTextMargin = 2;

}  // namespace

GridWindow::GridWindow(ui::Grid& grid, HWND parent, const RECT& place, HFONT font, int dpi)
    : grid_(grid), font_(font), dpi_(dpi) {
    RegisterWindowClass(kClassName, Proc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    window_ =
        CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        parent, nullptr, GetModuleHandleW(nullptr), this);
    grid_.SubscribeGrid([this, alive = alive_](const ui::GridChange& change) {
        if (!*alive) return;
        if (change.kind != ui::GridChange::Kind::Cell &&
            change.kind != ui::GridChange::Kind::Current)
            UpdateScrollBars();
        // Repainted when the window next paints: many changes between two paints cost one.
        InvalidateRect(window_, nullptr, FALSE);
    });
    grid_.Subscribe([this, alive = alive_] {
        if (*alive) InvalidateRect(window_, nullptr, FALSE);
    });
    UpdateScrollBars();
}

LRESULT CALLBACK GridWindow::Proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* self = OwnerOf<GridWindow>(window, message, l);
    if (!self || !self->window_) return DefWindowProcW(window, message, w, l);
    return SafeAnswer(window, message, w, l, [&] { return self->Handle(message, w, l); });
}

LRESULT GridWindow::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT, without flicker
        case WM_PAINT: {
            PaintOffscreen(window_, [this](HDC dc, const RECT& client) { Paint(dc, client); });
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            int row = 0;
            int col = 0;
            if (!CellAt({GET_X_LPARAM(l), GET_Y_LPARAM(l)}, row, col)) return 0;
            SetFocus(window_);
            SafeCall([&] {
                grid_.SetRow(row);
                grid_.SetCol(col);
            });
            if (message == WM_LBUTTONDBLCLK) SafeCall(grid_.onDblClick);
            return 0;
        }
        case WM_HSCROLL:
            Scroll(SB_HORZ, LOWORD(w));
            return 0;
        case WM_VSCROLL:
            Scroll(SB_VERT, LOWORD(w));
            return 0;
        case WM_SIZE:
            UpdateScrollBars();
            return 0;
        default:
            return DefWindowProcW(window_, message, w, l);
    }
}

int GridWindow::RowHeight() const {
    return TwipsToPixels(kRowHeightTwips, dpi_);
}

int GridWindow::ColumnWidth(int col) const {
    const int twips = grid_.ColWidth(col);
    return twips > 0 ? TwipsToPixels(twips, dpi_) : 0;
}

void GridWindow::Paint(HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    const int height = RowHeight();
    int y = 0;
    for (int row = 0; row < grid_.Rows() && y < client.bottom; row = row ? row + 1 : firstRow_) {
        int x = 0;
        for (int col = 0; col < grid_.Cols() && x < client.right; col = col ? col + 1 : firstCol_) {
            const int width = ColumnWidth(col);
            if (width > 0) PaintCell(dc, row, col, {x, y, x + width, y + height});
            x += width;
        }
        y += height;
    }
    SelectObject(dc, oldFont);
}

void GridWindow::PaintCell(HDC dc, int row, int col, const RECT& cell) {
    const bool fixed = row == 0 || col == 0;
    const ui::Color color = fixed ? grid_.BackColorFixed() : grid_.BackColor();
    HBRUSH brush =
        CreateSolidBrush(HasColor(color) ? ToColorRef(color) : GetSysColor(COLOR_WINDOW));
    FillRect(dc, &cell, brush);
    DeleteObject(brush);
    // Grid lines on the right and bottom edge, as the table always drew them.
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(fixed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, cell.right - 1, cell.top, nullptr);
    LineTo(dc, cell.right - 1, cell.bottom - 1);
    LineTo(dc, cell.left - 1, cell.bottom - 1);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    RECT text = {cell.left + kTextMargin, cell.top, cell.right - kTextMargin, cell.bottom - 1};
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const std::wstring wide = Utf16(grid_.TextMatrix(row, col));
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool GridWindow::CellAt(POINT point, int& row, int& col) const {
    if (point.x < 0 || point.y < 0) return false;
    const int height = RowHeight();
    const int shown = point.y / height;  // the shown row: 0 is the fixed one
    row = shown == 0 ? 0 : firstRow_ + shown - 1;
    if (row >= grid_.Rows()) return false;
    int x = 0;
    for (col = 0; col < grid_.Cols(); col = col ? col + 1 : firstCol_) {
        x += ColumnWidth(col);
        if (point.x < x) return true;
    }
    return false;
}

void GridWindow::UpdateScrollBars() {
    // Scrolled by whole rows and columns: positions 1 .. the last scrollable one.
    SCROLLINFO info{
        sizeof info, SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL, 1, 0, 1, 0, 0};
    info.nMax = std::max(1, grid_.Rows() - 1);
    firstRow_ = std::clamp(firstRow_, 1, info.nMax);
    info.nPos = firstRow_;
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
    info.nMax = std::max(1, grid_.Cols() - 1);
    firstCol_ = std::clamp(firstCol_, 1, info.nMax);
    info.nPos = firstCol_;
    SetScrollInfo(window_, SB_HORZ, &info, TRUE);
}

void GridWindow::Scroll(int bar, WORD request) {
    int& first = bar == SB_VERT ? firstRow_ : firstCol_;
    const int last = std::max(1, (bar == SB_VERT ? grid_.Rows() : grid_.Cols()) - 1);
    SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(window_, bar, &info);
    switch (request) {
        case SB_LINEUP:
        case SB_PAGEUP:
            --first;
            break;
        case SB_LINEDOWN:
        case SB_PAGEDOWN:
            ++first;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            first = info.nTrackPos;
            break;
        case SB_TOP:
            first = 1;
            break;
        case SB_BOTTOM:
            first = last;
            break;
        default:
            return;
    }
    first = std::clamp(first, 1, last);
    SetScrollPos(window_, bar, first, TRUE);
    InvalidateRect(window_, nullptr, FALSE);
}

}  // namespace win32
