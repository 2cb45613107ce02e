// One connection to the host's objects: the subsystems that talk to them (station table,
// emergency recording, frame intake, circles) and the listener that hands them the host's
// events. The program builds one at start-up; tests and benchmarks build one over a fake host.
#pragma once

#include <functional>

#include "forms/FrmMain.h"
#include "host/HostPorts.h"
#include "map/Circles.h"
#include "monitor/Alarm.h"
#include "monitor/EmergencyRecorder.h"
#include "monitor/FrameIntake.h"
#include "monitor/StationTable.h"
#include "monitor/TestLog.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"

namespace program {

class HostSession final : public host::ApplicationEvents, public host::MapEvents {
public:
    // Listens to app and to its map from here on; onClosing runs when the host closes.
    HostSession(forms::FrmMain& main, platform::ProgramValues& values, platform::Ports& ports,
                monitor::Alarm& alarm, monitor::TestLog& log, host::Application& app,
                host::Station& station, std::function<void()> onClosing = {});
    ~HostSession() override;
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    void DataAvailable() override { intake.mUIV_DataAvailable(); }
    void UIView32IsClosing() override;
    void MapRedrawn() override { circles.mUivMap_MapRedrawn(); }
    // Told once, then the same shut-down as the host's closing.
    void HostLost(const std::string& what) override;

    host::Application& app;
    host::Map& map;
    monitor::StationTable table;
    monitor::EmergencyRecorder recorder;
    monitor::FrameIntake intake;
    map::Circles circles;

private:
    const platform::ProgramValues& values_;
    platform::Dialogs& dialogs_;
    std::function<void()> onClosing_;
    bool lost_ = false;
};

}  // namespace program
