// The alarm: ticks sound and blink, acknowledgement silences, the test button sounds at once.
#include <gtest/gtest.h>

#include "fakes/World.h"

namespace {

using fakes::World;

TEST(Alarm, EachTickSoundsAndFlipsTheFixedCellsOnce) {
    World w;
    w.alarm.Start();
    EXPECT_TRUE(w.fp.sound.played.empty());
    for (ui::Color colour : {ui::kRed, ui::kLightGreen, ui::kRed}) {
        w.main.TimerAllarme.Tick();
        EXPECT_EQ(w.main.FGridStazioni.BackColorFixed(), colour);
    }
    EXPECT_EQ(w.fp.sound.played, std::vector<std::string>(3, w.fp.program.dir.File("lowtemp.wav")));
    EXPECT_EQ(w.main.FGridStazioni.Row(), 0);
    EXPECT_EQ(w.main.FGridStazioni.Col(), 4);
}

TEST(Alarm, AcknowledgeStopsAndTurnsRedCellsGreenAtOnce) {
    World w;
    w.main.FGridStazioni.SetBackColorFixed(ui::kRed);
    w.main.CmdTacitaAllarme.onClick();  // no alarm: only the colour changes
    EXPECT_EQ(w.main.FGridStazioni.BackColorFixed(), ui::kLightGreen);

    w.alarm.Start();
    w.main.TimerAllarme.Tick();
    ASSERT_EQ(w.main.FGridStazioni.BackColorFixed(), ui::kRed);
    w.main.CmdTacitaAllarme.onClick();
    EXPECT_FALSE(w.alarm.IsOn());
    EXPECT_EQ(w.main.FGridStazioni.BackColorFixed(), ui::kLightGreen);
    w.main.TimerAllarme.Tick();  // a disabled timer does not tick
    EXPECT_EQ(w.fp.sound.played.size(), 1u);
}

TEST(Alarm, TestButtonSoundsAtOnceThenEveryTick) {
    World w;
    w.main.CmdTest.onClick();
    EXPECT_EQ(w.fp.sound.played.size(), 1u);
    EXPECT_TRUE(w.alarm.IsOn());
    w.main.TimerAllarme.Tick();
    EXPECT_EQ(w.fp.sound.played.size(), 2u);
}

}  // namespace
