// Which emergencies set the siren off: stations to ignore, and the area an emergency must lie
// in. What is held back is still listed and logged, with the reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "incidents/Observation.h"

namespace incidents {

struct IgnoredStation {
    // A callsign, "-0" or no SSID alike; a trailing '*' matches every callsign it begins.
    std::string pattern;
    std::string reason;
};

struct WatchList {
    std::vector<IgnoredStation> ignore;
    std::optional<double> alarmRadius_km;  // around home
    // A polygon, edges straight in latitude and longitude, each the shorter way round (so an
    // area may cross 180 degrees); it must not hold a pole. Fewer than three points: none.
    std::vector<GeoPoint> alarmArea;
};

struct Decision {
    bool sound = true;
    std::string heldBackReason;  // empty when it sounds
};

// Whether an emergency of this observation sounds. With both a radius and a polygon set, it
// sounds inside either; an emergency whose position (or distance) is unknown sounds.
Decision Decide(const WatchList& list, const Sighting& observation);

bool Matches(std::string_view pattern, std::string_view callsign);
bool InsideArea(const std::vector<GeoPoint>& polygon, GeoPoint point);

struct ParsedWatchList {
    WatchList list;
    std::vector<std::string> problems;  // one line for each value that was left out
};

// The settings' values: Ignore "CALL:reason;CALL2:reason", AlarmRadiusKm "50",
// AlarmArea "lat,lon;lat,lon;lat,lon" in decimal degrees, "." the decimal point.
// A value that cannot be read is left out (so it holds nothing back) and said in problems.
ParsedWatchList ParseWatchList(std::string_view ignore, std::string_view alarmRadiusKm,
                               std::string_view alarmArea);

}  // namespace incidents
