// The dashboard's data as JSON text for the page: safe to serve, since '<', '>' and '&' in
// text from the air leave as \u escapes.
#pragma once

#include <QByteArray>
#include <QJsonObject>

#include "basemap/BaseMap.h"
#include "incident_ui/dashboard/DashboardSource.h"

namespace incident_ui::dashboard {

QJsonObject SnapshotJson(const Snapshot& snapshot);
// The land and the borders as a GeoJSON FeatureCollection of polygons and lines.
QJsonObject BaseMapGeoJson(const basemap::BaseMap& map);
// Compact JSON with markup characters escaped.
QByteArray SafeJson(const QJsonObject& object);

}  // namespace incident_ui::dashboard
