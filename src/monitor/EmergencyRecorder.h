// What follows the decision that a frame is an emergency: position texts, bearing, the last
// four panel boxes, the station's row, the alarm for a new station and the map refresh.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forms/FrmMain.h"
#include "host/HostPorts.h"
#include "monitor/Alarm.h"
#include "monitor/StationTable.h"
#include "platform/ProgramValues.h"
#include "platform/Regional.h"

namespace monitor {

// What the frame handler has already worked out for this emergency.
// Texts are "-----" for a value the host failed to give.
struct Reception {
    std::string callsign;
    std::string distanceText;  // in the current unit, cut to tenths
    std::string courseText;
    std::string speedText;
    platform::DateTime when;
};

class EmergencyRecorder {
public:
    EmergencyRecorder(forms::FrmMain& form, const platform::ProgramValues& values,
                      host::Application& app, host::Map& map, host::Station& station,
                      StationTable& table, Alarm& alarm, const platform::Regional& regional);

    // Position, bearing, panel, table, alarm and map refresh for one emergency. A failing host
    // call here costs only what it was asked for: a position or altitude read counts as
    // missing, the bearing as not worked out, a map call leaves the map as it is. The station
    // is recorded all the same; what failed is given back for the caller to report.
    std::vector<std::string> Record(const Reception& reception);

    // Brings a minimised main window back to its normal state.
    void VisualizzaForm();

private:
    struct Position {
        std::string text = "-----";  // display text or "-----"
        double degrees = 0;
        bool known = false;
        bool answered = true;  // false: the host failed to give it
    };
    using Failures = std::vector<std::string>;
    // A position or altitude read from the station object; nothing when the call failed.
    std::optional<float> Read(float (host::Station::*getter)(), Failures& failures);
    Position Place(std::optional<float> value, bool longitude) const;
    double Bearing(const Position& lat, const Position& lon, Failures& failures);
    RigaStazione Row(const Reception& reception, const Position& lat, const Position& lon,
                     Failures& failures);
    void Enter(const RigaStazione& row);
    void RefreshMap(Failures& failures);

    forms::FrmMain& form_;
    const platform::ProgramValues& values_;
    host::Application& app_;
    host::Map& map_;
    host::Station& station_;
    StationTable& table_;
    Alarm& alarm_;
    const platform::Regional& regional_;
};

}  // namespace monitor
