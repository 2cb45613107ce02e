// Only lines whose bounding box meets the view are projected; land rings go into one path
// filled odd-even, so a lake inside a continent stays water.
#include "qt_host/BaseMapLayer.h"

#include <QPainterPath>
#include <algorithm>

namespace qt_host {
namespace {

struct GeoBox {
    double west, east, south, north;
    bool Meets(const basemap::GeoLine& line) const {
        return line.maxLongitude_deg >= west && line.minLongitude_deg <= east &&
               line.maxLatitude_deg >= south && line.minLatitude_deg <= north;
    }
};

GeoBox BoxInView(const MapProjection& p, const QRectF& view) {
    const basemap::GeoPoint a = p.ToGeo(view.topLeft()), b = p.ToGeo(view.bottomRight());
    return {std::min(a.longitude_deg, b.longitude_deg), std::max(a.longitude_deg, b.longitude_deg),
            std::min(a.latitude_deg, b.latitude_deg), std::max(a.latitude_deg, b.latitude_deg)};
}

// The line drawn `shift` degrees east of where its numbers say (a whole turn, near 180°).
void AddLine(QPainterPath& path, const basemap::GeoLine& line, const MapProjection& p, double shift,
             bool closed) {
    const auto& first = line.points.front();
    path.moveTo(p.ToScreen(first.latitude_deg, first.longitude_deg + shift));
    for (std::size_t i = 1; i < line.points.size(); ++i)
        path.lineTo(p.ToScreen(line.points[i].latitude_deg, line.points[i].longitude_deg + shift));
    if (closed) path.closeSubpath();
}

// Every line of `lines` that meets the view, once for each turn of the world the view shows,
// so the map goes on across 180° as the view does.
QPainterPath PathInView(const std::vector<basemap::GeoLine>& lines, const MapProjection& p,
                        const GeoBox& box, bool closed) {
    QPainterPath path;
    for (const double shift : {-360.0, 0.0, 360.0}) {
        const GeoBox shifted{box.west - shift, box.east - shift, box.south, box.north};
        if (shifted.east < -180 || shifted.west > 180) continue;
        for (const basemap::GeoLine& line : lines)
            if (shifted.Meets(line)) AddLine(path, line, p, shift, closed);
    }
    return path;
}

}  // namespace

void PaintBaseMap(QPainter& painter, const basemap::BaseMap* map, const MapProjection& p,
                  const QRectF& view) {
    if (map == nullptr) {
        painter.fillRect(view, QColor(236, 242, 230));
        return;
    }
    painter.fillRect(view, kSeaColor);
    const GeoBox box = BoxInView(p, view);
    QPainterPath land = PathInView(map->land, p, box, true);
    land.setFillRule(Qt::OddEvenFill);
    painter.setPen(QPen(QColor(110, 140, 160), 1));
    painter.setBrush(kLandColor);
    painter.drawPath(land);

    const QPainterPath borders = PathInView(map->borders, p, box, false);
    painter.setPen(QPen(QColor(160, 110, 160), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(borders);
}

}  // namespace qt_host
