// The map scene's points and rectangles as Qt's, and back.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "map_scene/Geometry.h"
#include "map_scene/Projection.h"

namespace qt_host {

using map_scene::MapProjection;

inline QPointF ToQt(map_scene::Point p) {
    return {p.x, p.y};
}
inline QRectF ToQt(const map_scene::Rect& r) {
    return {r.left, r.top, r.width, r.height};
}
inline QColor ToQt(map_scene::Rgb c) {
    return QColor(c.red, c.green, c.blue);
}
inline map_scene::Point FromQt(QPointF p) {
    return {p.x(), p.y()};
}
inline map_scene::Rect FromQt(const QRectF& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

}  // namespace qt_host
