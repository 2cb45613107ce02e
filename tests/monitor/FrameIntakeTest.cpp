// Frame intake: the raw box, the decision, the re-entry guard, the hidden test-button switch,
// and what a failing host call does to a frame.
#include <gtest/gtest.h>

#include <map>

#include "fakes/World.h"

namespace {

using fakes::World;

TEST(FrameIntake, OtherMessageTypesAndUnknownStationsChangeOnlyTheRawBox) {
    World w;
    fakes::StationData plain = World::Emergency();
    plain.messageType = "Off duty";
    w.host.SetStation("IW2ABC-9", plain);
    w.Receive("IW2ABC-9");
    EXPECT_EQ(w.main.TxtRawData.Text(), World::Frame("IW2ABC-9"));
    EXPECT_EQ(w.intake.NominativoRx(), "IW2ABC-9");
    w.Receive("NOBODY");
    EXPECT_EQ(w.main.TxtRawData.Text(), World::Frame("NOBODY"));

    EXPECT_EQ(w.main.TxtNominativo.Text(), "");
    EXPECT_TRUE(w.table.GrigliaVuota());
    EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 0), "");
    EXPECT_FALSE(w.alarm.IsOn());
    EXPECT_EQ(w.host.RedrawCount(), 0);
    EXPECT_EQ(w.intake.InElaborazione(), 0);
}

TEST(FrameIntake, MessageTypeIsComparedInUpperCaseAgainstTheConfiguredType) {
    const struct {
        const char* configured;
        const char* reported;
        bool emergency;
    } cases[] = {{"EMERGENCY", "emergency", true},
                 {"EMERGENCY", "EMERGENCY", true},
                 {"EMERGENCY", "Emergency!", false},
                 {"PRIORITY", "Priority", true},
                 {"PRIORITY", "Emergency", false},
                 {"priority", "priority", false}};  // the reported type is upper-cased only
    for (const auto& c : cases) {
        World w;
        w.values.TipoMessaggio = c.configured;
        fakes::StationData data = World::Emergency();
        data.messageType = c.reported;
        w.ReceiveEmergency("IW2ABC-9", data);
        EXPECT_EQ(!w.table.GrigliaVuota(), c.emergency) << c.configured << " / " << c.reported;
        // The message box shows the configured type, whatever case the host reported.
        EXPECT_EQ(w.main.TxtMsg.Text(), c.emergency ? c.configured : "");
    }
}

TEST(FrameIntake, FrameArrivingDuringAHostCallIsShownRawAndDropped) {
    World w;
    w.host.SetStation("IW2ABC-9", World::Emergency());
    w.host.SetStation("IK1XYZ", World::Emergency());
    w.host.DeliverDuringGetStation(World::Frame("IK1XYZ"));
    std::string rawDuringNested;
    w.main.TxtRawData.Subscribe([&] { rawDuringNested = w.main.TxtRawData.Text(); });

    w.Receive("IW2ABC-9");

    EXPECT_EQ(rawDuringNested, World::Frame("IK1XYZ"));  // the last change of the raw box
    EXPECT_EQ(w.Callsigns(), std::vector<std::string>{"IW2ABC-9"});
    EXPECT_EQ(w.host.Count("GetStation"), 1);
    EXPECT_EQ(w.intake.InElaborazione(), 0);

    w.Receive("IK1XYZ");  // the guard is open again
    EXPECT_EQ(w.Callsigns(), (std::vector<std::string>{"IW2ABC-9", "IK1XYZ"}));
}

TEST(FrameIntake, ClickThenLowerCaseTTogglesTheTestButton) {
    World w;
    auto key = [&](char c) {
        std::int16_t code = c;
        w.main.TxtRawData.onKeyPress(code);
        EXPECT_EQ(code, c);  // the key still reaches the box
    };
    key('t');  // not armed
    EXPECT_FALSE(w.main.CmdTest.Visible());
    w.main.TxtRawData.onClick();
    key('T');
    key('x');
    EXPECT_FALSE(w.main.CmdTest.Visible());
    key('t');
    EXPECT_TRUE(w.main.CmdTest.Visible());
    key('t');  // disarmed by the switch
    EXPECT_TRUE(w.main.CmdTest.Visible());
    w.main.TxtRawData.onClick();
    key('t');
    EXPECT_FALSE(w.main.CmdTest.Visible());
}

// A host call made to fail once: one notice names the failure, and the next frame is handled
// normally. A call that identifies the frame drops it with the panel untouched; any later call
// leaves the station recorded and alarmed, the notice given once the row is written.
struct FailingCall {
    const char* call;
    bool dropsTheFrame;
};
void PrintTo(const FailingCall& c, std::ostream* os) {
    *os << c.call;
}
class FailingHostCall : public testing::TestWithParam<FailingCall> {};

TEST_P(FailingHostCall, ReportsOnceAndGoesOn) {
    const auto [call, dropped] = GetParam();
    World w;
    w.host.SetStation("IW2ABC-9", World::Emergency());
    w.host.FailOn(call, 1);
    std::vector<std::string> listedAtReport;
    w.fp.dialogs.onNotice = [&](const fakes::Notice&) { listedAtReport = w.Callsigns(); };

    w.Receive("IW2ABC-9");

    EXPECT_TRUE(w.fp.dialogs.boxes.empty());
    ASSERT_EQ(w.fp.dialogs.notices.size(), 1u);
    EXPECT_EQ(w.fp.dialogs.notices[0].icon, platform::Icon::Exclamation);
    EXPECT_NE(w.fp.dialogs.notices[0].text.find(std::string(call) + " failed"), std::string::npos);
    EXPECT_EQ(listedAtReport, std::vector<std::string>{dropped ? "" : "IW2ABC-9"});
    EXPECT_EQ(w.table.GrigliaVuota(), dropped);
    EXPECT_EQ(w.main.TxtNominativo.Text(), dropped ? "" : "IW2ABC-9");
    EXPECT_EQ(w.alarm.IsOn(), !dropped);
    EXPECT_EQ(w.intake.InElaborazione(), 0);
    // A failing map setting leaves the map as it was: no redraw on a half-set style.
    const bool mapSetting = std::string(call).starts_with("Set");
    EXPECT_EQ(w.host.RedrawCount(), dropped || mapSetting ? 0 : 1);
    // A value the host failed to give is shown as missing, in the panel and in the row.
    const std::map<std::string, std::pair<ui::TextBox*, int>> shownIn = {
        {"GetBeaconText", {&w.main.TxtBeaconMsg, -1}},
        {"GetDistance", {&w.main.TxtDistanza, 3}},
        {"GetCourse", {&w.main.TxtDirezione, 4}},
        {"GetSpeed", {&w.main.TxtVelocita, 5}}};
    if (auto box = shownIn.find(call); box != shownIn.end()) {
        EXPECT_EQ(box->second.first->Text(), "-----");
        if (box->second.second >= 0) {
            EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, box->second.second), "-----");
        }
        w.units.MnuUnit_Click(1);  // miles: a missing distance stays missing
        EXPECT_EQ(box->second.first->Text(), "-----");
    }

    w.ReceiveEmergency("IK1XYZ");
    EXPECT_EQ(w.fp.dialogs.notices.size(), 1u);
    EXPECT_EQ(w.main.TxtNominativo.Text(), "IK1XYZ");
    EXPECT_NE(w.table.VerificaNominativo("IK1XYZ"), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(FrameIntake, FailingHostCall, testing::Values(
    FailingCall{"GetAprsData", true}, FailingCall{"SetCallsign", true},
    FailingCall{"GetStation", true}, FailingCall{"GetMessageType", true},
    FailingCall{"GetBeaconText", false}, FailingCall{"GetDistance", false},
    FailingCall{"GetCourse", false}, FailingCall{"GetSpeed", false},
    FailingCall{"GetLatitude", false}, FailingCall{"GetLongitude", false},
    FailingCall{"GetAltitude", false}, FailingCall{"DistanceAndBearing", false},
    FailingCall{"SetDrawWidth", false}, FailingCall{"SetFillStyle", false},
    FailingCall{"SetFillColor", false}, FailingCall{"RedrawMap", false}));
// clang-format on

TEST(FrameIntake, EmergenciesArrivingWhileAFailureIsReportedAreAllRecorded) {
    // The first frame fails while it is identified (dropped) or on its bearing (kept); ten
    // more stations call in while its notice is on screen.
    for (const char* failing : {"GetStation", "DistanceAndBearing"}) {
        SCOPED_TRACE(failing);
        World w;
        w.values.CodiceLingua = 2000;
        w.host.SetStation("IW2ABC-9", World::Emergency());
        w.host.FailOn(failing, 1);
        std::vector<std::string> expected;
        if (failing != std::string("GetStation")) expected.push_back("IW2ABC-9");
        w.fp.dialogs.onNotice = [&](const fakes::Notice&) {
            for (int i = 0; i < 10; ++i) {
                expected.push_back("IK1XY" + std::to_string(i));
                w.ReceiveEmergency(expected.back());
            }
        };

        w.Receive("IW2ABC-9");

        ASSERT_EQ(w.fp.dialogs.notices.size(), 1u);
        EXPECT_EQ(w.fp.dialogs.notices[0].text,
                  "Error while talking to UI-View32:\n" + std::string(failing) + " failed");
        EXPECT_TRUE(w.fp.dialogs.boxes.empty());
        EXPECT_EQ(w.Callsigns(), expected);
        EXPECT_EQ(w.main.TxtNominativo.Text(), "IK1XY9");
        EXPECT_TRUE(w.alarm.IsOn());
        EXPECT_EQ(w.intake.InElaborazione(), 0);
    }
}

TEST(FrameIntake, SeveralFailuresOnOneFrameMakeOneReport) {
    World w;
    w.host.FailOn("GetAltitude", 1);
    w.host.FailOn("SetFillColor", 1);
    w.ReceiveEmergency("IW2ABC-9");
    ASSERT_EQ(w.fp.dialogs.notices.size(), 1u);
    EXPECT_EQ(w.fp.dialogs.notices[0].text,
              "Errore nella comunicazione con UI-View32:\nGetAltitude failed\nSetFillColor failed");
}

}  // namespace
