// What the map tells about a station: its data and, for one in emergency, why. Plain text.
#pragma once

#include <string>

#include "builtin_host/Evidence.h"
#include "builtin_host/StationList.h"

namespace map_scene {

// A distance in the user's unit, cut down to tenths as the add-on's panel shows it:
// "23.7 km", "14.7 mi".
std::string DistanceText(double km, bool miles);

// The station's detail with its distance and bearing from home.
std::string StationDetail(const builtin_host::StationData& station,
                          const builtin_host::StationEvidence* evidence,
                          const builtin_host::HomePosition& home, bool miles);

}  // namespace map_scene
