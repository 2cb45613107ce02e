// The station table: look-up, and removal by double-click.
#include <gtest/gtest.h>

#include "fakes/World.h"
#include "settings/StringTable.h"

namespace {

using fakes::World;

TEST(StationTable, SetUpShowsTheHostColumnsOnlyInTestModeAndGivesThemTheirHeadings) {
    for (std::int16_t test : {0, 1}) {
        World w;
        w.values.ModoTest = test;
        w.table.SetUp();
        const ui::Grid& g = w.main.FGridStazioni;
        for (int c = 0; c < 8; ++c) EXPECT_GT(g.ColWidth(c), 0) << c;
        EXPECT_EQ(g.ColWidth(8), test == 1 ? 900 : 0);
        EXPECT_EQ(g.ColWidth(9), test == 1 ? 900 : 0);
        EXPECT_EQ(g.TextMatrix(0, 8), "snglong");
        EXPECT_EQ(g.TextMatrix(0, 9), "snglat");
        EXPECT_TRUE(w.table.GrigliaVuota());
    }
}

TEST(StationTable, VerificaNominativoMatchesExactlyAndLeavesTheCursorOnTheLastRowSeen) {
    World w;
    EXPECT_EQ(w.table.VerificaNominativo("IW2ABC-9"), 0);  // blank row only
    w.ReceiveEmergency("IW2ABC-9");
    w.ReceiveEmergency("iw2abc-9");  // differs in case: its own row
    w.ReceiveEmergency("IK1XYZ");
    EXPECT_EQ(w.Callsigns(), (std::vector<std::string>{"IW2ABC-9", "iw2abc-9", "IK1XYZ"}));
    EXPECT_EQ(w.table.VerificaNominativo("iw2abc-9"), 2);
    EXPECT_EQ(w.main.FGridStazioni.Row(), 2);
    EXPECT_EQ(w.table.VerificaNominativo("NONE"), 0);
    EXPECT_EQ(w.main.FGridStazioni.Row(), 3);
}

// A world with three stations, the cursor on a cell of the middle one.
struct ThreeStations : World {
    ThreeStations() {
        for (const char* callsign : {"A1AAA", "B2BBB", "C3CCC"}) ReceiveEmergency(callsign);
        host.ClearCalls();
        main.FGridStazioni.SetRow(2);
        main.FGridStazioni.SetCol(3);
    }
    void DoubleClick() { main.FGridStazioni.onDblClick(); }
};

// The question in the language in force: OK removes exactly the current row and redraws the map
// with a circle less; Cancel keeps the row and redraws nothing.
TEST(StationTable, OkRemovesExactlyTheCurrentRowAndRedrawsTheMapCancelKeepsIt) {
    for (const bool ok : {true, false}) {
        ThreeStations w;
        w.values.CodiceLingua = ok ? 1000 : 2000;
        if (!ok) w.fp.dialogs.NextAnswer(platform::Answer::Cancel);
        w.DoubleClick();
        ASSERT_EQ(w.fp.dialogs.boxes.size(), 1u);
        EXPECT_EQ(w.fp.dialogs.boxes[0].text, settings::LoadResString(ok ? 1105 : 2105));
        EXPECT_EQ(w.fp.dialogs.boxes[0].buttons, platform::Buttons::OkCancel);
        using Calls = std::vector<std::string>;
        EXPECT_EQ(w.Callsigns(), (ok ? Calls{"A1AAA", "C3CCC"} : Calls{"A1AAA", "B2BBB", "C3CCC"}));
        EXPECT_EQ(w.host.RedrawCount(), ok ? 1 : 0);
        EXPECT_EQ(w.host.map.Circles().size(), ok ? 2u : 0u);
    }
}

TEST(StationTable, HeaderRowAndEmptyCellsAskNothing) {
    ThreeStations w;
    w.main.TimerAllarme.Tick();  // an alarm tick leaves the cursor in the header row
    ASSERT_EQ(w.main.FGridStazioni.Row(), 0);
    w.DoubleClick();
    w.main.FGridStazioni.SetRow(1);
    w.main.FGridStazioni.SetText("");
    w.DoubleClick();
    EXPECT_TRUE(w.fp.dialogs.boxes.empty());
    EXPECT_EQ(w.main.FGridStazioni.Rows(), 4);
    EXPECT_EQ(w.host.RedrawCount(), 0);
}

TEST(StationTable, RemovingTheOnlyStationLeavesOneBlankRowAndTheNextEmergencyFillsIt) {
    World w;
    w.ReceiveEmergency("A1AAA");
    w.main.FGridStazioni.SetRow(1);
    w.main.FGridStazioni.SetCol(0);
    // The alarm ticks while the question is open and leaves the cursor in the header row.
    w.fp.dialogs.onMsgBox = [&](const fakes::Box&) { w.main.TimerAllarme.Tick(); };
    w.main.FGridStazioni.onDblClick();
    EXPECT_TRUE(w.table.GrigliaVuota());
    ASSERT_EQ(w.main.FGridStazioni.Rows(), 2);
    for (int c = 0; c < 10; ++c) EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, c), "") << c;
    EXPECT_NE(w.main.FGridStazioni.TextMatrix(0, 0), "") << "the headings stay";

    w.main.FGridStazioni.onDblClick();  // the blank row asks nothing
    EXPECT_EQ(w.fp.dialogs.boxes.size(), 1u);

    w.alarm.CmdTacitaAllarme_Click();
    w.ReceiveEmergency("B2BBB");
    EXPECT_EQ(w.Callsigns(), std::vector<std::string>{"B2BBB"});
    EXPECT_TRUE(w.alarm.IsOn());
}

TEST(StationTable, AFrameHandledWhileTheQuestionIsOpenDoesNotChangeWhichRowGoes) {
    ThreeStations w;
    // The repeat from C3CCC moves the cursor to its row while the question is open.
    w.fp.dialogs.onMsgBox = [&](const fakes::Box&) { w.ReceiveEmergency("C3CCC"); };
    w.DoubleClick();
    EXPECT_EQ(w.Callsigns(), (std::vector<std::string>{"A1AAA", "C3CCC"}));
}

TEST(StationTable, FailingRedrawAfterRemovalIsReportedOnce) {
    ThreeStations w;
    w.host.FailOn("RedrawMap", 1);
    w.DoubleClick();
    EXPECT_EQ(w.fp.dialogs.boxes.size(), 1u);  // the question
    ASSERT_EQ(w.fp.dialogs.notices.size(), 1u);
    EXPECT_EQ(w.fp.dialogs.notices[0].icon, platform::Icon::Exclamation);
    EXPECT_EQ(w.Callsigns().size(), 2u);
}

}  // namespace
