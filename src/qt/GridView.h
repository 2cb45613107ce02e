// The station table's view: column widths from the grid, clicks and double-clicks moving
// the grid's current cell, a double-click then running the grid's onDblClick.
#pragma once

#include <QTableView>

#include "qt/GridModel.h"

namespace qt {

class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(ui::Grid& grid, QWidget* parent);

    GridModel& Model() { return model_; }
    // The colour a cell is painted with (its background role).
    QColor CellColor(int row, int col) const;

private:
    void ApplyColumnWidths();
    void OnClicked(const QModelIndex& index);
    void OnDoubleClicked(const QModelIndex& index);

    GridModel model_;
};

}  // namespace qt
