// Vincenty (1975), "Direct and inverse solutions of geodesics on the ellipsoid with application
// of nested equations", inverse formula.
#include "Vincenty.h"

#include <cmath>
#include <numbers>

namespace standin {

namespace {

constexpr double kA = 6378137.0;          // WGS84 semi-major axis, metres
constexpr double kF = 1 / 298.257223563;  // flattening
constexpr double kB = kA * (1 - kF);      // semi-minor axis
constexpr double kRadian = std::numbers::pi / 180;

}  // namespace

builtin_host::DistanceBearing VincentyInverse(double lat1_deg, double lon1_deg, double lat2_deg,
                                              double lon2_deg) {
    const double u1 = std::atan((1 - kF) * std::tan(lat1_deg * kRadian));
    const double u2 = std::atan((1 - kF) * std::tan(lat2_deg * kRadian));
    const double l = std::remainder(lon2_deg - lon1_deg, 360.0) * kRadian;
    const double sinU1 = std::sin(u1), cosU1 = std::cos(u1);
    const double sinU2 = std::sin(u2), cosU2 = std::cos(u2);

    double lambda = l;
    double sinSigma = 0, cosSigma = 1, sigma = 0, cos2Alpha = 1, cos2SigmaM = 0;
    double sinLambda = 0, cosLambda = 1;
    for (int i = 0; i < 200; ++i) {
        sinLambda = std::sin(lambda);
        cosLambda = std::cos(lambda);
        sinSigma = std::hypot(cosU2 * sinLambda, cosU1 * sinU2 - sinU1 * cosU2 * cosLambda);
        if (sinSigma == 0) return {0, 0};  // the same point
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cos2Alpha = 1 - sinAlpha * sinAlpha;
        cos2SigmaM = cos2Alpha != 0 ? cosSigma - 2 * sinU1 * sinU2 / cos2Alpha : 0;  // equator
        const double c = kF / 16 * cos2Alpha * (4 + kF * (4 - 3 * cos2Alpha));
        const double previous = lambda;
        lambda =
            l + (1 - c) * kF * sinAlpha *
                    (sigma + c * sinSigma *
                                 (cos2SigmaM + c * cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM)));
        if (std::fabs(lambda - previous) < 1e-12) break;
    }
    const double uSquared = cos2Alpha * (kA * kA - kB * kB) / (kB * kB);
    const double a =
        1 + uSquared / 16384 * (4096 + uSquared * (-768 + uSquared * (320 - 175 * uSquared)));
    const double b = uSquared / 1024 * (256 + uSquared * (-128 + uSquared * (74 - 47 * uSquared)));
    const double deltaSigma =
        b * sinSigma *
        (cos2SigmaM + b / 4 *
                          (cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM) -
                           b / 6 * cos2SigmaM * (-3 + 4 * sinSigma * sinSigma) *
                               (-3 + 4 * cos2SigmaM * cos2SigmaM)));
    const double metres = kB * a * (sigma - deltaSigma);
    double bearing =
        std::atan2(cosU2 * sinLambda, cosU1 * sinU2 - sinU1 * cosU2 * cosLambda) / kRadian;
    if (bearing < 0) bearing += 360;
    if (bearing >= 360) bearing -= 360;
    return {metres / 1000, bearing};
}

}  // namespace standin
