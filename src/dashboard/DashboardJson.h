// The dashboard's data as JSON text for the page: safe to serve, since '<', '>' and '&' in
// text from the air leave as \u escapes.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "basemap/BaseMap.h"
#include "dashboard/DashboardSource.h"

namespace dashboard {

nlohmann::json SnapshotJson(const Snapshot& snapshot);
// The land and the borders as a GeoJSON FeatureCollection of polygons and lines.
nlohmann::json BaseMapGeoJson(const basemap::BaseMap& map);
// Compact JSON with markup characters escaped; bytes that are not UTF-8 become U+FFFD.
std::string SafeJson(const nlohmann::json& value);
// {"error": message}, safe to serve.
std::string ErrorJson(const std::string& message);

}  // namespace dashboard
