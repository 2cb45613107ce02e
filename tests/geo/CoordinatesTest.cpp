// Coordinate forms: compact text to degrees, host minutes to display text, and
// the chain a received station's position takes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "geo/Coordinates.h"

namespace {

std::string Display(float value, bool longitude) {
    std::string text = "unchanged";
    geo::FormattaCoordinata(value, text, longitude);
    return text;
}

TEST(ConvertiCoordinate, CompactTextGivesSignedDegreesCutToHundredths) {
    const std::pair<const char*, double> cases[] = {
        {"4530.25N", 45.5},  {"4530.25S", -45.5}, {"00912.34W", -9.2}, {"00912.34O", -9.2},
        {"4559.99N", 45.99}, {"30.25N", 0.5},     {"530.2", 0},  // shorter than six: no value
    };
    for (auto [text, degrees] : cases)
        EXPECT_DOUBLE_EQ(geo::ConvertiCoordinate(text), degrees) << text;
}

// Minute values that are whole hundredths of a degree must not lose a hundredth
// to the binary representation of the division.
TEST(ConvertiCoordinate, ExactHundredthsAreNotCutToTheOneBelow) {
    auto twoDigits = [](int n) { return std::string(n < 10 ? "0" : "") + std::to_string(n); };
    for (int k = 0; k < 100; ++k) {
        int hundredthsOfMinute = k * 60;  // k hundredths of a degree
        std::string text = "45" + twoDigits(hundredthsOfMinute / 100) + "." +
                           twoDigits(hundredthsOfMinute % 100) + "N";
        EXPECT_NEAR(geo::ConvertiCoordinate(text), 45 + k / 100.0, 1e-9) << text;
    }
}

TEST(FormattaCoordinata, HostMinutesGiveTheDisplayText) {
    const struct {
        float value;
        bool longitude;
        const char* text;
    } cases[] = {{2730.25f, false, "45.30.25N"},
                 {-2730.25f, false, "45.30.25S"},
                 {-552.34f, true, "009.12.34W"},
                 {0.f, false, "00.00.00N"},
                 {0.f, true, "000.00.00E"},
                 {605.f, false, "10.05.00N"},
                 {2759.7f, false, "45.59.70N"},    // a single's leftover: 59.699951171875
                 {2759.999f, false, "45.60.00N"},  // minutes rounded after the degrees
                 {std::numeric_limits<float>::quiet_NaN(), false, "-----"}};
    for (const auto& c : cases) EXPECT_EQ(Display(c.value, c.longitude), c.text) << c.value;
}

TEST(FormattaCoordinata, RoundTripsThroughTheCompactForm) {
    EXPECT_EQ(geo::CompactFromDisplay(Display(-552.34f, true)), "00912.34W");
    // A missing value stays missing.
    EXPECT_EQ(geo::CompactFromDisplay("-----"), "-----");
}

TEST(CompactCoordinate, ParsesExactly) {
    struct Case {
        const char* text;
        bool longitude;
        std::optional<double> degrees;
    };
    const Case cases[] = {
        {"4530.25N", false, 45 + 30.25 / 60},   {"4530.25S", false, -(45 + 30.25 / 60)},
        {"4559.99N", false, 45 + 59.99 / 60},  // not cut to 45.99
        {"00912.34E", true, 9 + 12.34 / 60},    {"00912.34W", true, -(9 + 12.34 / 60)},
        {"00912.34O", true, -(9 + 12.34 / 60)}, {"4530N", false, 45.5},
        {"4530.25E", false, std::nullopt},  // wrong letter for a latitude
        {"4560.00N", false, std::nullopt},  // minutes out of range
        {"9100.00N", false, std::nullopt},      {"18100.00E", true, std::nullopt},
        {"45a0.25N", false, std::nullopt},      {"N", false, std::nullopt},
        {"-4530.25N", false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto got = geo::ParseCompactCoordinate(c.text, c.longitude);
        ASSERT_EQ(got.has_value(), c.degrees.has_value());
        if (got) {
            EXPECT_NEAR(*got, *c.degrees, 1e-12);
        }
    }
}

TEST(CompactCoordinate, FormatsAndRoundTrips) {
    EXPECT_EQ(geo::FormatCompactCoordinate(45 + 30.25 / 60, false), "4530.25N");
    EXPECT_EQ(geo::FormatCompactCoordinate(-(9 + 12.34 / 60), true), "00912.34W");
    EXPECT_EQ(geo::FormatCompactCoordinate(45.9999999, false), "4600.00N");  // carries into degrees
    EXPECT_EQ(geo::FormatCompactCoordinate(-33.5, false), "3330.00S");
    for (double lat : {-12.3456, 45.504167}) {
        const auto back =
            geo::ParseCompactCoordinate(geo::FormatCompactCoordinate(lat, false), false);
        ASSERT_TRUE(back);
        EXPECT_NEAR(*back, lat, 0.005 / 60 + 1e-12);
    }
}

}  // namespace
