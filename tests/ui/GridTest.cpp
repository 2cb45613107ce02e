// The grid control model: its cells, its rows, and the changes it tells its front end.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "ui/Grid.h"

namespace {

TEST(Grid, AddItemSplitsTabsAndRemoveItemMovesLaterRowsUp) {
    ui::Grid g("g", {}, 2, 4);
    g.AddItem("A\tB\tC\tD\tEXTRA");
    g.AddItem("E\tF");
    ASSERT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.TextMatrix(2, 3), "D");
    EXPECT_EQ(g.TextMatrix(3, 1), "F");
    EXPECT_EQ(g.TextMatrix(3, 2), "");
    g.RemoveItem(2);
    ASSERT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.TextMatrix(2, 0), "E");
    g.RemoveItem(0);  // the header row never goes
    EXPECT_EQ(g.Rows(), 3);
}

TEST(Grid, CurrentCellStaysInsideTheTable) {
    ui::Grid g("g", {}, 2, 10);
    g.SetRow(5);
    g.SetCol(-1);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 0);
    g.SetText("x");
    EXPECT_EQ(g.TextMatrix(1, 0), "x");
    EXPECT_EQ(g.TextMatrix(9, 9), "");
    // One past the last row or column is outside too: read as empty, written nowhere.
    g.AddItem("row 2");
    g.RemoveItem(2);
    EXPECT_EQ(g.TextMatrix(2, 0), "") << "a row removed is outside";
    g.SetTextMatrix(1, 10, "outside");
    g.SetColWidth(0, 700);
    EXPECT_EQ(g.ColWidth(0), 700);
    g.SetColWidth(10, 500);
    EXPECT_EQ(g.TextMatrix(1, 10), "");
    EXPECT_EQ(g.ColWidth(10), 0);
}

// The front ends follow the table through these changes alone, so each names its cell or row.
TEST(Grid, EachChangeTellsTheListenersWhatChangedAndWhere) {
    using K = ui::GridChange::Kind;
    using Told = std::tuple<K, int, int>;
    ui::Grid g("g", {}, 2, 3);
    std::vector<Told> told;
    g.SubscribeGrid([&](const ui::GridChange& c) { told.emplace_back(c.kind, c.row, c.col); });
    g.SetRow(1);
    g.SetCol(2);
    g.SetText("x");
    g.AddItem("a\tb");
    g.RemoveItem(1);
    EXPECT_EQ(told, (std::vector<Told>{{K::Current, 1, 0},
                                       {K::Current, 1, 2},
                                       {K::Cell, 1, 2},
                                       {K::RowsInserted, 2, 0},
                                       {K::RowsRemoved, 1, 0}}));
}

}  // namespace
