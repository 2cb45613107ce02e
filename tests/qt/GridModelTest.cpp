// The station table's Qt model and view over the grid model.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>

#include "qt/GridView.h"
#include "qt/QtWorld.h"

namespace {

using qttest::ClickCell;
using qttest::PaintedColor;

ui::Grid MakeTable() {
    return ui::Grid("FGridStazioni", {120, 3375, 5415, 1575}, 2, 10);
}

TEST(GridModel, FollowsRowsAppendedAndRemovedUnderTheModelTester) {
    ui::Grid grid = MakeTable();
    qt::GridModel model(grid);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    grid.SetTextMatrix(0, 0, "Callsign");
    grid.SetTextMatrix(1, 0, "Q1AAA");
    for (const char* row : {"Q2BBB\t06/12/2026", "Q3CCC\t06/12/2026", "<b>Q4</b>\t<img>"})
        grid.AddItem(row);
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.index(4, 1).data().toString(), "<img>") << "air text stays plain text";
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Callsign");
    EXPECT_EQ(model.headerData(3, Qt::Vertical).toString(), "Q3CCC");

    grid.RemoveItem(2);
    grid.RemoveItem(0);   // the header row is never removed
    grid.RemoveItem(99);  // nor a row that is not there
    EXPECT_EQ(model.rowCount(), 4);
    // A colour or a column width changed reaches the view; the fixed colour is the headers'.
    QSignalSpy layout(&model, &qt::GridModel::layoutOfColumnsChanged);
    grid.SetBackColorFixed(ui::kRed);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color(),
              QColor(Qt::red));
    grid.SetColWidth(8, 0);
    EXPECT_EQ(layout.count(), 2);
}

class GridViewTest : public ::testing::Test {
protected:
    GridViewTest() {
        for (int c = 0; c < 10; ++c) grid.SetColWidth(c, c >= 8 ? 0 : 900);
        grid.AddItem("Q1AAA\tx");
        grid.AddItem("Q2BBB\ty");
        view.resize(600, 200);
        view.show();
    }
    ui::Grid grid = MakeTable();
    qt::GridView view{grid, nullptr};
};

TEST_F(GridViewTest, ZeroWidthColumnsAreHiddenAndComeBackInTestMode) {
    EXPECT_TRUE(view.isColumnHidden(8) && view.isColumnHidden(9));
    EXPECT_EQ(view.columnWidth(1), 60) << "900 twips at 96 dpi";
    grid.SetColWidth(8, 900);
    EXPECT_FALSE(view.isColumnHidden(8));
}

// A handler that throws does not reach the event loop, for the body or a fixed cell.
TEST_F(GridViewTest, ClickMovesTheCurrentCellAndDoubleClickThenRunsTheHandler) {
    std::vector<std::pair<int, int>> doubleClicked;  // the current cell as the handler saw it
    grid.onDblClick = [&] {
        doubleClicked.push_back({grid.Row(), grid.Col()});
        throw std::runtime_error("host gone");
    };
    ClickCell(view, 2, 1);
    EXPECT_EQ(std::pair(grid.Row(), grid.Col()), std::pair(2, 1));
    ClickCell(view, 0, 2);  // a heading
    EXPECT_EQ(std::pair(grid.Row(), grid.Col()), std::pair(0, 2));
    EXPECT_TRUE(doubleClicked.empty());
    EXPECT_NO_THROW(ClickCell(view, 3, 0, true));  // a callsign
    EXPECT_NO_THROW(ClickCell(view, 2, 5, true));
    EXPECT_EQ(doubleClicked, (std::vector<std::pair<int, int>>{{3, 0}, {2, 5}}));
}

TEST_F(GridViewTest, TheGridsCurrentCellBecomesTheViewsCurrentIndexWithoutScrolling) {
    view.resize(150, 80);  // small enough to scroll
    QApplication::processEvents();
    ASSERT_GT(view.horizontalScrollBar()->maximum(), 0);
    grid.SetRow(3);
    grid.SetCol(7);
    EXPECT_EQ(view.currentIndex(), view.Model().index(3, 7));
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0) << "a click must land where it was aimed";
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
}

TEST_F(GridViewTest, HeadingsAndCallsignsStayInSightAndBlinkScrolledToTheEnd) {
    for (const char* call : {"Q3CCC", "Q4DDD", "Q5EEE", "Q6FFF"})
        grid.AddItem(std::string(call) +
                     "\t06/12/2026\t12:00:01\t23,8\t45\t0\t008.55.62E\t45.35.50N");
    // The table's size on the main window at 96 dpi: narrower than its columns, five rows high.
    view.resize(361, 105);
    QScrollBar* across = view.horizontalScrollBar();
    QScrollBar* down = view.verticalScrollBar();
    QApplication::processEvents();
    ASSERT_GT(across->maximum(), 0);
    ASSERT_GT(down->maximum(), 0);
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    const int last = grid.Rows() - 1;
    ASSERT_TRUE(view.CellRect(1, 1).isEmpty()) << "the body has scrolled";

    // The corner, the last column's heading and the last row's callsign, through an alarm
    // tick that turns the fixed cells red and the acknowledgement that turns them back.
    const QColor red(255, 0, 0), lightGreen(128, 255, 128), lightYellow(255, 255, 192);
    for (auto [colour, expected] : {std::pair{ui::kRed, red}, {ui::kLightGreen, lightGreen}}) {
        grid.SetBackColorFixed(colour);
        for (auto [row, col] : {std::pair{0, 0}, {0, 7}, {last, 0}}) {
            EXPECT_TRUE(view.rect().contains(view.CellRect(row, col))) << row << "," << col;
            EXPECT_EQ(PaintedColor(view, row, col), expected) << row << "," << col;
        }
        EXPECT_EQ(PaintedColor(view, last, 7), lightYellow) << "only the fixed cells blink";
        if (colour == ui::kRed) qttest::SaveScreenshot(view, "table-scrolled-alarm");
    }
}

}  // namespace
