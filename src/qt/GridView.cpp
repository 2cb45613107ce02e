// The station table's view over GridModel.
#include "qt/GridView.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QScrollBar>

#include "qt/DisplayPacer.h"
#include "qt/SafeCall.h"
#include "qt/Twips.h"

namespace qt {

namespace {
// The grid's row height as designed, in twips.
constexpr int kRowHeightTwips = 240;
}  // namespace

// A header that shows the grid's fixed cells: the header row across the top, the first
// column down the side. Its mouse works like the body's.
class GridView::FixedHeader : public QHeaderView {
public:
    FixedHeader(Qt::Orientation orientation, GridView& view)
        : QHeaderView(orientation, &view), view_(view) {
        // The widths are the grid's: the user must not drag them.
        setSectionResizeMode(QHeaderView::Fixed);
    }

    // Both headers are as thick as the grid says (the first column's width, a row's height):
    // nothing to measure. Qt would measure every heading and callsign again after each change.
    QSize sizeHint() const override { return size(); }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        view_.PaintFixedCell(*painter, rect, Cell(section));
    }
    void paintEvent(QPaintEvent* event) override {
        QHeaderView::paintEvent(event);
        // Past the last row or column the table shows its own background, not a header's.
        int end = length() - offset();
        QRect rest = viewport()->rect();
        if (orientation() == Qt::Horizontal)
            rest.setLeft(end);
        else
            rest.setTop(end);
        if (rest.isValid()) QPainter(viewport()).fillRect(rest, view_.palette().base());
    }
    // Qt's own header handling would select rows and move the view's current index.
    void mousePressEvent(QMouseEvent* event) override { Forward(*event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Forward(*event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { Forward(*event); }
    void mouseMoveEvent(QMouseEvent*) override {}

private:
    QModelIndex Cell(int section) const {
        return orientation() == Qt::Horizontal ? view_.model_.index(0, section)
                                               : view_.model_.index(section, 0);
    }
    void Forward(const QMouseEvent& event) {
        view_.MouseOnFixedCell(event, Cell(logicalIndexAt(event.position().toPoint())));
    }

    GridView& view_;
};

// Cell (0, 0), where the two headers meet.
class GridView::FixedCorner : public QWidget {
public:
    explicit FixedCorner(GridView& view) : QWidget(&view), view_(view) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        view_.PaintFixedCell(painter, rect(), Cell());
    }
    void mousePressEvent(QMouseEvent* event) override { Forward(*event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Forward(*event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { Forward(*event); }

private:
    QModelIndex Cell() const { return view_.model_.index(0, 0); }
    void Forward(const QMouseEvent& event) {
        bool inside = rect().contains(event.position().toPoint());
        view_.MouseOnFixedCell(event, inside ? Cell() : QModelIndex());
    }

    GridView& view_;
};

GridView::GridView(ui::Grid& grid, QWidget* parent) : QTableView(parent), model_(grid, this) {
    setHorizontalHeader(new FixedHeader(Qt::Horizontal, *this));
    setVerticalHeader(new FixedHeader(Qt::Vertical, *this));
    corner_ = new FixedCorner(*this);
    setCornerButtonEnabled(false);
    setModel(&model_);
    int rowHeight = TwipsToPixels(kRowHeightTwips, LogicalDpi(this));
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setFixedHeight(rowHeight);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No highlight: the fixed cells must always show their own colour, as the alarm blinks.
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);  // clipped, as the grid always showed it
    ApplyLayout();
    model_.SetPacer(DisplayPacer::Of(this));

    connect(&model_, &GridModel::layoutOfColumnsChanged, this, &GridView::ApplyLayout);
    connect(&model_, &QAbstractItemModel::modelReset, this, &GridView::ApplyLayout);
    connect(&model_, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation, int first) {
                if (first == 0) corner_->update();
            });
    connect(&model_, &GridModel::currentCellChanged, this, [this](int row, int col) {
        QModelIndex cell = model_.index(row, col);
        if (!cell.isValid() || cell == currentIndex()) return;
        // The program moves the current cell all the time (every write, every alarm tick, and
        // every map redraw walks the table): the view must not scroll after it, or the user's
        // click would land elsewhere.
        int x = horizontalScrollBar()->value();
        int y = verticalScrollBar()->value();
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
        horizontalScrollBar()->setValue(x);
        verticalScrollBar()->setValue(y);
    });
    connect(this, &QAbstractItemView::clicked, this, &GridView::OnClicked);
    connect(this, &QAbstractItemView::doubleClicked, this, &GridView::OnDoubleClicked);
}

QRect GridView::CellRect(int row, int col) const {
    if (!model_.index(row, col).isValid() || (col > 0 && isColumnHidden(col))) return {};
    const QHeaderView* top = horizontalHeader();
    const QHeaderView* side = verticalHeader();
    const QRect body = viewport()->geometry();
    // The part of the view the cell belongs to: corner, a header, or the body.
    QRect area(col == 0 ? side->x() : body.x(), row == 0 ? top->y() : body.y(),
               col == 0 ? side->width() : body.width(), row == 0 ? top->height() : body.height());
    int grid = showGrid() ? 1 : 0;  // the last pixel of each edge is the grid line's
    QRect cell(col == 0 ? area.x() : body.x() + columnViewportPosition(col),
               row == 0 ? area.y() : body.y() + rowViewportPosition(row),
               (col == 0 ? area.width() : columnWidth(col)) - grid,
               (row == 0 ? area.height() : rowHeight(row)) - grid);
    return cell & area;
}

void GridView::updateGeometries() {
    QTableView::updateGeometries();
    if (!corner_) return;
    corner_->setGeometry(verticalHeader()->x(), horizontalHeader()->y(), verticalHeader()->width(),
                         horizontalHeader()->height());
    corner_->raise();
}

void GridView::ApplyLayout() {
    const ui::Grid& grid = model_.Grid();
    double dpi = LogicalDpi(this);
    // Row 0 and column 0 live in the headers; the body holds only the stations' cells.
    setRowHidden(0, true);
    setColumnHidden(0, true);
    verticalHeader()->setFixedWidth(TwipsToPixels(grid.ColWidth(0), dpi));
    for (int c = 1; c < grid.Cols(); ++c) {
        int twips = grid.ColWidth(c);
        setColumnHidden(c, twips <= 0);
        if (twips > 0) setColumnWidth(c, TwipsToPixels(twips, dpi));
    }
    updateGeometries();
}

void GridView::PaintFixedCell(QPainter& painter, const QRect& rect, const QModelIndex& cell) const {
    if (!cell.isValid()) return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = rect.adjusted(0, 0, -1, -1);
    painter.save();
    itemDelegateForIndex(cell)->paint(&painter, option, cell);
    painter.restore();
    if (!showGrid()) return;
    int hint = style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this);
    painter.save();
    painter.setPen(QPen(QColor::fromRgba(static_cast<QRgb>(hint)), 1, gridStyle()));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.restore();
}

void GridView::MouseOnFixedCell(const QMouseEvent& event, const QModelIndex& cell) {
    if (event.button() != Qt::LeftButton) return;
    switch (event.type()) {
        case QEvent::MouseButtonPress:
            pressedFixed_ = cell;
            break;
        case QEvent::MouseButtonRelease:
            if (cell.isValid() && cell == pressedFixed_) OnClicked(cell);
            pressedFixed_ = QPersistentModelIndex();
            break;
        case QEvent::MouseButtonDblClick:
            OnDoubleClicked(cell);
            break;
        default:
            break;
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
