// Coordinate texts: compact "DDMM.mmH" to decimal degrees, host minutes of arc to the
// display form, and display back to compact.
#include "geo/Coordinates.h"

#include <cmath>

#include "platform/NumberText.h"

namespace geo {
namespace {

// The display text uses "." whatever the system's decimal symbol.
const platform::FixedRegional kPoint(".");

constexpr size_t kMinuteChars = 5;  // MM.mm
constexpr double kHundredthGuard = 1e-9;

}  // namespace

double ConvertiCoordinate(const std::string& Coordinate) {
    if (Coordinate.size() < kMinuteChars + 1) return 0;
    char hemisphere = Coordinate.back();
    std::string_view s(Coordinate.data(), Coordinate.size() - 1);
    double degrees = platform::Val(s.substr(0, s.size() - kMinuteChars));
    double minutes = platform::Val(s.substr(s.size() - kMinuteChars));
    // Hundredths of a degree, cut: every minute value between two hundredths maps to the
    // lower one. The guard keeps a whole hundredth whole: 16.20' / 60 * 100 comes out a
    // hair below 27 in binary, and "4516.20N" must read 45.27, not 45.26.
    degrees += platform::Int(minutes / 60 * 100 + kHundredthGuard) / 100;
    bool negative = hemisphere == 'W' || hemisphere == 'O' || hemisphere == 'S';
    return negative ? -degrees : degrees;
}

void FormattaCoordinata(float value, std::string& text, bool longitudine) {
    if (!std::isfinite(value)) {  // no position to show
        text = "-----";
        return;
    }
    const char* pad = longitudine ? "000" : "00";
    char letter = longitudine ? (value < 0 ? 'W' : 'E') : (value < 0 ? 'S' : 'N');
    float a = std::fabs(value);
    float degrees = std::trunc(a / 60.0f);
    // Single precision on purpose: the minutes are what is left of the host's own value.
    float minutes = a - degrees * 60.0f;
    text = platform::Format(degrees, pad, kPoint) + "." +
           platform::Format(minutes, "00.00", kPoint) + letter;
}

std::string CompactFromDisplay(const std::string& display) {
    size_t point = display.find('.');
    if (point == std::string::npos) return display;
    return display.substr(0, point) + display.substr(point + 1);
}

}  // namespace geo
