// Uncompressed ("DDMM.hhN/DDDMM.hhW$") and compressed ("/YYYYXXXX$csT") positions.
#include "decode/PositionFormats.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace decode::position {
namespace {

constexpr std::size_t kUncompressedLength = 19;
constexpr std::size_t kCompressedLength = 13;
constexpr char kWeatherSymbol = '_';

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSymbolTable(char c) {
    return c == '/' || c == '\\' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'j');
}

bool IsBase91(char c) {
    return c >= '!' && c <= '{';
}

int Base91(std::string_view text) {
    int value = 0;
    for (const char c : text) value = value * 91 + (c - '!');
    return value;
}

int Number(std::string_view digits) {
    int value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}

std::nullopt_t Fail(Decoded& d, const char* reason) {
    d.error = reason;
    return std::nullopt;
}

// "DDMM.hhN": the number of digits blanked from the right (0..4), or nothing when the
// text is not a latitude. Blanked digits become "0" in `digits`.
std::optional<int> LatitudeAmbiguity(std::string_view text, std::array<char, 8>& digits) {
    static constexpr std::array<std::size_t, 4> kBlankOrder{6, 5, 3, 2};
    for (std::size_t i = 0; i < 8; ++i) digits[i] = text[i];
    int level = 0;
    while (level < 4 && digits[kBlankOrder[level]] == ' ') digits[kBlankOrder[level++]] = '0';
    for (const std::size_t i : {0, 1, 2, 3, 5, 6}) {
        if (!IsDigit(digits[i])) return std::nullopt;
    }
    if (digits[4] != '.' || (digits[7] != 'N' && digits[7] != 'S')) return std::nullopt;
    return level;
}

// "DDDMM.hhW" with the latitude's ambiguity applied: the same digits count as blank.
std::optional<double> Longitude(std::string_view text, int ambiguity) {
    static constexpr std::array<std::size_t, 4> kBlankOrder{7, 6, 4, 3};
    std::array<char, 9> digits{};
    for (std::size_t i = 0; i < 9; ++i) digits[i] = text[i];
    for (int i = 0; i < ambiguity; ++i) digits[kBlankOrder[i]] = '0';
    for (const std::size_t i : {0, 1, 2, 3, 4, 6, 7}) {
        if (!IsDigit(digits[i])) return std::nullopt;
    }
    if (digits[5] != '.' || (digits[8] != 'E' && digits[8] != 'W')) return std::nullopt;
    const int degrees = Number({digits.data(), 3});
    const double minutes = Number({digits.data() + 3, 2}) + Number({digits.data() + 6, 2}) / 100.0;
    if (minutes >= 60 || degrees + minutes / 60 > 180) return std::nullopt;
    // The middle of a box that reaches past 180 degrees ("180  .  W") is taken at 180.
    const double value =
        std::min(degrees + (minutes + AmbiguityCentre_min(ambiguity)) / 60.0, 180.0);
    return digits[8] == 'W' ? -value : value;
}

std::optional<std::string_view> ReadUncompressed(std::string_view text, Decoded& d,
                                                 int& ambiguity) {
    if (text.size() < kUncompressedLength) return Fail(d, "position too short");
    std::array<char, 8> lat{};
    const auto level = LatitudeAmbiguity(text.substr(0, 8), lat);
    if (!level || (!IsSymbolTable(text[8]) && !IsDigit(text[8]))) return Fail(d, "bad latitude");
    ambiguity = *level;
    const int degrees = Number({lat.data(), 2});
    const double minutes = Number({lat.data() + 2, 2}) + Number({lat.data() + 5, 2}) / 100.0;
    if (minutes >= 60 || degrees + minutes / 60 > 90) return Fail(d, "latitude out of range");
    const auto lon = Longitude(text.substr(9, 9), ambiguity);
    if (!lon) return Fail(d, "bad longitude");

    const double lat_deg =
        std::min(degrees + (minutes + AmbiguityCentre_min(ambiguity)) / 60.0, 90.0);
    d.latitude_deg = lat[7] == 'S' ? -lat_deg : lat_deg;
    d.longitude_deg = lon;
    return text.substr(kUncompressedLength);
}

constexpr int kUnknownField = -1;
constexpr int kBadField = -2;

// Three digits, or "..." / blanks for unknown.
int CourseSpeedField(std::string_view f) {
    if (f == "..." || f == "   ") return kUnknownField;
    if (!IsDigit(f[0]) || !IsDigit(f[1]) || !IsDigit(f[2])) return kBadField;
    return Number(f);
}

}  // namespace

double KnotsToKmh(double knots) {
    return std::round(knots * kKmPerNauticalMile * 10) / 10;
}

namespace {

// "ccc/sss" in front of the comment.
std::string_view ReadCourseSpeed(std::string_view comment, Decoded& d) {
    if (comment.size() < 7 || comment[3] != '/') return comment;
    const int course = CourseSpeedField(comment.substr(0, 3));
    const int speed = CourseSpeedField(comment.substr(4, 3));
    if (course == kBadField || speed == kBadField) return comment;
    if (course >= 0 && course <= 360) d.course_deg = course;
    if (speed >= 0) d.speed_kmh = KnotsToKmh(speed);
    return comment.substr(7);
}

void ReadCompressedExtension(char c, char s, char type, Decoded& d) {
    if (c == ' ' || !IsBase91(c) || !IsBase91(s)) return;
    const bool ggaAltitude = ((type - '!') & 0x18) == 0x10;
    if (ggaAltitude) {
        d.altitude_m = std::pow(1.002, Base91({&c, 1}) * 91 + Base91({&s, 1})) * kMetresPerFoot;
    } else if (c == '{') {
        d.range_km = 2.0 * std::pow(1.08, s - '!') * kKmPerMile;
    } else if (c <= 'z') {
        d.course_deg = (c - '!') * 4;
        d.speed_kmh = KnotsToKmh(std::pow(1.08, s - '!') - 1.0);
    }
}

std::optional<std::string_view> ReadCompressed(std::string_view text, Decoded& d) {
    // Some encoders end a report without extension in " T", one byte short; nothing is
    // lost by taking it, since a blank course byte means the rest is ignored.
    const bool shortForm = text.size() == kCompressedLength - 1 && text[10] == ' ';
    if (text.size() < kCompressedLength && !shortForm) {
        return Fail(d, "compressed position too short");
    }
    for (std::size_t i = 1; i <= 8; ++i) {
        if (!IsBase91(text[i])) return Fail(d, "bad compressed position");
    }
    const double lat = 90.0 - Base91(text.substr(1, 4)) / 380926.0;
    const double lon = -180.0 + Base91(text.substr(5, 4)) / 190463.0;
    if (lat < -90.0 || lon > 180.0) return Fail(d, "compressed position out of range");
    d.latitude_deg = lat;
    d.longitude_deg = lon;
    if (shortForm) return text.substr(text.size());
    ReadCompressedExtension(text[10], text[11], text[12], d);
    return text.substr(kCompressedLength);
}

bool InRange(char c, char low, char high) {
    return c >= low && c <= high;
}

// Subsquare letters are written in either case ("IO91SX", "IO91sx").
int SubsquareIndex(char c) {
    if (InRange(c, 'a', 'x')) return c - 'a';
    if (InRange(c, 'A', 'X')) return c - 'A';
    return -1;
}

// What may follow a locator: nothing, a blank before the text, or the symbol (table and
// code) followed by nothing or a blank. Gives the text, or nothing when the locator does
// not end here, which keeps ordinary status text from being read as a locator.
std::optional<std::string_view> TextAfterLocator(std::string_view rest) {
    const bool symbol =
        rest.size() >= 2 &&
        (rest[0] == '/' || rest[0] == '\\' || IsDigit(rest[0]) || InRange(rest[0], 'A', 'Z')) &&
        InRange(rest[1], '!', '~');
    if (symbol) rest.remove_prefix(2);
    if (rest.empty()) return rest;
    if (rest[0] == ' ') return rest.substr(1);
    return std::nullopt;
}

// A four- or six-character locator: puts `d` in the middle of its square. False, with `d`
// untouched, when `locator` is not one.
bool PlaceInSquare(std::string_view locator, Decoded& d) {
    if ((locator.size() != 4 && locator.size() != 6) || !InRange(locator[0], 'A', 'R') ||
        !InRange(locator[1], 'A', 'R') || !IsDigit(locator[2]) || !IsDigit(locator[3])) {
        return false;
    }
    // South-west corner of the 2 x 1 degree square.
    double lon = (locator[0] - 'A') * 20 - 180 + (locator[2] - '0') * 2;
    double lat = (locator[1] - 'A') * 10 - 90 + (locator[3] - '0');
    if (locator.size() == 4) {
        lon += 1.0;
        lat += 0.5;
    } else {
        const int x = SubsquareIndex(locator[4]), y = SubsquareIndex(locator[5]);
        if (x < 0 || y < 0) return false;
        lon += (x + 0.5) * 5.0 / 60.0;
        lat += (y + 0.5) * 2.5 / 60.0;
    }
    d.longitude_deg = lon;
    d.latitude_deg = lat;
    return true;
}

// "!W..!" and "!w..!": the digits after the hundredths of a minute, in latitude and longitude.
struct Dao {
    double latitude_min = 0;
    double longitude_min = 0;
};

// A blank adds nothing: "!W  !" only names the datum.
std::optional<Dao> ReadDaoAt(std::string_view five) {
    const char datum = five[1], a = five[2], o = five[3];
    if (five[4] != '!') return std::nullopt;
    if (datum == 'W' && (IsDigit(a) || a == ' ') && (IsDigit(o) || o == ' ')) {
        // Thousandths of a minute.
        const auto thousandths = [](char c) { return c == ' ' ? 0.0 : (c - '0') / 1000.0; };
        return Dao{thousandths(a), thousandths(o)};
    }
    if (datum == 'w' && (IsBase91(a) || a == ' ') && (IsBase91(o) || o == ' ')) {
        // Ninety-firsts of a hundredth of a minute.
        const auto share = [](char c) { return c == ' ' ? 0.0 : (c - '!') / 91.0 / 100.0; };
        return Dao{share(a), share(o)};
    }
    return std::nullopt;
}

// The precision is added away from the equator and the meridian (a southern "-0.0" too).
double AwayFromZero(double value_deg, double extra_min, double limit_deg) {
    return std::copysign(std::min(std::abs(value_deg) + extra_min / 60.0, limit_deg), value_deg);
}

}  // namespace

std::optional<std::string_view> ReadLocator(std::string_view text, Decoded& d) {
    // Six characters whenever they can be: "IO91SX" is never "IO91" with the symbol "SX".
    for (const std::size_t length : {6, 4}) {
        if (text.size() < length) continue;
        const auto rest = TextAfterLocator(text.substr(length));
        if (rest && PlaceInSquare(text.substr(0, length), d)) return rest;
    }
    return std::nullopt;
}

std::optional<std::string_view> ReadLocatorBeacon(std::string_view body, Decoded& d) {
    const auto close = body.find(']');
    if (close == std::string_view::npos || !PlaceInSquare(body.substr(0, close), d)) {
        return Fail(d, "bad locator beacon");
    }
    return body.substr(close + 1);
}

std::string ReadDao(std::string_view comment, bool addPrecision, Decoded& d) {
    for (auto at = comment.find('!'); at != std::string_view::npos && at + 5 <= comment.size();
         at = comment.find('!', at + 1)) {
        const auto dao = ReadDaoAt(comment.substr(at, 5));
        if (!dao) continue;
        if (addPrecision && d.latitude_deg && d.longitude_deg) {
            d.latitude_deg = AwayFromZero(*d.latitude_deg, dao->latitude_min, 90);
            d.longitude_deg = AwayFromZero(*d.longitude_deg, dao->longitude_min, 180);
        }
        std::string rest(comment.substr(0, at));
        return rest.append(comment.substr(at + 5));
    }
    return std::string(comment);
}

double AmbiguityCentre_min(int level) {
    static constexpr std::array<double, 5> kHalfBox{0.0, 0.05, 0.5, 5.0, 30.0};
    return kHalfBox[static_cast<std::size_t>(level < 0 ? 0 : level > 4 ? 4 : level)];
}

std::optional<double> AltitudeInComment_m(std::string_view text) {
    for (auto at = text.find("/A="); at != std::string_view::npos; at = text.find("/A=", at + 1)) {
        const std::string_view digits = text.substr(at + 3, 6);
        if (digits.size() < 6) break;
        const bool negative = digits[0] == '-';
        const std::string_view number = negative ? digits.substr(1) : digits;
        if (!std::all_of(number.begin(), number.end(), IsDigit)) continue;
        return (negative ? -Number(number) : Number(number)) * kMetresPerFoot;
    }
    return std::nullopt;
}

std::optional<std::string> Read(std::string_view text, Decoded& d) {
    if (text.empty()) return Fail(d, "missing position");
    std::optional<std::string_view> comment;
    int ambiguity = 0;
    bool refinable = false;  // what "!DAO!" adds to: an uncompressed position, all digits sent
    if (IsDigit(text[0]) || text[0] == ' ') {
        comment = ReadUncompressed(text, d, ambiguity);
        refinable = ambiguity == 0;
        if (comment && text[kUncompressedLength - 1] != kWeatherSymbol) {
            comment = ReadCourseSpeed(*comment, d);
        }
    } else if (IsSymbolTable(text[0])) {
        comment = ReadCompressed(text, d);
    } else {
        return Fail(d, "bad position");
    }
    if (!comment) return std::nullopt;
    if (!d.altitude_m) d.altitude_m = AltitudeInComment_m(*comment);
    return ReadDao(*comment, refinable, d);
}

}  // namespace decode::position
