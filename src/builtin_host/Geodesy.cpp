// The host's geodesy on WGS84, worked out with GeographicLib's geodesic inverse problem.
#include "builtin_host/Geodesy.h"

#include <GeographicLib/Geodesic.hpp>

namespace builtin_host {

DistanceBearing Inverse(double lat1_deg, double lon1_deg, double lat2_deg, double lon2_deg) {
    double s12_m = 0;
    double azi1 = 0;
    double azi2 = 0;
    GeographicLib::Geodesic::WGS84().Inverse(lat1_deg, lon1_deg, lat2_deg, lon2_deg, s12_m, azi1,
                                             azi2);
    // Azimuths come in (-180, 180]; a bearing reads 0..360 with north as 0, never 360.
    double bearing = azi1 < 0 ? azi1 + 360.0 : azi1;
    if (bearing >= 360.0) bearing -= 360.0;
    return {s12_m / 1000.0, bearing};
}

}  // namespace builtin_host
