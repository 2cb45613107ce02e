// The offline base map: land and country borders as lines of longitude/latitude points, read
// from the compact file that ships beside the executable (data/basemap.txt; its header says
// where it comes from and scripts/make-basemap.py how it is made).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

namespace basemap {

struct GeoPoint {
    double longitude_deg = 0;
    double latitude_deg = 0;
};

struct GeoLine {
    std::vector<GeoPoint> points;
    double minLongitude_deg = 0, maxLongitude_deg = 0;  // the bounding box, for culling
    double minLatitude_deg = 0, maxLatitude_deg = 0;
};

struct BaseMap {
    std::vector<GeoLine> land;     // closed rings; a ring inside another is a hole (a lake)
    std::vector<GeoLine> borders;  // lines between countries; coasts are the land's outline
};

// The whole file's text. A damaged file is a problem that names the line that is wrong.
platform::Result<BaseMap> ParseBaseMap(std::string_view text);

// Reads and parses the file; a problem when it cannot be used.
platform::Result<BaseMap> LoadBaseMap(const std::string& path);

}  // namespace basemap
