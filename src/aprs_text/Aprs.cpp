// The class Aprs: field cutters for frame text as the host hands it over, and the
// compressed position encoder. No operation throws: a text it cannot cut gives "".
#include "aprs_text/Aprs.h"

#include <cmath>

#include "platform/NumberText.h"

namespace aprs_text {
namespace {

using platform::Int;
using platform::Val;

// An optional argument as the encoder sees it: absent, a number, or text it cannot encode.
struct Argument {
    bool given = false;
    bool numeric = false;
    double value = 0;
};

// Blank-only text counts as "not given", like the empty text; anything else must be one
// whole number (so "abc", "12abc" and "12,5" are refused rather than read as 0, 12, 12).
Argument ReadArgument(const std::string& text) {
    Argument a;
    a.given = text.find_first_not_of(" \t") != std::string::npos;
    a.numeric = a.given && platform::IsNumber(text);
    a.value = a.numeric ? Val(text) : 0;
    return a;
}

// Appends the base-91 character of d; false when d has no such character.
bool AppendBase91(std::string& out, double d) {
    if (!(d >= 0 && d <= 90)) return false;
    out += static_cast<char>(33 + static_cast<int>(d));
    return true;
}

// Four base-91 characters, most significant first, of a value in [0, 91^4).
bool AppendFourDigits(std::string& out, double value) {
    for (double weight : {91.0 * 91 * 91, 91.0 * 91, 91.0}) {
        double d = Int(value / weight);
        if (!AppendBase91(out, d)) return false;
        value -= d * weight;
    }
    return AppendBase91(out, Int(value));
}

bool AppendCourseSpeed(std::string& out, const Argument& dir, const Argument& vel) {
    if (!dir.numeric || !vel.numeric || vel.value < 0) return false;
    return AppendBase91(out, Int(dir.value / 4)) &&
           AppendBase91(out, Int(std::log(vel.value + 1) / std::log(1.08)));
}

bool AppendRange(std::string& out, const Argument& range) {
    if (!range.numeric || range.value <= 0) return false;
    out += '{';
    return AppendBase91(out, Int(std::log(range.value / 2) / std::log(1.08)));
}

bool AppendAltitude(std::string& out, const Argument& alt) {
    if (!alt.numeric || alt.value <= 0) return false;
    double a = Int(std::log(alt.value) / std::log(1.002));
    double high = Int(a / 91);
    return AppendBase91(out, high) && AppendBase91(out, a - 91 * high);
}

}  // namespace

std::string Aprs::Mic_E(const std::string& /*Lat*/, const std::string& /*PrimiLat*/,
                        const std::string& /*Lon*/, const std::string& /*PrimiLon*/,
                        const std::string& /*Dir*/, const std::string& /*Vel*/,
                        const std::string& /*c*/, const std::string& /*MessageType*/) const {
    return {};
}

// Every argument that is given must be a number in the range its character can carry;
// otherwise the whole report is "" (a half-built report would be worse than none).
std::string Aprs::Comp_Pos_Rep(const std::string& Lat, const std::string& Lon,
                               const std::string& Dir, const std::string& Vel,
                               const std::string& Range, const std::string& Alt) const {
    Argument lat = ReadArgument(Lat), lon = ReadArgument(Lon);
    Argument dir = ReadArgument(Dir), range = ReadArgument(Range), alt = ReadArgument(Alt);
    if (!lat.numeric || !lon.numeric || std::fabs(lat.value) > 90 || std::fabs(lon.value) > 180)
        return {};

    std::string out;
    if (!AppendFourDigits(out, 380926 * (90 - lat.value)) ||
        !AppendFourDigits(out, 190463 * (180 + lon.value)))
        return {};
    // The speed belongs to the course: without a course it is not encoded at all.
    if (dir.given && !AppendCourseSpeed(out, dir, ReadArgument(Vel))) return {};
    if (range.given && !AppendRange(out, range)) return {};
    if (alt.given && !AppendAltitude(out, alt)) return {};
    if (!dir.given && !range.given && !alt.given) out += ' ';
    out += alt.given ? 'R' : 'B';
    return out;
}

std::string Aprs::Nominativo(const std::string& DatiAprs) const {
    size_t blank = DatiAprs.find(' ');
    std::string_view t(DatiAprs);
    if (blank != std::string::npos) t.remove_prefix(blank + 1);
    size_t gt = t.find('>');
    return gt == std::string_view::npos ? std::string() : std::string(t.substr(0, gt));
}

std::optional<std::string> Aprs::NominativoAGW(const std::string& DatiAprs) const {
    size_t to = DatiAprs.find("To");
    if (to == std::string::npos) return std::nullopt;
    // The character just in front of "To" (its blank) is dropped; at the very start there
    // is nothing in front to keep.
    return to == 0 ? std::string() : DatiAprs.substr(0, to - 1);
}

std::string Aprs::Dati(const std::string& DatiAprs) const {
    size_t marker = DatiAprs.find(">:");
    // Two characters past the marker; without a marker the cut starts at the fourth.
    size_t start = marker == std::string::npos ? 3 : marker + 4;
    if (start > DatiAprs.size() || DatiAprs.size() - start < 2) return {};
    return DatiAprs.substr(start, DatiAprs.size() - start - 2);
}

std::string Aprs::BeaconMessage(const std::string& DatiAprs, const std::string& Separatore) const {
    if (Separatore.empty()) return DatiAprs;
    size_t found = DatiAprs.find(Separatore);
    // Found: what follows it. Missing: from the separator's length on, which for a one-character
    // separator is the whole text.
    size_t start = found == std::string::npos ? Separatore.size() - 1 : found + Separatore.size();
    return start >= DatiAprs.size() ? std::string() : DatiAprs.substr(start);
}

}  // namespace aprs_text
