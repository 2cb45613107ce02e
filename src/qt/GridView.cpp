// The station table's view over GridModel.
#include "qt/GridView.h"

#include <QHeaderView>
#include <QScrollBar>

#include "qt/SafeCall.h"
#include "qt/Twips.h"

namespace qt {

namespace {
// The grid's row height as designed, in twips.
constexpr int kRowHeightTwips = 240;
}  // namespace

GridView::GridView(ui::Grid& grid, QWidget* parent) : QTableView(parent), model_(grid, this) {
    setModel(&model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(TwipsToPixels(kRowHeightTwips, LogicalDpi(this)));
    horizontalHeader()->setMinimumSectionSize(0);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No highlight: the fixed cells must always show their own colour, as the alarm blinks.
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);  // clipped, as the grid always showed it
    ApplyColumnWidths();

    connect(&model_, &GridModel::layoutOfColumnsChanged, this, &GridView::ApplyColumnWidths);
    connect(&model_, &QAbstractItemModel::modelReset, this, &GridView::ApplyColumnWidths);
    connect(&model_, &GridModel::currentCellChanged, this, [this](int row, int col) {
        QModelIndex cell = model_.index(row, col);
        if (!cell.isValid() || cell == currentIndex()) return;
        // The program moves the current cell all the time (every write, every alarm tick):
        // the view must not scroll after it, or the user's click would land elsewhere.
        int x = horizontalScrollBar()->value();
        int y = verticalScrollBar()->value();
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
        horizontalScrollBar()->setValue(x);
        verticalScrollBar()->setValue(y);
    });
    connect(this, &QAbstractItemView::clicked, this, &GridView::OnClicked);
    connect(this, &QAbstractItemView::doubleClicked, this, &GridView::OnDoubleClicked);
}

QColor GridView::CellColor(int row, int col) const {
    return model_.data(model_.index(row, col), Qt::BackgroundRole).value<QBrush>().color();
}

void GridView::ApplyColumnWidths() {
    const ui::Grid& grid = model_.Grid();
    double dpi = LogicalDpi(this);
    for (int c = 0; c < grid.Cols(); ++c) {
        int twips = grid.ColWidth(c);
        setColumnHidden(c, twips <= 0);
        if (twips > 0) setColumnWidth(c, TwipsToPixels(twips, dpi));
    }
}

void GridView::OnClicked(const QModelIndex& index) {
    if (!index.isValid()) return;
    ui::Grid& grid = model_.Grid();
    grid.SetRow(index.row());
    grid.SetCol(index.column());
}

void GridView::OnDoubleClicked(const QModelIndex& index) {
    if (!index.isValid()) return;
    OnClicked(index);
    ui::Grid& grid = model_.Grid();
    SafeCall(grid.onDblClick);
}

}  // namespace qt
