// Coordinate forms: compact text to degrees, host minutes to display text, and the chain
// a received station's position takes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geo/Coordinates.h"

namespace {

std::string Display(float value, bool longitude) {
    std::string text = "unchanged";
    geo::FormattaCoordinata(value, text, longitude);
    return text;
}

TEST(ConvertiCoordinate, CompactTextGivesSignedDegreesCutToHundredths) {
    const std::pair<const char*, double> cases[] = {{"4530.25N", 45.5},
                                                    {"4530.25S", -45.5},
                                                    {"00912.34W", -9.2},
                                                    {"00912.34O", -9.2},
                                                    {"00912.34E", 9.2},
                                                    {"4559.99N", 45.99},
                                                    {"4530.25X", 45.5},
                                                    {"4530.25n", 45.5},
                                                    {"0000.00N", 0},
                                                    {"30.25N", 0.5},
                                                    {"18000.00W", -180},
                                                    {"4536.00N", 45.6},
                                                    {"4530,25N", 45.5},
                                                    {"N", 0},
                                                    {"", 0},
                                                    {"530.2", 0},
                                                    {"abcdefgN", 0}};
    for (auto [text, degrees] : cases)
        EXPECT_DOUBLE_EQ(geo::ConvertiCoordinate(text), degrees) << text;
}

// Minute values that are whole hundredths of a degree must not lose a hundredth to the
// binary representation of the division.
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
                 {-552.34f, true, "009.12.34W"},
                 {2759.7f, false, "45.59.70N"},
                 {2759.999f, false, "45.60.00N"},
                 {-0.5f, true, "000.00.50W"},
                 {0.f, false, "00.00.00N"},
                 {0.f, true, "000.00.00E"},
                 {-5400.f, false, "90.00.00S"},
                 {10800.f, true, "180.00.00E"},
                 {-2730.25f, false, "45.30.25S"},
                 {605.f, false, "10.05.00N"},
                 {INFINITY, true, "-----"},
                 {std::numeric_limits<float>::quiet_NaN(), false, "-----"}};
    for (const auto& c : cases) EXPECT_EQ(Display(c.value, c.longitude), c.text) << c.value;
}

TEST(FormattaCoordinata, RoundTripsThroughTheCompactForm) {
    const struct {
        float value;
        bool longitude;
        const char* compact;
        double degrees;
    } cases[] = {{2730.25f, false, "4530.25N", 45.5},
                 {-552.34f, true, "00912.34W", -9.2},
                 {-2730.25f, false, "4530.25S", -45.5}};
    for (const auto& c : cases) {
        std::string compact = geo::CompactFromDisplay(Display(c.value, c.longitude));
        EXPECT_EQ(compact, c.compact);
        EXPECT_DOUBLE_EQ(geo::ConvertiCoordinate(compact), c.degrees) << c.compact;
    }
    EXPECT_EQ(geo::CompactFromDisplay("-----"), "-----");  // a missing value stays missing
    EXPECT_EQ(geo::CompactFromDisplay(""), "");
}

}  // namespace
