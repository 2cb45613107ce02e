// Forwards the grid's notifications to Qt's model signals.
#include "qt/GridModel.h"

#include <QBrush>
#include <QPointer>
#include <algorithm>

#include "qt/Colors.h"
#include "qt/DisplayPacer.h"

namespace qt {

GridModel::GridModel(ui::Grid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), rows_(grid.Rows()) {
    QPointer<GridModel> self(this);
    grid_.SubscribeGrid([self](const ui::GridChange& change) {
        if (self) self->OnGridChange(change);
    });
    tellChangedCells_ = [self] {
        if (self) self->TellChangedCells();
    };
    tellCurrentCell_ = [self] {
        if (self) emit self->currentCellChanged(self->grid_.Row(), self->grid_.Col());
    };
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : grid_.Cols();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    int row = index.row();
    int col = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(grid_.TextMatrix(GridRow(row), col));
        case Qt::BackgroundRole:
            return QBrush(ToQColor(IsFixed(row, col) ? grid_.BackColorFixed() : grid_.BackColor()));
        case Qt::ForegroundRole:
            return QBrush(Qt::black);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    QModelIndex cell = orientation == Qt::Horizontal ? index(0, section) : index(section, 0);
    return cell.isValid() ? data(cell, role) : QVariant();
}

int GridModel::GridRow(int viewRow) const {
    if (removing_ < 0 || viewRow < removing_) return viewRow;
    return viewRow == removing_ ? -1 : viewRow - 1;
}

void GridModel::OnGridChange(const ui::GridChange& change) {
    using Kind = ui::GridChange::Kind;
    switch (change.kind) {
        case Kind::Cell:
            if (change.row < rows_) CellChanged(change.row, change.col);
            break;
        case Kind::RowsInserted:
            if (change.row != rows_ || grid_.Rows() != rows_ + 1) return Resync();
            beginInsertRows({}, rows_, rows_);
            ++rows_;
            endInsertRows();
            break;
        case Kind::RowsRemoved:
            if (change.row < 1 || change.row >= rows_ || grid_.Rows() != rows_ - 1) return Resync();
            // Until endRemoveRows the view still sees the old rows, the removed one included.
            removing_ = change.row;
            beginRemoveRows({}, change.row, change.row);
            --rows_;
            removing_ = -1;
            endRemoveRows();
            break;
        case Kind::Layout:
            if (grid_.Rows() != rows_) return Resync();
            if (rows_ > 0) {
                emit dataChanged(index(0, 0), index(rows_ - 1, grid_.Cols() - 1),
                                 {Qt::BackgroundRole});
                // The fixed-cell colour is the headers' colour too.
                emit headerDataChanged(Qt::Horizontal, 0, grid_.Cols() - 1);
                emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
            }
            emit layoutOfColumnsChanged();
            break;
        case Kind::Current:
            CurrentCellMoved();
            break;
    }
}

void GridModel::CellChanged(int row, int col) {
    if (!changed_) changed_ = CellRange{row, col, row, col};
    CellRange& r = *changed_;
    r.top = std::min(r.top, row);
    r.left = std::min(r.left, col);
    r.bottom = std::max(r.bottom, row);
    r.right = std::max(r.right, col);
    if (pacer_) return pacer_->Follow(&tellChangedCells_, tellChangedCells_);
    TellChangedCells();
}

void GridModel::SetPacer(DisplayPacer* pacer) {
    pacer_ = pacer;
}

void GridModel::CurrentCellMoved() {
    if (pacer_) return pacer_->Follow(&tellCurrentCell_, tellCurrentCell_);
    tellCurrentCell_();
}

void GridModel::TellChangedCells() {
    if (!changed_) return;
    const CellRange r = *changed_;
    changed_.reset();
    // Rows may have gone meanwhile.
    const int bottom = std::min(r.bottom, rows_ - 1);
    if (r.top > bottom) return;
    emit dataChanged(index(r.top, r.left), index(bottom, r.right), {Qt::DisplayRole});
    if (r.top == 0) emit headerDataChanged(Qt::Horizontal, r.left, r.right);
    if (r.left == 0) emit headerDataChanged(Qt::Vertical, r.top, bottom);
}

// The grid and the view disagree (a change we could not follow step by step): start over.
void GridModel::Resync() {
    beginResetModel();
    rows_ = grid_.Rows();
    endResetModel();
    emit layoutOfColumnsChanged();
}

}  // namespace qt
