#include "map_scene/BaseMapLines.h"

#include <algorithm>

namespace map_scene {
namespace {

struct GeoBox {
    double west, east, south, north;
    bool Meets(const basemap::GeoLine& line) const {
        return line.maxLongitude_deg >= west && line.minLongitude_deg <= east &&
               line.maxLatitude_deg >= south && line.minLatitude_deg <= north;
    }
};

GeoBox BoxInView(const MapProjection& p, const Rect& view) {
    const basemap::GeoPoint a = p.ToGeo({view.left, view.top});
    const basemap::GeoPoint b = p.ToGeo({view.Right(), view.Bottom()});
    return {std::min(a.longitude_deg, b.longitude_deg), std::max(a.longitude_deg, b.longitude_deg),
            std::min(a.latitude_deg, b.latitude_deg), std::max(a.latitude_deg, b.latitude_deg)};
}

// The line drawn `shift` degrees east of where its numbers say (a whole turn, near 180°).
Polyline Projected(const basemap::GeoLine& line, const MapProjection& p, double shift) {
    Polyline points;
    points.reserve(line.points.size());
    for (const auto& point : line.points)
        points.push_back(p.ToScreen(point.latitude_deg, point.longitude_deg + shift));
    return points;
}

}  // namespace

std::vector<Polyline> LinesInView(const std::vector<basemap::GeoLine>& lines,
                                  const MapProjection& p, const Rect& view) {
    const GeoBox box = BoxInView(p, view);
    std::vector<Polyline> shown;
    for (const double shift : {-360.0, 0.0, 360.0}) {
        const GeoBox shifted{box.west - shift, box.east - shift, box.south, box.north};
        if (shifted.east < -180 || shifted.west > 180) continue;
        for (const basemap::GeoLine& line : lines)
            if (!line.points.empty() && shifted.Meets(line))
                shown.push_back(Projected(line, p, shift));
    }
    return shown;
}

}  // namespace map_scene
