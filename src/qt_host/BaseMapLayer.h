// Painting the offline base map: sea, land with its coasts, and country borders, for the part
// of the world in view.
#pragma once

#include <QPainter>
#include <QRectF>

#include "basemap/BaseMap.h"
#include "qt_host/ScenePoints.h"

namespace qt_host {

// Fills `view` with sea, then draws what of the map lies in it. Without a map, an empty
// land-coloured background, as the window had before it had a map.
void PaintBaseMap(QPainter& painter, const basemap::BaseMap* map, const MapProjection& p,
                  const QRectF& view);

}  // namespace qt_host
