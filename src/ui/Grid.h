// The station table's grid: fixed header row and first column, a current cell, cell texts,
// column widths and the colour of the fixed cells.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Controls.h"

namespace ui {

struct GridChange {
    enum class Kind { Cell, RowsInserted, RowsRemoved, Layout, Current };
    Kind kind = Kind::Layout;
    int row = 0;
    int col = 0;
};

class Grid : public Control {
public:
    Grid(std::string name, Rect geometry, int rows, int cols);

    int Rows() const { return static_cast<int>(cells_.size()); }
    int Cols() const { return cols_; }

    // The current cell.
    int Row() const { return row_; }
    int Col() const { return col_; }
    void SetRow(int r);
    void SetCol(int c);
    const std::string& Text() const { return cells_[row_][col_]; }
    void SetText(std::string text);

    // Any cell, without moving the current one.
    const std::string& TextMatrix(int r, int c) const;
    void SetTextMatrix(int r, int c, std::string text);

    int ColWidth(int c) const;
    void SetColWidth(int c, int twips);
    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c);
    Color BackColorFixed() const { return backColorFixed_; }
    void SetBackColorFixed(Color c);

    // Appends one row; the tab-separated fields fill its cells from column 0.
    void AddItem(std::string_view tabSeparated);
    // Removes a non-fixed row; the rows after it move up. Out-of-range rows are ignored.
    void RemoveItem(int r);

    void SubscribeGrid(std::function<void(const GridChange&)> listener);

    std::function<void()> onDblClick;

private:
    void Notify(GridChange change);

    int cols_;
    std::vector<std::vector<std::string>> cells_;
    std::vector<int> widths_;
    int row_ = 0;
    int col_ = 0;
    Color backColor_ = kLightYellow;
    Color backColorFixed_ = kLightGreen;
    std::vector<std::function<void(const GridChange&)>> gridListeners_;
};

}  // namespace ui
