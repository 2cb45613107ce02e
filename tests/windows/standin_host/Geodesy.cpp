// The built-in host's geodesy in the stand-in host.
#include "builtin_host/Geodesy.h"

#include "Vincenty.h"

namespace builtin_host {

DistanceBearing Inverse(double lat1_deg, double lon1_deg, double lat2_deg, double lon2_deg) {
    return standin::VincentyInverse(lat1_deg, lon1_deg, lat2_deg, lon2_deg);
}

}  // namespace builtin_host
