// The station table's window: a grid painted by us over the grid model, with the fixed heading
// row and first column always in view, cell colours (the alarm blinks the fixed cells), column
// widths in twips, scrolling by whole cells, and clicks and double-clicks on cells.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/Grid.h"

namespace win32 {

class GridWindow {
public:
    // Creates the window as a child of parent, at `place` in pixels.
    GridWindow(ui::Grid& grid, HWND parent, const RECT& place, HFONT font, int dpi);
    ~GridWindow() { *alive_ = false; }
    GridWindow(const GridWindow&) = delete;
    GridWindow& operator=(const GridWindow&) = delete;
    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void Paint(HDC dc, const RECT& client);
    void PaintCell(HDC dc, int row, int col, const RECT& cell);
    // The cell at a point of the client area; false outside every cell.
    bool CellAt(POINT point, int& row, int& col) const;
    // The left edges of the columns as drawn (fixed column first, then from firstCol_).
    int ColumnWidth(int col) const;
    int RowHeight() const;
    void UpdateScrollBars();
    void Scroll(int bar, WORD request);

    ui::Grid& grid_;
    HWND window_ = nullptr;
    HFONT font_;
    int dpi_;
    int firstRow_ = 1;  // the first scrollable row and column in view
    int firstCol_ = 1;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // read by the model's listeners
};

}  // namespace win32
