// Mic-E decoding. Each destination character carries a latitude digit plus one flag: a
// message bit (characters 1-3) or north / +100 degrees / west (characters 4-6).
// The message type needs only characters 1-3; every other field is read on its own, and
// one that does not hold a value is left out rather than costing the frame its type: an
// emergency must get through even when its position is garbled.
#include "decode/MicE.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "decode/PositionFormats.h"

namespace decode::mic_e {
namespace {

// An AX.25 address field: six characters, blank-padded (TNC2 text drops the blanks).
constexpr std::size_t kDestinationLength = 6;
// Data type, three longitude bytes, three speed and course bytes, symbol code and table.
constexpr std::size_t kFixedLength = 9;

enum class Bit { Zero, Custom, Standard };

struct DestinationChar {
    int digit = 0;  // 0..9, blanks (ambiguity) count as 0
    bool blank = false;
    Bit bit = Bit::Zero;
};

std::optional<DestinationChar> ReadDestinationChar(char c, bool flagPosition) {
    if (c >= '0' && c <= '9') return DestinationChar{c - '0', false, Bit::Zero};
    if (c == 'L') return DestinationChar{0, true, Bit::Zero};
    if (c >= 'P' && c <= 'Y') return DestinationChar{c - 'P', false, Bit::Standard};
    if (c == 'Z') return DestinationChar{0, true, Bit::Standard};
    if (flagPosition) return std::nullopt;  // custom codes exist only for message bits
    if (c >= 'A' && c <= 'J') return DestinationChar{c - 'A', false, Bit::Custom};
    if (c == 'K') return DestinationChar{0, true, Bit::Custom};
    return std::nullopt;
}

std::string MessageType(const std::array<Bit, 3>& bits) {
    static constexpr std::array<const char*, 7> kStandard{
        "OFF DUTY", "EN ROUTE", "IN SERVICE", "RETURNING", "COMMITTED", "SPECIAL", "PRIORITY"};
    bool standard = false, custom = false;
    int value = 0;
    for (const Bit bit : bits) {
        standard |= bit == Bit::Standard;
        custom |= bit == Bit::Custom;
        value = value * 2 + (bit == Bit::Zero ? 0 : 1);
    }
    if (value == 0) return "EMERGENCY";
    if (standard && custom) return "UNKNOWN";
    const int index = 7 - value;  // 111 is message 0
    return custom ? "CUSTOM-" + std::to_string(index) : kStandard[static_cast<std::size_t>(index)];
}

struct Latitude {
    double value_deg = 0;
    bool offset = false;  // the longitude's +100 degrees flag
    bool west = false;
    int ambiguity = 0;
};

// Characters 4-6 of the destination; nothing when one of them (a missing one counts as a
// blank) is not a Mic-E character or the digits are not a latitude.
std::optional<Latitude> ReadLatitude(const std::array<DestinationChar, 3>& message,
                                     std::string_view call) {
    std::array<DestinationChar, 6> chars{message[0], message[1], message[2]};
    for (std::size_t i = 3; i < kDestinationLength; ++i) {
        const auto c = ReadDestinationChar(i < call.size() ? call[i] : ' ', true);
        if (!c) return std::nullopt;
        chars[i] = *c;
    }
    int ambiguity = 0;
    for (std::size_t i = 6; i-- > 2 && chars[i].blank;) ++ambiguity;
    const int degrees = chars[0].digit * 10 + chars[1].digit;
    const double minutes =
        chars[2].digit * 10 + chars[3].digit + chars[4].digit / 10.0 + chars[5].digit / 100.0;
    if (minutes >= 60 || degrees + minutes / 60 > 90) return std::nullopt;
    const double value =
        std::min(degrees + (minutes + position::AmbiguityCentre_min(ambiguity)) / 60.0, 90.0);
    const bool north = chars[3].bit != Bit::Zero;
    return Latitude{north ? value : -value, chars[4].bit != Bit::Zero, chars[5].bit != Bit::Zero,
                    ambiguity};
}

// The latitude's blanked digits are ignored in the longitude too (hundredths first).
double BlankedMinutes(int minutes, int hundredths, int ambiguity) {
    static constexpr std::array<int, 5> kUnit{1, 10, 100, 1000, 6000};  // in 1/100 minute
    const int unit = kUnit[static_cast<std::size_t>(ambiguity)];
    const int value = (minutes * 100 + hundredths) / unit * unit;
    return value / 100.0 + position::AmbiguityCentre_min(ambiguity);
}

// Each longitude byte is its value + 28. Degrees 10..99 use bytes 38..127; with the +100
// flag the same bytes carry 110..179, and the bytes that would give 180..199 stand for
// 100..109 and 0..9. Minutes below 10 are sent as 60..69, so the minutes byte is 38..97.
// Any other byte is not a longitude, and guessing one would put the station somewhere else.
std::optional<double> ReadLongitude(std::string_view info, const Latitude& latitude) {
    const int degreesByte = static_cast<unsigned char>(info[1]);
    const int minutesByte = static_cast<unsigned char>(info[2]);
    const int hundredthsByte = static_cast<unsigned char>(info[3]);
    if (degreesByte < 38 || degreesByte > 127 || minutesByte < 38 || minutesByte > 97 ||
        hundredthsByte < 28 || hundredthsByte > 127) {
        return std::nullopt;
    }
    int degrees = degreesByte - 28;
    if (latitude.offset) {
        degrees += 100;
        if (degrees >= 190) {
            degrees -= 190;
        } else if (degrees >= 180) {
            degrees -= 80;
        }
    }
    int minutes = minutesByte - 28;
    if (minutes >= 60) minutes -= 60;
    const int hundredths = hundredthsByte - 28;
    const double value = degrees + BlankedMinutes(minutes, hundredths, latitude.ambiguity) / 60.0;
    return latitude.west ? -value : value;
}

// A speed or course byte: its value + 28, from 0 to 99.
std::optional<int> CourseSpeedByte(char c) {
    const int value = static_cast<unsigned char>(c) - 28;
    if (value < 0 || value > 99) return std::nullopt;
    return value;
}

// Speed from the first two bytes, course from the last two: a bad byte or a course past
// 360 costs only the value it belongs to.
void ReadCourseSpeed(std::string_view info, Decoded& d) {
    const auto sp = CourseSpeedByte(info[4]);
    const auto dc = CourseSpeedByte(info[5]);
    const auto se = CourseSpeedByte(info[6]);
    if (sp && dc) {
        int knots = *sp * 10 + *dc / 10;
        if (knots >= 800) knots -= 800;
        d.speed_kmh = position::KnotsToKmh(knots);
    }
    if (dc && se) {
        int course = (*dc % 10) * 100 + *se;
        if (course >= 400) course -= 400;
        if (course <= 360) d.course_deg = course;
    }
}

// The text after the symbol: an optional radio type byte, an optional "xxx}" altitude
// (base 91, metres above 10 km below sea level), then the comment, which may end in the
// radio's two-character (or one-character Kenwood) signature.
std::string_view ReadStatus(std::string_view text, Decoded& d) {
    char type = 0;
    if (!text.empty() && (text[0] == '>' || text[0] == ']' || text[0] == '`' || text[0] == '\'')) {
        type = text[0];
        text.remove_prefix(1);
    }
    if (text.size() >= 4 && text[3] == '}') {
        int value = 0;
        bool valid = true;
        for (std::size_t i = 0; i < 3; ++i) {
            valid &= text[i] >= '!' && text[i] <= '{';
            value = value * 91 + (text[i] - '!');
        }
        if (valid) {
            d.altitude_m = value - 10000;
            text.remove_prefix(4);
        }
    }
    if ((type == '>' || type == ']') && !text.empty() &&
        (text.back() == '=' || text.back() == '^')) {
        text.remove_suffix(1);
    } else if ((type == '`' || type == '\'') && text.size() >= 2) {
        text.remove_suffix(2);
    }
    if (!d.altitude_m) d.altitude_m = position::AltitudeInComment_m(text);
    return text;
}

}  // namespace

bool IsMicE(char dataType) {
    return dataType == '`' || dataType == '\'' || dataType == '\x1C' || dataType == '\x1D';
}

void Decode(std::string_view destination, std::string_view info, Decoded& d) {
    const std::string_view call = destination.substr(0, destination.find('-'));
    std::array<DestinationChar, 3> message{};
    for (std::size_t i = 0; i < message.size(); ++i) {
        const auto c = ReadDestinationChar(i < call.size() ? call[i] : ' ', false);
        if (!c || call.size() > kDestinationLength) {
            d.error = "bad Mic-E destination";
            return;
        }
        message[i] = *c;
    }
    d.messageType = MessageType({message[0].bit, message[1].bit, message[2].bit});

    // A field cut short by the end of the information field is not read; the others are.
    const auto latitude = ReadLatitude(message, call);
    const auto longitude =
        latitude && info.size() >= 4 ? ReadLongitude(info, *latitude) : std::nullopt;
    if (longitude) {
        d.latitude_deg = latitude->value_deg;
        d.longitude_deg = longitude;
    }
    if (info.size() >= 7) ReadCourseSpeed(info, d);
    if (info.size() < kFixedLength) return;
    const std::string_view comment = ReadStatus(info.substr(kFixedLength), d);
    d.comment = position::ReadDao(comment, longitude && latitude->ambiguity == 0, d);
}

}  // namespace decode::mic_e
