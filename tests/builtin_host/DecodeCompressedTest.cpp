// Compressed reports built with our own encoder must decode to what went in, within the
// format's resolution (about 0.3 m of position, 4 degrees of course, 8 % of speed or range).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "aprs/Aprs.h"
#include "builtin_host/AprsDecoder.h"

namespace builtin_host {
namespace {

struct Report {
    double lat, lon;
    const char *dir, *vel, *range, *alt;
};

// The encoder gives the body without symbols: table in front, code after the longitude.
std::string Frame(const Report& r) {
    const std::string body = aprs::Aprs{}.Comp_Pos_Rep(std::to_string(r.lat), std::to_string(r.lon),
                                                       r.dir, r.vel, r.range, r.alt);
    return "N0CALL>APRS:!/" + body.substr(0, 8) + ">" + body.substr(8);
}

void PrintTo(const Report& r, std::ostream* os) {
    *os << static_cast<int>(r.lat * 1000) << '_' << static_cast<int>(r.lon * 1000);
}

class EncoderRoundTrip : public ::testing::TestWithParam<Report> {};

TEST_P(EncoderRoundTrip, DecodesWhatWasEncoded) {
    const Report& r = GetParam();
    const std::string line = Frame(r);
    const Decoded d = Decode(line);
    ASSERT_EQ(d.error, "") << line;
    EXPECT_NEAR(d.latitude_deg.value_or(999), r.lat, 1e-5) << line;
    EXPECT_NEAR(d.longitude_deg.value_or(999), r.lon, 1e-5) << line;
    if (*r.dir) {
        EXPECT_NEAR(d.course_deg.value_or(-99), std::atof(r.dir), 4.0) << line;
        const double knots = std::atof(r.vel);
        EXPECT_NEAR(d.speed_kmh.value_or(-99), knots * 1.852, knots * 1.852 * 0.08 + 0.15) << line;
    } else {
        EXPECT_FALSE(d.course_deg.has_value()) << line;
    }
    if (*r.range) {
        const double km = std::atof(r.range) * 1.609344;
        EXPECT_NEAR(d.range_km.value_or(-99), km, km * 0.08) << line;
    }
    if (*r.alt) {
        const double metres = std::atof(r.alt) * 0.3048;
        EXPECT_NEAR(d.altitude_m.value_or(-99), metres, metres * 0.002 + 0.01) << line;
    } else {
        EXPECT_FALSE(d.altitude_m.has_value()) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, EncoderRoundTrip,
    ::testing::Values(Report{45.504167, 9.205667, "", "", "", ""},
                      Report{-33.8688, 151.2093, "", "", "", ""},
                      Report{42.619, -71.347167, "", "", "", ""}, Report{0.0, 0.0, "", "", "", ""},
                      Report{-89.99, 179.99, "", "", "", ""}, Report{45.5, 9.2, "90", "0", "", ""},
                      Report{45.5, 9.2, "251", "36", "", ""},
                      Report{45.5, 9.2, "356", "120", "", ""}, Report{45.5, 9.2, "", "", "20", ""},
                      Report{45.5, 9.2, "", "", "", "1000"},
                      Report{45.5, 9.2, "", "", "", "29000"}));

}  // namespace
}  // namespace builtin_host
