// The usual world for tests of the main window's behaviour: the fake host and ports, and the
// main window's subsystems wired as the program wires them (metric, Italian, "," decimals).
// Change w.values before the first frame; call w.table.SetUp() again after ModoTest.
#pragma once

#include <string>

#include "fakes/FakeHost.h"
#include "fakes/FakePorts.h"
#include "geo/Units.h"
#include "host/ProgramValues.h"
#include "map/Circles.h"
#include "map/FrmMarcaPunto.h"
#include "monitor/Alarm.h"
#include "monitor/EmergencyRecorder.h"
#include "monitor/FrameIntake.h"
#include "monitor/FrmMain.h"
#include "monitor/HostEvents.h"
#include "monitor/StationTable.h"
#include "monitor/TestLog.h"
#include "settings/Captions.h"
#include "settings/GestioneINI_New.h"

namespace fakes {

struct World {
    World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // An emergency station 12.37 km away at 45 30.25 N, 9 12.34 W, 120 m up.
    static StationData Emergency();
    // The frame text the host hands over for a frame from callsign.
    static std::string Frame(const std::string& callsign);
    void Receive(const std::string& callsign) { host.Deliver(Frame(callsign)); }
    // Adds an emergency station and receives a frame from it.
    void ReceiveEmergency(const std::string& callsign, StationData data = Emergency());
    // The station callsigns in the table, row 1 on.
    std::vector<std::string> Callsigns() const;

    FakePorts fp;
    FakeHost host;
    host::ProgramValues values;
    monitor::FrmMain main;
    map::FrmMarcaPunto spot;
    settings::GestioneINI_New ini{fp.regional};
    settings::Captions captions{main, spot, values, ini};
    monitor::TestLog log;
    monitor::StationTable table{main, values, host, fp.dialogs};
    monitor::Alarm alarm{main, fp.sound, fp.program};
    monitor::EmergencyRecorder recorder{main,         values, host,  host.map,
                                        host.station, table,  alarm, fp.regional};
    monitor::FrameIntake intake{main, values, host, host.station, recorder, log, fp.ports};
    map::Circles circles{main.FGridStazioni, values, host.map, fp.regional, fp.dialogs};
    geo::Units units{
        main.MnuUnit, main.FGridStazioni, main.TxtDistanza, values, fp.regional, ini, [this] {
            captions.GestioneLingua(values.CodiceLingua);
        }};
    monitor::HostEvents events{intake, circles};
};

}  // namespace fakes
