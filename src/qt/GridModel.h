// The station table's grid as a Qt table model. Row 0 (the fixed header row) and column 0
// (the fixed first column) are ordinary rows and columns here, painted in the grid's
// fixed-cell colour, so the alarm's blink shows. They are also the header data: the
// horizontal header's section c is cell (0, c), the vertical header's section r is cell
// (r, 0), in every role.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <functional>
#include <optional>

#include "ui/Grid.h"

namespace qt {

class DisplayPacer;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(ui::Grid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    ui::Grid& Grid() const { return grid_; }
    // In a paced window, the cells written and the current cell's moves while frames are
    // handled are told to the views once per paced moment (the data is always the grid's).
    void SetPacer(DisplayPacer* pacer);
    static bool IsFixed(int row, int col) { return row == 0 || col == 0; }

signals:
    // The grid's current cell moved.
    void currentCellChanged(int row, int col);
    // Column widths changed.
    void layoutOfColumnsChanged();

private:
    void OnGridChange(const ui::GridChange& change);
    void CellChanged(int row, int col);
    void TellChangedCells();
    void CurrentCellMoved();
    void Resync();
    // The grid's row behind a row of the view (-1 for the row being removed).
    int GridRow(int viewRow) const;

    ui::Grid& grid_;
    // Rows as the view knows them: the grid has already changed when it tells us.
    int rows_ = 0;
    int removing_ = -1;

    struct CellRange {
        int top, left, bottom, right;
    };
    std::optional<CellRange> changed_;  // cells written and not told yet
    QPointer<DisplayPacer> pacer_;
    std::function<void()> tellChangedCells_;
    std::function<void()> tellCurrentCell_;
};

}  // namespace qt
