// An emergency from the host's announcement to the panel, the table, the alarm and the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "fakes/World.h"

namespace {

using fakes::Call;
using fakes::World;

TEST(Emergency, FillsAllElevenPanelBoxesAndAsksTheBearingFromHomeInDegrees) {
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

    std::vector<Call> asked;
    std::ranges::copy_if(w.host.Calls(), std::back_inserter(asked),
                         [](const Call& c) { return c.name == "DistanceAndBearing"; });
    EXPECT_EQ(asked, (std::vector<Call>{{"DistanceAndBearing", {45.4, 9.1, 45.5, -9.2, 1}}}));

    // The map is set to the refresh style, then redrawn: the station's circle follows.
    const std::vector<Call>& map = w.host.map.Calls();
    ASSERT_GE(map.size(), 3u);
    EXPECT_EQ(std::vector<Call>(map.begin(), map.begin() + 3),
              (std::vector<Call>{
                  {"SetDrawWidth", {5}}, {"SetFillStyle", {2}}, {"SetFillColor", {0xFFFF00}}}));
    EXPECT_EQ(w.host.map.Circles().size(), 1u);
}

TEST(Emergency, NewStationFillsTheBlankRowRestoresTheWindowArmsTheAlarmThenAppends) {
    World w;
    w.main.SetState(ui::WindowState::Minimized);
    w.ReceiveEmergency("IW2ABC-9");
    const ui::Grid& g = w.main.FGridStazioni;
    ASSERT_EQ(g.Rows(), 2);
    const std::vector<std::string> row = {"IW2ABC-9", "05/12/2026", "12:00:01",   "12,3",
                                          "270",      "50",         "009.12.34W", "45.30.25N",
                                          "-552,34",  "2730,25"};
    for (int c = 0; c < 10; ++c) EXPECT_EQ(g.TextMatrix(1, c), row[c]) << "column " << c;
    EXPECT_EQ(w.main.State(), ui::WindowState::Normal);
    EXPECT_TRUE(w.alarm.IsOn());

    // Another new station after the alarm was acknowledged: the same again, on a row of its own.
    w.main.CmdTacitaAllarme.onClick();
    w.main.SetState(ui::WindowState::Minimized);
    w.ReceiveEmergency("IK1XYZ");
    EXPECT_EQ(w.Callsigns(), (std::vector<std::string>{"IW2ABC-9", "IK1XYZ"}));
    EXPECT_EQ(w.main.State(), ui::WindowState::Normal);
    EXPECT_TRUE(w.alarm.IsOn());
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

// A value the host lacks (-99999) or fails to give counts as not there: the new station's panel
// and row show dashes, never the previous station's values, and without a position no bearing
// is asked and no circle drawn. The station is still listed; a failure is told once.
TEST(Emergency, MissingOrUnreadableValuesShowDashesAndTheStationIsStillListed) {
    const struct {
        float latitude, longitude, altitude;
        const char* failing;  // a host call made to fail `times` times, or ""
        int times;
        const char *lat, *lon, *azimut, *altezza, *hiddenLat, *hiddenLon;
        int bearingCalls, circles;
    } cases[] = {
        {-99999, -552.34f, 120, "", 0, "-----", "009.12.34W", "0", "120", "-99999", "-552,34", 0,
         1},
        {2730.25f, -99999, 120, "", 0, "45.30.25N", "-----", "0", "120", "2730,25", "-99999", 0, 1},
        {2730.25f, -552.34f, -99999, "", 0, "45.30.25N", "009.12.34W", "45", "-----", "2730,25",
         "-552,34", 1, 2},
        {2730.25f, -552.34f, 0, "", 0, "45.30.25N", "009.12.34W", "45", "0", "2730,25", "-552,34",
         1, 2},
        {2730.25f, -552.34f, 120, "DistanceAndBearing", -1, "45.30.25N", "009.12.34W", "0", "120",
         "2730,25", "-552,34", 1, 2},
        {2730.25f, -552.34f, 120, "GetLatitude", -1, "-----", "009.12.34W", "0", "120", "-99999",
         "-552,34", 0, 1},
        // Not asked again for the row.
        {2730.25f, -552.34f, 120, "GetLatitude", 1, "-----", "009.12.34W", "0", "120", "-99999",
         "-552,34", 0, 1},
        {2730.25f, -552.34f, 120, "GetAltitude", 1, "45.30.25N", "009.12.34W", "45", "-----",
         "2730,25", "-552,34", 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lat) + " " + c.lon + " " + c.altezza + " " + c.failing);
        World w;
        w.host.bearing = 45;
        w.ReceiveEmergency("IK1XYZ", {.beaconText = "IK1XYZ>Help",
                                      .messageType = "EMERGENCY",
                                      .longitude = 600,
                                      .latitude = 2400,
                                      .altitude = 300});
        w.host.ClearCalls();
        if (*c.failing) w.host.FailOn(c.failing, c.times);
        fakes::StationData data = World::Emergency();
        data.latitude = c.latitude;
        data.longitude = c.longitude;
        data.altitude = c.altitude;

        w.ReceiveEmergency("IW2ABC-9", data);

        EXPECT_EQ(w.main.TxtNominativo.Text(), "IW2ABC-9");
        EXPECT_EQ(w.main.TxtLat.Text(), c.lat);
        EXPECT_EQ(w.main.TxtLong.Text(), c.lon);
        EXPECT_EQ(w.main.TxtAzimut.Text(), c.azimut);
        EXPECT_EQ(w.main.TxtAltezza.Text(), c.altezza);
        EXPECT_EQ(w.host.Count("DistanceAndBearing"), c.bearingCalls);
        ASSERT_EQ(w.Callsigns(), (std::vector<std::string>{"IK1XYZ", "IW2ABC-9"}));
        const ui::Grid& g = w.main.FGridStazioni;
        EXPECT_EQ(g.TextMatrix(2, 6), c.lon);
        EXPECT_EQ(g.TextMatrix(2, 7), c.lat);
        EXPECT_EQ(g.TextMatrix(2, 8), c.hiddenLon);
        EXPECT_EQ(g.TextMatrix(2, 9), c.hiddenLat);
        EXPECT_EQ(w.host.map.Circles().size(), size_t(c.circles));
        ASSERT_EQ(w.fp.dialogs.notices.size(), *c.failing ? 1u : 0u);
        if (*c.failing) {
            EXPECT_EQ(w.fp.dialogs.notices[0].text, "Errore nella comunicazione con UI-View32:\n" +
                                                        std::string(c.failing) + " failed");
        }
    }
}

// The bearing in whole degrees (below half a degree "###" gives nothing, shown as 0); the
// distance cut to tenths in the current unit.
TEST(Emergency, BearingIsRoundedAndDistanceCutToTenthsInTheCurrentUnit) {
    const struct {
        double bearing;
        float km;
        std::int16_t unit;
        const char *azimut, *distance;
    } cases[] = {{0.4, 12.37f, 1, "0", "12,3"},
                 {0.5, 16.3f, 1, "1", "16,3"},
                 {359.6, 10, 2, "360", "6,2"},
                 {123.49, 0, 1, "123", "0"}};
    for (const auto& c : cases) {
        World w;
        w.units.SetUp(c.unit);
        w.host.bearing = c.bearing;
        fakes::StationData data = World::Emergency();
        data.distance = c.km;
        w.ReceiveEmergency("IW2ABC-9", data);
        EXPECT_EQ(w.main.TxtAzimut.Text(), c.azimut) << c.bearing;
        EXPECT_EQ(w.main.TxtDistanza.Text(), c.distance) << c.km;
        EXPECT_EQ(w.main.FGridStazioni.TextMatrix(1, 3), c.distance) << c.km;
    }
}

}  // namespace
