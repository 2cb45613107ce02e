// The station table's view: column widths from the grid, clicks and double-clicks moving
// the grid's current cell, a double-click then running the grid's onDblClick.
// The fixed header row and first column are drawn by the view's own headers (and the cell
// where they meet by a corner piece), so they stay in sight however far the body scrolls.
#pragma once

#include <QPersistentModelIndex>
#include <QTableView>

#include "qt/GridModel.h"

namespace qt {

class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(ui::Grid& grid, QWidget* parent);

    GridModel& Model() { return model_; }
    // Where a cell shows, in the view's coordinates, cut to the part in sight (empty when
    // it is scrolled away or its column is hidden).
    QRect CellRect(int row, int col) const;

protected:
    void updateGeometries() override;

private:
    class FixedHeader;
    class FixedCorner;

    void ApplyLayout();
    // Paints a fixed cell as the body paints its cells: delegate, then the grid lines on
    // its right and bottom edges.
    void PaintFixedCell(QPainter& painter, const QRect& rect, const QModelIndex& cell) const;
    // A left press and release on the same fixed cell is a click, as in the body.
    void MouseOnFixedCell(const QMouseEvent& event, const QModelIndex& cell);
    void OnClicked(const QModelIndex& index);
    void OnDoubleClicked(const QModelIndex& index);

    GridModel model_;
    FixedCorner* corner_ = nullptr;
    QPersistentModelIndex pressedFixed_;
};

}  // namespace qt
