// The two plain position formats (uncompressed with ambiguity, compressed) and the comment
// extensions that may follow them; shared by position reports, objects and items.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decode/Decoded.h"

namespace decode::position {

inline constexpr double kKmPerNauticalMile = 1.852;
inline constexpr double kMetresPerFoot = 0.3048;
inline constexpr double kKmPerMile = 1.609344;

// A speed in knots as the program keeps and shows it everywhere: km/h to the tenth, halves
// away from zero (1 knot is 1.9 km/h, not 1.852).
double KnotsToKmh(double knots);

// Reads the position at the start of `text` into `d` with what follows it: latitude,
// longitude; course/speed, range or altitude of the compressed format; a leading "ccc/sss"
// after an uncompressed one (not for a weather station, whose pair is the wind); "/A=" in
// the comment unless the altitude is known already. Gives the comment without the
// course/speed extension and "!DAO!" (which refines an uncompressed position without
// ambiguity), or nothing with `d.error` set when the position is not valid.
std::optional<std::string> Read(std::string_view text, Decoded& d);

// A Maidenhead locator opening a status text ("IO91SX/G text", "JN45 text"): four or six
// characters, then the end, a blank, or the symbol followed by the end or a blank. Places
// `d` in the middle of the square and gives the text after it; nothing, with `d` untouched,
// when the text does not open with a locator.
std::optional<std::string_view> ReadLocator(std::string_view text, Decoded& d);

// A locator beacon's body after its "[": "IO91SX]text" or "IO91]text". Places `d` in the
// middle of the square and gives the text; nothing, with `d.error` set, for anything else.
std::optional<std::string_view> ReadLocatorBeacon(std::string_view body, Decoded& d);

// The first "!W..!" (thousandths of a minute) or "!w..!" (base 91, about a ten-thousandth)
// in a position's comment: when `addPrecision`, the digits are added to `d`'s latitude and
// longitude, which hold only hundredths of a minute. Gives the comment without it.
std::string ReadDao(std::string_view comment, bool addPrecision, Decoded& d);

// The first well-formed "/A=nnnnnn" or "/A=-nnnnn" (feet) anywhere in the text.
std::optional<double> AltitudeInComment_m(std::string_view text);

// Half a box of the given ambiguity level (0..4), in minutes of arc.
double AmbiguityCentre_min(int level);

}  // namespace decode::position
