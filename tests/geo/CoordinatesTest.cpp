// Coordinate forms: compact text to degrees, host minutes to display text, and
// the chain a received station's position takes.
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
    const std::string compact = geo::CompactFromDisplay(Display(-552.34f, true));
    EXPECT_EQ(compact, "00912.34W");
    EXPECT_DOUBLE_EQ(geo::ConvertiCoordinate(compact), -9.2);
    EXPECT_EQ(geo::CompactFromDisplay("-----"),
              "-----");  // a missing value stays missing
}

}  // namespace
