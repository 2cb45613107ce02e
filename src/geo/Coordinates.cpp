// Coordinate texts: compact "DDMM.mmH" to decimal degrees and back, host minutes of arc to
// the display form, and display back to compact.
#include "geo/Coordinates.h"

#include <cmath>
#include <cstdio>

#include "platform/NumberText.h"

namespace geo {
namespace {

// The display text uses "." whatever the system's decimal symbol.
const platform::FixedRegional kPoint(".");

constexpr size_t kMinuteChars = 5;  // MM.mm
constexpr double kHundredthGuard = 1e-9;

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

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

std::optional<double> ParseCompactCoordinate(std::string_view text, bool longitude) {
    if (text.size() < 3) return std::nullopt;
    const char letter = text.back();
    text.remove_suffix(1);
    const bool negative = longitude ? (letter == 'W' || letter == 'O') : letter == 'S';
    const bool positive = longitude ? letter == 'E' : letter == 'N';
    if (!negative && !positive) return std::nullopt;

    // Whole minutes are the two digits in front of the decimal point (or of the letter).
    const std::size_t point = text.find('.');
    const std::size_t minutesStart = (point == std::string_view::npos ? text.size() : point);
    if (minutesStart < 2) return std::nullopt;
    const std::string_view degreesText = text.substr(0, minutesStart - 2);
    const std::string_view wholeMinutes = text.substr(minutesStart - 2, 2);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (!AllDigits(wholeMinutes) || (!degreesText.empty() && !AllDigits(degreesText)) ||
        (point != std::string_view::npos && !AllDigits(decimals)) || degreesText.size() > 3 ||
        decimals.size() > 6) {
        return std::nullopt;
    }

    const double degrees = degreesText.empty() ? 0 : platform::Val(degreesText);
    const double minutes = platform::Val(text.substr(minutesStart - 2));
    const double value = degrees + minutes / 60.0;
    if (minutes >= 60.0 || value > (longitude ? 180.0 : 90.0)) return std::nullopt;
    return negative ? -value : value;
}

std::string FormatCompactCoordinate(double degrees, bool longitude) {
    const long long hundredths = std::llround(std::fabs(degrees) * 6000.0);
    const long long wholeDegrees = hundredths / 6000;
    const long long minuteHundredths = hundredths % 6000;
    const char letter = longitude ? (degrees < 0 ? 'W' : 'E') : (degrees < 0 ? 'S' : 'N');
    char buffer[32];
    std::snprintf(buffer, sizeof buffer,
                  longitude ? "%03lld%02lld.%02lld%c" : "%02lld%02lld.%02lld%c", wholeDegrees,
                  minuteHundredths / 100, minuteHundredths % 100, letter);
    return buffer;
}

}  // namespace geo
