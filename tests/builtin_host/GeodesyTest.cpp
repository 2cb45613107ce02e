// The host's geodesy against GeographicLib's published reference values.
#include <gtest/gtest.h>

#include <limits>

#include "builtin_host/Geodesy.h"

namespace builtin_host {
namespace {

struct Case {
    const char* name;
    double lat1, lon1, lat2, lon2;
    double distance_km;
    double bearing_deg;
};

TEST(Geodesy, MatchesReferenceDistancesAndBearings) {
    const Case cases[] = {
        // GeographicLib's own example, JFK to LHR: 5551759.400 m, azimuth 51.198883.
        {"JFK-LHR", 40.6, -73.8, 51.6, -0.5, 5551.759400, 51.198883},
        // One degree along the equator and along a meridian on WGS84.
        {"equator", 0, 0, 0, 1, 111.319491, 90},
        {"meridian", 0, 0, 1, 0, 110.574389, 0},
        // Bearings west and south come as 0..360, not negative.
        {"west", 0, 1, 0, 0, 111.319491, 270},
        {"south", 1, 0, 0, 0, 110.574389, 180},
        // The same point: no distance, and a bearing that is still in range.
        {"same point", 45.5, 9.2, 45.5, 9.2, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DistanceBearing db = Inverse(c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_NEAR(db.distance_km, c.distance_km, 1e-5);
        if (c.bearing_deg >= 0) {
            EXPECT_NEAR(db.bearing_deg, c.bearing_deg, 1e-5);
        }
        EXPECT_GE(db.bearing_deg, 0);
        EXPECT_LT(db.bearing_deg, 360);
    }
}

TEST(Geodesy, ValidPointRejectsWhatCannotBeAPosition) {
    EXPECT_TRUE(ValidPoint(90, 180));
    EXPECT_TRUE(ValidPoint(-90, -180));
    EXPECT_FALSE(ValidPoint(90.0001, 0));
    EXPECT_FALSE(ValidPoint(-99999.0 / 60, 0));
    EXPECT_FALSE(ValidPoint(std::numeric_limits<double>::quiet_NaN(), 0));
    EXPECT_FALSE(ValidPoint(0, std::numeric_limits<double>::infinity()));
}

}  // namespace
}  // namespace builtin_host
