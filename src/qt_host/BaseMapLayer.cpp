// Land rings go into one path filled odd-even, so a lake inside a continent stays water.
#include "qt_host/BaseMapLayer.h"

#include <QPainterPath>

#include "map_scene/BaseMapLines.h"

namespace qt_host {
namespace {

QPainterPath PathOf(const std::vector<map_scene::Polyline>& lines, bool closed) {
    QPainterPath path;
    for (const map_scene::Polyline& line : lines) {
        path.moveTo(ToQt(line.front()));
        for (std::size_t i = 1; i < line.size(); ++i) path.lineTo(ToQt(line[i]));
        if (closed) path.closeSubpath();
    }
    return path;
}

}  // namespace

void PaintBaseMap(QPainter& painter, const basemap::BaseMap* map, const MapProjection& p,
                  const QRectF& view) {
    if (map == nullptr) {
        painter.fillRect(view, ToQt(map_scene::kNoMapColor));
        return;
    }
    painter.fillRect(view, ToQt(map_scene::kSeaColor));
    QPainterPath land = PathOf(map_scene::LinesInView(map->land, p, FromQt(view)), true);
    land.setFillRule(Qt::OddEvenFill);
    painter.setPen(QPen(ToQt(map_scene::kCoastColor), 1));
    painter.setBrush(ToQt(map_scene::kLandColor));
    painter.drawPath(land);

    const QPainterPath borders =
        PathOf(map_scene::LinesInView(map->borders, p, FromQt(view)), false);
    painter.setPen(QPen(ToQt(map_scene::kBorderColor), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(borders);
}

}  // namespace qt_host
