// Only lines whose bounding box meets the view are projected; land rings go into one path
// filled odd-even, so a lake inside a continent stays water.
#include "qt_host/BaseMapLayer.h"

#include <QPainterPath>
#include <algorithm>

namespace qt_host {
namespace {

struct GeoBox {
    double west, east, south, north;
    bool Meets(const builtin_host::GeoLine& line) const {
        return line.maxLongitude_deg >= west && line.minLongitude_deg <= east &&
               line.maxLatitude_deg >= south && line.minLatitude_deg <= north;
    }
};

GeoBox BoxInView(const MapProjection& p, const QRectF& view) {
    const builtin_host::GeoPoint a = p.ToGeo(view.topLeft()), b = p.ToGeo(view.bottomRight());
    return {std::min(a.longitude_deg, b.longitude_deg), std::max(a.longitude_deg, b.longitude_deg),
            std::min(a.latitude_deg, b.latitude_deg), std::max(a.latitude_deg, b.latitude_deg)};
}

void AddLine(QPainterPath& path, const builtin_host::GeoLine& line, const MapProjection& p,
             bool closed) {
    path.moveTo(p.ToScreen(line.points.front().latitude_deg, line.points.front().longitude_deg));
    for (std::size_t i = 1; i < line.points.size(); ++i)
        path.lineTo(p.ToScreen(line.points[i].latitude_deg, line.points[i].longitude_deg));
    if (closed) path.closeSubpath();
}

}  // namespace

void PaintBaseMap(QPainter& painter, const builtin_host::BaseMap* map, const MapProjection& p,
                  const QRectF& view) {
    if (map == nullptr) {
        painter.fillRect(view, QColor(236, 242, 230));
        return;
    }
    painter.fillRect(view, kSeaColor);
    const GeoBox box = BoxInView(p, view);
    QPainterPath land;
    land.setFillRule(Qt::OddEvenFill);
    for (const builtin_host::GeoLine& ring : map->land)
        if (box.Meets(ring)) AddLine(land, ring, p, true);
    painter.setPen(QPen(QColor(110, 140, 160), 1));
    painter.setBrush(kLandColor);
    painter.drawPath(land);

    QPainterPath borders;
    for (const builtin_host::GeoLine& border : map->borders)
        if (box.Meets(border)) AddLine(borders, border, p, false);
    painter.setPen(QPen(QColor(160, 110, 160), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(borders);
}

}  // namespace qt_host
