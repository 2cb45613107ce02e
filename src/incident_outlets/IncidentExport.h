// The incident log as something other mapping programs open: the emergency points and the
// tracks of the stations in emergency, as GPX 1.1 or KML 2.2.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Result.h"

namespace incidents {

struct IncidentPoint {
    std::int64_t time_s = 0;
    double latitude_deg = 0;
    double longitude_deg = 0;
};

// Where an incident stood at the end of what was read: its state, grade and notes.
struct IncidentOutcome {
    std::string state;  // "new", "acknowledged", "being_handled", "stood_down", "closed"
    std::string handler;
    std::string grade;               // in words
    std::string heldBack;            // why it did not sound, when it did not
    std::vector<std::string> notes;  // "operator: text", oldest first
};

struct EmergencyMark {
    std::string callsign;
    IncidentPoint point;
    std::string cause;
    std::string frame;
    std::int64_t incident = 0;  // the incident it belongs to; 0: none logged
};

// The watch stopping or starting again: the time between, nobody watched.
struct WatchMark {
    std::int64_t time_s = 0;
    std::string name;                    // "watch stopped", "watch started"
    std::string description;             // since when it was down, and whether it stopped cleanly
    std::optional<IncidentPoint> place;  // the home station, when the log says where it is
};

struct IncidentHistory {
    std::vector<EmergencyMark> emergencies;                    // in the order heard
    std::map<std::int64_t, IncidentOutcome> incidents;         // by incident number
    std::map<std::string, std::vector<IncidentPoint>> tracks;  // by callsign, in time order
    std::vector<WatchMark> watch;                              // in the order logged
    int unreadableLines = 0;  // a line cut short by a crash, or not ours
};

// The events of the log files in `folder` at or after `since_s` (all when none).
IncidentHistory ReadIncidents(const std::string& folder, std::optional<std::int64_t> since_s);

std::string GpxText(const IncidentHistory& history);
std::string KmlText(const IncidentHistory& history);

// "2026-12-07", "2026-12-07T10:00", "2026-12-07T10:00:00Z", "...+01:00": local time unless
// the text gives its zone; its Unix seconds, nothing for other text.
std::optional<std::int64_t> ParseSince(const std::string& text);

// Writes the file whole (GPX or KML by its extension) and says what it wrote; or leaves any
// old one as it was and says why, as the problem.
platform::Result<std::string> ExportIncidents(const std::string& folder, const std::string& file,
                                              std::optional<std::int64_t> since_s);

}  // namespace incidents
