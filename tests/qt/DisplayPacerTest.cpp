// The main window while frames flood in: widgets follow their models once per paced moment
// inside a batch, at once outside one.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "forms/FrmMain.h"
#include "qt/DisplayPacer.h"
#include "qt/FormWindow.h"
#include "qt/GridView.h"

namespace {

class PacedMainWindow : public ::testing::Test {
protected:
    PacedMainWindow() { window.show(); }

    forms::FrmMain form;
    qt::FormWindow window{form};
    QPlainTextEdit* raw = window.Find<QPlainTextEdit>(form.TxtRawData);
    QLineEdit* callsign = window.Find<QLineEdit>(form.TxtNominativo);
    qt::GridView* table = window.Find<qt::GridView>(form.FGridStazioni);
};

TEST_F(PacedMainWindow, InABatchWidgetsShowOnlyTheLastValueAndOnlyOnceFlushed) {
    ASSERT_TRUE(raw && callsign && table);
    int layouts = 0, cellSignals = 0;
    QObject::connect(raw->document(), &QTextDocument::contentsChanged, [&] { ++layouts; });
    QObject::connect(&table->Model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& first, const QModelIndex& last) {
                         ++cellSignals;
                         EXPECT_EQ(first, table->Model().index(1, 0));
                         EXPECT_EQ(last, table->Model().index(1, 3));
                     });
    {
        qt::DisplayPacer::Batch batch(&window.Pacer());
        for (int i = 0; i < 1000; ++i) {
            form.TxtRawData.SetText("");
            form.TxtRawData.SetText("12:00:01 Q1A>APRS:>frame " + std::to_string(i));
        }
        form.TxtNominativo.SetText("Q7MOB-9");
        for (int col : {0, 3, 1}) form.FGridStazioni.SetTextMatrix(1, col, "Q7MOB-9");
        form.FGridStazioni.SetRow(1);
        form.FGridStazioni.SetCol(3);
    }
    EXPECT_EQ(raw->toPlainText(), "");
    EXPECT_EQ(callsign->text(), "");
    EXPECT_NE(table->currentIndex(), table->Model().index(1, 3));
    EXPECT_EQ(cellSignals, 0);

    window.Pacer().Flush();
    EXPECT_EQ(raw->toPlainText(), "12:00:01 Q1A>APRS:>frame 999");
    EXPECT_EQ(layouts, 1);
    EXPECT_EQ(callsign->text(), "Q7MOB-9");
    EXPECT_EQ(table->currentIndex(), table->Model().index(1, 3));
    EXPECT_EQ(cellSignals, 1);
}

// Outside a batch widgets follow at once: every binder's test.
TEST_F(PacedMainWindow, ABatchCatchesUpByItself) {
    {
        qt::DisplayPacer::Batch batch(&window.Pacer());
        form.TxtNominativo.SetText("Q7MOB-9");
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return callsign->text() == "Q7MOB-9"; }, 2000));
}

}  // namespace
