#include "ui/Grid.h"

#include <algorithm>

namespace ui {

Grid::Grid(std::string name, Rect geometry, int rows, int cols)
    : Control(std::move(name), geometry),
      cols_(std::max(cols, 1)),
      cells_(static_cast<size_t>(std::max(rows, 1)), std::vector<std::string>(cols_)),
      widths_(static_cast<size_t>(cols_), 900) {}

void Grid::SetRow(int r) {
    row_ = std::clamp(r, 0, Rows() - 1);
    Notify({GridChange::Kind::Current, row_, col_});
}

void Grid::SetCol(int c) {
    col_ = std::clamp(c, 0, cols_ - 1);
    Notify({GridChange::Kind::Current, row_, col_});
}

void Grid::SetText(std::string text) {
    cells_[row_][col_] = std::move(text);
    Notify({GridChange::Kind::Cell, row_, col_});
}

const std::string& Grid::TextMatrix(int r, int c) const {
    static const std::string empty;
    if (r < 0 || r >= Rows() || c < 0 || c >= cols_) return empty;
    return cells_[r][c];
}

void Grid::SetTextMatrix(int r, int c, std::string text) {
    if (r < 0 || r >= Rows() || c < 0 || c >= cols_) return;
    cells_[r][c] = std::move(text);
    Notify({GridChange::Kind::Cell, r, c});
}

int Grid::ColWidth(int c) const {
    return (c >= 0 && c < cols_) ? widths_[c] : 0;
}

void Grid::SetColWidth(int c, int twips) {
    if (c < 0 || c >= cols_) return;
    widths_[c] = twips;
    Notify({GridChange::Kind::Layout});
}

void Grid::SetBackColor(Color c) {
    backColor_ = c;
    Notify({GridChange::Kind::Layout});
}

void Grid::SetBackColorFixed(Color c) {
    backColorFixed_ = c;
    Notify({GridChange::Kind::Layout});
}

void Grid::AddItem(std::string_view tabSeparated) {
    std::vector<std::string> row(cols_);
    size_t c = 0;
    size_t start = 0;
    while (c < row.size()) {
        size_t tab = tabSeparated.find('\t', start);
        row[c++] = std::string(tabSeparated.substr(start, tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    cells_.push_back(std::move(row));
    Notify({GridChange::Kind::RowsInserted, Rows() - 1});
}

void Grid::RemoveItem(int r) {
    if (r < 1 || r >= Rows()) return;
    cells_.erase(cells_.begin() + r);
    if (row_ >= Rows()) row_ = Rows() - 1;
    Notify({GridChange::Kind::RowsRemoved, r});
}

void Grid::SubscribeGrid(std::function<void(const GridChange&)> listener) {
    gridListeners_.push_back(std::move(listener));
}

void Grid::Notify(GridChange change) {
    for (auto& l : gridListeners_) l(change);
    if (change.kind != GridChange::Kind::Current) Changed();
}

}  // namespace ui
