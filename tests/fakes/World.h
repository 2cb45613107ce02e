// The usual world for tests of the main window's behaviour: the fake host and ports, and the
// main window's subsystems wired as the program wires them (metric, Italian, "," decimals).
// Change w.values before the first frame; call w.table.SetUp() again after ModoTest.
#pragma once

#include <string>
#include <vector>

#include "fakes/FakeHost.h"
#include "fakes/FakePorts.h"
#include "monitor/Units.h"
#include "program/Captions.h"
#include "program/HostSession.h"  // the main window's subsystems

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
    platform::ProgramValues values;
    forms::FrmMain main;
    forms::FrmMarcaPunto spot;
    settings::GestioneINI_New ini{fp.regional};
    program::Captions captions{main, spot, values, ini};
    monitor::TestLog log;
    monitor::Alarm alarm{main, fp.sound, fp.program};
    program::HostSession session{main, values, fp.ports, alarm, log, host, host.station};
    monitor::StationTable& table = session.table;
    monitor::FrameIntake& intake = session.intake;
    map::Circles& circles = session.circles;
    monitor::Units units{
        main.MnuUnit, main.FGridStazioni, main.TxtDistanza, values, fp.regional, ini, [this] {
            captions.GestioneLingua(values.CodiceLingua);
        }};
};

}  // namespace fakes
