// The stand-in host's geodesy agrees with the built-in host's, so the Windows run and the Linux
// run of one capture show the same distances and bearings.
#include <gtest/gtest.h>

#include "builtin_host/Geodesy.h"
#include "windows/standin_host/Vincenty.h"

namespace {

// Away from antipodes, where the iteration does not settle (the stand-in never sees one).
TEST(Vincenty, AgreesWithGeographicLibWithinAMillimetre) {
    const double points[][2] = {{45.5, 9.2},   {45.58, 8.93},    {-33.9, 18.4}, {0, 0},
                                {0, 90},       {60, -179.9},     {60, 179.9},   {89.9, 10},
                                {-89.9, -120}, {45.5, 9.2000001}};
    for (const auto& from : points) {
        for (const auto& to : points) {
            const auto ours = standin::VincentyInverse(from[0], from[1], to[0], to[1]);
            const auto reference = builtin_host::Inverse(from[0], from[1], to[0], to[1]);
            EXPECT_NEAR(ours.distance_km, reference.distance_km, 1e-6)
                << from[0] << "," << from[1] << " to " << to[0] << "," << to[1];
            if (reference.distance_km > 0.001) {
                const double turn = std::remainder(ours.bearing_deg - reference.bearing_deg, 360);
                EXPECT_NEAR(turn, 0, 1e-6) << from[0] << "," << from[1] << " to " << to[0];
            }
        }
    }
}

}  // namespace
