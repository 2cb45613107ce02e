// Distances and bearings between two points on the WGS84 ellipsoid, the host's geodesy.
#pragma once

#include <cmath>

namespace builtin_host {

struct DistanceBearing {
    double distance_km = 0;
    double bearing_deg = 0;  // of point 2 seen from point 1, clockwise from north, [0, 360)
};

// Points in signed decimal degrees (north and east positive). Returns nothing usable for
// coordinates out of range; callers check with ValidPoint first.
DistanceBearing Inverse(double lat1_deg, double lon1_deg, double lat2_deg, double lon2_deg);

// A latitude in [-90, 90] and a longitude in [-540, 540), both finite.
inline bool ValidPoint(double lat_deg, double lon_deg) {
    return std::isfinite(lat_deg) && std::isfinite(lon_deg) && std::fabs(lat_deg) <= 90.0 &&
           lon_deg >= -540.0 && lon_deg < 540.0;
}

}  // namespace builtin_host
