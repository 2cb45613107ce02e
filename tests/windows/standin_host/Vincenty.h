// The geodesic inverse problem on WGS84 by Vincenty's iteration, for the stand-in host, which
// is built for Windows where GeographicLib is not at hand. Within a millimetre of
// GeographicLib for points that are not nearly antipodal.
#pragma once

#include "builtin_host/Geodesy.h"

namespace standin {

builtin_host::DistanceBearing VincentyInverse(double lat1_deg, double lon1_deg, double lat2_deg,
                                              double lon2_deg);

}  // namespace standin
