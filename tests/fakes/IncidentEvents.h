// The events the incident outlets' tests feed them: a new emergency as the panel shows it, and a
// logged watch of two days (an emergency that moves, an acknowledgement, a second station).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fakes/TempFolder.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/IsoTime.h"
#include "incidents/Events.h"

namespace fakes {

// Q7MOB-9's first emergency (or a repeat), 23.8 km from home on bearing 295, at
// 2026-12-07T10:00:00Z.
inline incidents::Event NewEmergency(bool isNew = true) {
    incidents::Emergency e{.unit = "km", .isNew = isNew};
    e.panel.text = {"Q7MOB-9", "EMERGENCY", "Car <off> the road", "", "23.8", "", "", "",
                    "",        "295"};
    e.evidence =
        incidents::Evidence{.frame = "Q7MOB-9>453UU0,WIDE1-1:`~SZl I>/\"5\\}Car <off> the road",
                            .cause = "Mic-E message bits 000 (Emergency)",
                            .place = incidents::Place{45.591667, 8.927}};
    return {1796637600, e};
}

inline std::int64_t At(const char* time) {
    return incidents::ParseIsoTime(time).value_or(0);
}

// An emergency at `time` whose frame holds markup and a control byte, as the air may send.
inline incidents::Event LoggedEmergency(const char* time, const char* call, double lat, double lon,
                                        bool copy = false) {
    incidents::Emergency e{.copy = copy};
    e.panel.text[0] = call;
    e.evidence = incidents::Evidence{.frame = call + std::string(">APRS:<b>&\"help\"</b>\x01"),
                                     .cause = "Mic-E message bits 000 (Emergency)",
                                     .place = incidents::Place{lat, lon}};
    return {At(time), e};
}

inline incidents::Event LoggedPosition(const char* time, const char* call, double lat, double lon) {
    return {At(time), incidents::Position{call, {lat, lon}}};
}

// A log of two days: Q7MOB-9 in emergency and moving, Q4HIKE-7 the next day.
struct LoggedWatch {
    TempFolder dir;
    incidents::IncidentLog log{dir.Path() + "/incidents"};
    LoggedWatch() {
        for (const incidents::Event& e :
             {LoggedEmergency("2026-12-06T23:59:00Z", "Q7MOB-9", 45.5, 9.1),
              LoggedPosition("2026-12-06T23:59:00Z", "Q7MOB-9", 45.5, 9.1),
              LoggedPosition("2026-12-07T00:01:00Z", "Q7MOB-9", 45.51, 9.12),
              incidents::Event{At("2026-12-07T00:02:00Z"), incidents::Acknowledged{}},
              LoggedEmergency("2026-12-07T08:00:00Z", "Q4HIKE-7", 45.8, 8.99),
              LoggedPosition("2026-12-07T08:00:00Z", "Q4HIKE-7", 45.8, 8.99)})
            EXPECT_TRUE(log.Append(e));
    }
    // A file beside the log, and the log's file of a day ("2026-12-07").
    std::string Path(const char* name) const { return dir.Path() + "/" + name; }
    std::string File(const char* day) const {
        return log.Folder() + "/incidents-" + day + ".jsonl";
    }
};

}  // namespace fakes
