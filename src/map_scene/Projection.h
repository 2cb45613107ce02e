// The map window's projection: kilometres east and north of the home station (a flat,
// equirectangular projection true at the home station's latitude), scaled to pixels around
// the point of the map shown at the centre of the view.
#pragma once

#include <cmath>

#include "basemap/BaseMap.h"
#include "map_scene/Geometry.h"

namespace map_scene {

struct MapProjection {
    static constexpr double kKmPerDegreeLat = 110.574;
    static constexpr double kKmPerDegreeLonAtEquator = 111.320;

    double homeLat = 0;
    double homeLon = 0;
    double pixelsPerKm = 1;
    Point centre;             // the view's centre, in pixels
    double centreEastKm = 0;  // the map's point shown there, from the home station
    double centreNorthKm = 0;

    double KmPerDegreeLon() const {
        return kKmPerDegreeLonAtEquator * std::cos(homeLat * 3.14159265358979323846 / 180);
    }
    Point ToScreen(double latDeg, double lonDeg) const {
        const double eastKm = (lonDeg - homeLon) * KmPerDegreeLon() - centreEastKm;
        const double northKm = (latDeg - homeLat) * kKmPerDegreeLat - centreNorthKm;
        return {centre.x + eastKm * pixelsPerKm, centre.y - northKm * pixelsPerKm};
    }
    // A single place (a station, a circle) on the turn of the world nearest the view's centre,
    // so one just across 180° is drawn beside its neighbours.
    Point PlaceToScreen(double latDeg, double lonDeg) const {
        const double centreLon = homeLon + centreEastKm / KmPerDegreeLon();
        return ToScreen(latDeg, lonDeg + 360 * std::round((centreLon - lonDeg) / 360));
    }
    basemap::GeoPoint ToGeo(Point screen) const {
        const double eastKm = (screen.x - centre.x) / pixelsPerKm + centreEastKm;
        const double northKm = (centre.y - screen.y) / pixelsPerKm + centreNorthKm;
        return {homeLon + eastKm / KmPerDegreeLon(), homeLat + northKm / kKmPerDegreeLat};
    }
};

}  // namespace map_scene
