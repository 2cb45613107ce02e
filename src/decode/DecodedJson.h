// One decoded frame as a single-line JSON object, for the decode command.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "decode/Decoded.h"

namespace decode {

// Keys: source, latitude, longitude (decimal degrees), course, speed_kmh, altitude_m,
// message_type, comment, object, error; a missing number is null.
std::string ToJson(const Decoded& decoded);

// The decode command: one JSON line out for every line in, an empty line included (it comes
// out as an error), so output line n always belongs to input line n.
void DecodeLines(std::istream& in, std::ostream& out);

// A JSON string literal, quotes included; bytes that are not valid UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace decode
