// An emergency from the host's announcement to the panel, the table, the alarm and the map.
#include <gtest/gtest.h>

#include "fakes/World.h"

namespace {

using fakes::Call;
using fakes::World;

TEST(Emergency, FillsAllElevenPanelBoxes) {
    World w;
    w.host.bearing = 200.5;
    w.ReceiveEmergency("IW2ABC-9");

    EXPECT_EQ(w.main.TxtNominativo.Text(), "IW2ABC-9");
    EXPECT_EQ(w.main.TxtMsg.Text(), "EMERGENCY");
    EXPECT_EQ(w.main.TxtBeaconMsg.Text(), "Help needed");
    EXPECT_EQ(w.main.TxtOraRx.Text(), "12:00:01 05/12/2026");
    EXPECT_EQ(w.main.TxtDistanza.Text(), "12,3");
    EXPECT_EQ(w.main.TxtDirezione.Text(), "270");
    EXPECT_EQ(w.main.TxtVelocita.Text(), "50");
    EXPECT_EQ(w.main.TxtLat.Text(), "45.30.25N");
    EXPECT_EQ(w.main.TxtLong.Text(), "009.12.34W");
    EXPECT_EQ(w.main.TxtAzimut.Text(), "201");
    EXPECT_EQ(w.main.TxtAltezza.Text(), "120");
    EXPECT_EQ(w.intake.InElaborazione(), 0);
}

TEST(Emergency, AsksTheBearingFromHomeInDecimalDegrees) {
    World w;
    w.ReceiveEmergency("IW2ABC-9");
    ASSERT_EQ(w.host.Count("DistanceAndBearing"), 1);
    for (const Call& c : w.host.Calls()) {
        if (c.name != "DistanceAndBearing") continue;
        EXPECT_EQ(c.values, (std::vector<double>{45.4, 9.1, 45.5, -9.2, 1}));
    }
}

TEST(Emergency, NewStationFillsTheBlankRowThenAppends) {
    World w;
    w.ReceiveEmergency("IW2ABC-9");
    const ui::Grid& g = w.main.FGridStazioni;
    ASSERT_EQ(g.Rows(), 2);
    const std::vector<std::string> row = {"IW2ABC-9", "05/12/2026", "12:00:01",   "12,3",
                                          "270",      "50",         "009.12.34W", "45.30.25N",
                                          "-552,34",  "2730,25"};
    for (int c = 0; c < 10; ++c) EXPECT_EQ(g.TextMatrix(1, c), row[c]) << "column " << c;
    EXPECT_FALSE(w.table.GrigliaVuota());

    w.ReceiveEmergency("IK1XYZ");
    EXPECT_EQ(w.Callsigns(), (std::vector<std::string>{"IW2ABC-9", "IK1XYZ"}));
}

TEST(Emergency, AlarmStartsForANewStationAndSoundsOnlyAtTheNextTick) {
    World w;
    w.ReceiveEmergency("IW2ABC-9");
    EXPECT_TRUE(w.alarm.IsOn());
    EXPECT_TRUE(w.fp.sound.played.empty());
    w.main.TimerAllarme.Tick();
    EXPECT_EQ(w.fp.sound.played.size(), 1u);
}

TEST(Emergency, RepeatRefreshesTheRowButLeavesAnAcknowledgedAlarmAndTheWindowAlone) {
    World w;
    w.ReceiveEmergency("IW2ABC-9");
    w.ReceiveEmergency("IK1XYZ");
    w.main.CmdTacitaAllarme.onClick();
    w.main.SetState(ui::WindowState::Minimized);
    fakes::StationData moved = World::Emergency();
    moved.speed = 7.5f;
    w.fp.clock.now.second = 9;
    const int redraws = w.host.RedrawCount();

    w.ReceiveEmergency("IW2ABC-9", moved);

    EXPECT_EQ(w.Callsigns(), (std::vector<std::string>{"IW2ABC-9", "IK1XYZ"}));
    EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 5), "7,5");
    EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 2), "12:00:09");
    EXPECT_EQ(w.main.TxtVelocita.Text(), "7,5");
    EXPECT_FALSE(w.alarm.IsOn());
    EXPECT_EQ(w.main.State(), ui::WindowState::Minimized);
    EXPECT_EQ(w.host.RedrawCount(), redraws + 1);
}

TEST(Emergency, NewStationRestoresAMinimisedWindow) {
    World w;
    w.main.SetState(ui::WindowState::Minimized);
    w.ReceiveEmergency("IW2ABC-9");
    EXPECT_EQ(w.main.State(), ui::WindowState::Normal);
}

TEST(Emergency, MapRefreshSetsTheRefreshStyleThenDrawsEachStationInTheUserStyle) {
    World w;
    w.values.SpessoreCerchio = 3;
    w.ReceiveEmergency("IW2ABC-9");
    w.host.map.ClearCalls();
    w.ReceiveEmergency("IK1XYZ");

    const std::vector<Call> expected = {
        {"SetDrawWidth", {5}},
        {"SetFillStyle", {2}},
        {"SetFillColor", {0xFFFF00}},
        {"SetDrawWidth", {3}},
        {"SetFillStyle", {7}},
        {"SetFillColor", {16777215}},
        {"GetScale", {}},
        {"DrawCircle", {-552.34f, 2730.25f, 2, 255, 0, 6.283185958862305, 1}},
        {"SetDrawWidth", {3}},
        {"SetFillStyle", {7}},
        {"SetFillColor", {16777215}},
        {"GetScale", {}},
        {"DrawCircle", {-552.34f, 2730.25f, 2, 255, 0, 6.283185958862305, 1}},
    };
    EXPECT_EQ(w.host.map.Calls(), expected);
}

// Station data the host may lack, and what the panel and the row show for it.
struct MissingCase {
    const char* name;
    float latitude;
    float longitude;
    float altitude;
    const char* lat;
    const char* lon;
    const char* azimut;
    const char* altezza;
    int bearingCalls;
};

class MissingValues : public testing::TestWithParam<MissingCase> {};

TEST_P(MissingValues, ShowDashesAndNoBearing) {
    const MissingCase& c = GetParam();
    World w;
    w.host.bearing = 90;
    fakes::StationData data = World::Emergency();
    data.latitude = c.latitude;
    data.longitude = c.longitude;
    data.altitude = c.altitude;
    w.ReceiveEmergency("IW2ABC-9", data);

    EXPECT_EQ(w.main.TxtLat.Text(), c.lat);
    EXPECT_EQ(w.main.TxtLong.Text(), c.lon);
    EXPECT_EQ(w.main.TxtAzimut.Text(), c.azimut);
    EXPECT_EQ(w.main.TxtAltezza.Text(), c.altezza);
    EXPECT_EQ(w.host.Count("DistanceAndBearing"), c.bearingCalls);
    EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 7), c.lat);
    EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 6), c.lon);
}

INSTANTIATE_TEST_SUITE_P(Emergency, MissingValues,
                         testing::Values(MissingCase{"NoLatitude", -99999, -552.34f, 120, "-----",
                                                     "009.12.34W", "0", "120", 0},
                                         MissingCase{"NoLongitude", 2730.25f, -99999, 120,
                                                     "45.30.25N", "-----", "0", "120", 0},
                                         MissingCase{"NoAltitude", 2730.25f, -552.34f, -99999,
                                                     "45.30.25N", "009.12.34W", "90", "-----", 1},
                                         MissingCase{"AltitudeZero", 2730.25f, -552.34f, 0,
                                                     "45.30.25N", "009.12.34W", "90", "0", 1}),
                         [](const testing::TestParamInfo<MissingCase>& i) {
                             return std::string(i.param.name);
                         });

TEST(Emergency, StationWithoutLatitudeKeepsTheHostMarkerInItsHiddenColumn) {
    World w;
    fakes::StationData data = World::Emergency();
    data.latitude = -99999;
    w.ReceiveEmergency("IW2ABC-9", data);
    EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 9), "-99999");
}

// The bearing is shown in whole degrees; below half a degree "###" gives nothing, shown as 0.
TEST(Emergency, BearingIsRoundedToWholeDegrees) {
    const std::pair<double, const char*> cases[] = {
        {0.4, "0"}, {0.5, "1"}, {359.6, "360"}, {123.49, "123"}};
    for (auto [bearing, shown] : cases) {
        World w;
        w.host.bearing = bearing;
        w.ReceiveEmergency("IW2ABC-9");
        EXPECT_EQ(w.main.TxtAzimut.Text(), shown) << bearing;
    }
}

TEST(Emergency, DistanceIsCutToTenthsInTheCurrentUnit) {
    const struct {
        float km;
        std::int16_t unit;
        const char* shown;
    } cases[] = {{12.37f, 1, "12,3"}, {16.3f, 1, "16,3"}, {10, 2, "6,2"}, {0, 1, "0"}};
    for (const auto& c : cases) {
        World w;
        w.units.SetUp(c.unit);
        fakes::StationData data = World::Emergency();
        data.distance = c.km;
        w.ReceiveEmergency("IW2ABC-9", data);
        EXPECT_EQ(w.main.TxtDistanza.Text(), c.shown) << c.km;
        EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 3), c.shown) << c.km;
    }
}

TEST(Emergency, TimeAndDateFollowTheClockAndTheRegionalDateFormat) {
    World w;
    w.fp.regional.set(".", "M/d/yyyy");
    w.fp.clock.now = {2026, 3, 7, 8, 5, 9};
    w.ReceiveEmergency("IW2ABC-9");
    EXPECT_EQ(w.main.TxtOraRx.Text(), "08:05:09 3/7/2026");
    EXPECT_EQ(w.main.TxtDistanza.Text(), "12.3");
}

}  // namespace
