// The whole program driven by the built-in host replaying the shipped demo capture: exactly
// the capture's emergency stations reach the panel and the table. The host's counts are
// BuiltinHostTest's; circles drawn through the built-in host are ProgramWindowsTest's.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <optional>
#include <vector>

#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "decode/Replay.h"
#include "fakes/FakePorts.h"
#include "program/Sirenwatch.h"
#include "settings/ProfileFile.h"

namespace builtin_host {
namespace {

// What the panel showed right after one emergency: callsign, message, beacon, distance,
// course, speed, latitude, longitude, bearing, altitude.
using Panel = std::array<std::string, 10>;

TEST(DemoReplay, OnlyTheEmergencyStationsReachThePanelAndTable) {
    fakes::FakePorts fp;
    fakes::TempDir hostDir;
    fakes::InstallHost(fp.userStore, hostDir.Path() + "/");
    settings::WriteProfileString(fp.program.dir.File("Sirenwatch.ini"), "SetUp", "Language", "2");
    fp.clock.now = {2026, 12, 6, 10, 0, 0};
    BuiltinHost host(fp.clock, *HomeFromSettings(LoadHostSettings(hostDir.Path())));
    ::program::Sirenwatch program(fp.ports, host);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(fp.dialogs.boxes.empty());
    const forms::FrmMain& m = program.Main();

    // The clock follows the capture's timestamps; the panel is noted whenever an emergency
    // has just refreshed it.
    std::ifstream in(std::string(SIRENWATCH_SOURCE_DIR) + "/data/demo.tnc2", std::ios::binary);
    ASSERT_TRUE(in) << "data/demo.tnc2 missing";
    std::vector<Panel> panels;
    std::optional<double> last;
    double elapsed_s = 0;
    for (const decode::ReplayLine& line : decode::ReadReplay(in)) {
        elapsed_s += decode::ReplayDelay_s(last, line);
        if (line.time_s) last = line.time_s;
        const int s = static_cast<int>(elapsed_s);
        fp.clock.now = {2026, 12, 6, 10, s / 60, s % 60};
        const std::string before = m.TxtOraRx.Text();
        host.OnTnc2Line(line.tnc2);
        if (m.TxtOraRx.Text() == before) continue;
        panels.push_back({m.TxtNominativo.Text(), m.TxtMsg.Text(), m.TxtBeaconMsg.Text(),
                          m.TxtDistanza.Text(), m.TxtDirezione.Text(), m.TxtVelocita.Text(),
                          m.TxtLat.Text(), m.TxtLong.Text(), m.TxtAzimut.Text(),
                          m.TxtAltezza.Text()});
    }

    // Three emergency frames, from two stations, in the capture's order. Distances are in
    // kilometres from N0CALL cut to tenths; bearings are in whole degrees, worked out by the
    // add-on from coordinates it cuts to hundredths of a degree. Both were checked by hand
    // with a flat-earth estimate (23.8 km at 294 degrees, 37.7 km at 334 degrees).
    EXPECT_EQ(panels, (std::vector<Panel>{
                          {"Q7MOB-9", "EMERGENCY", "Car off the road, need help", "23,8", "45", "0",
                           "45.35.50N", "008.55.62E", "295", "160"},
                          {"Q4HIKE-7", "EMERGENCY", "Injured ankle on the trail", "37,6", "315",
                           "1,852", "45.48.50N", "008.59.55E", "334", "870"},
                          {"Q7MOB-9", "EMERGENCY", "Car off the road, need help", "23,7", "45", "0",
                           "45.35.48N", "008.55.66E", "295", "158"},
                      }));

    // One row per emergency station, in the order they were first heard; what a row shows is
    // checked where the table is filled.
    const ui::Grid& table = m.FGridStazioni;
    ASSERT_EQ(table.Rows(), 3);
    EXPECT_EQ(table.TextMatrix(1, 0), "Q7MOB-9");
    EXPECT_EQ(table.TextMatrix(2, 0), "Q4HIKE-7");
    EXPECT_TRUE(m.TimerAllarme.TimerEnabled());
}

}  // namespace
}  // namespace builtin_host
