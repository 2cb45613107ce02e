// One decoded frame as a single-line JSON object, for the decode command.
#pragma once

#include <string>
#include <string_view>

#include "builtin_host/Decoded.h"

namespace builtin_host {

// Keys: source, latitude, longitude (decimal degrees), course, speed_kmh, altitude_m,
// message_type, comment, object, error; a missing number is null.
std::string ToJson(const Decoded& decoded);

// A JSON string literal, quotes included; bytes that are not valid UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace builtin_host
