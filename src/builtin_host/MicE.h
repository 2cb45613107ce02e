// Mic-E: latitude and message bits in the destination address, longitude, course and speed
// in the first bytes of the information field, altitude and comment after them.
#pragma once

#include <string_view>

#include "builtin_host/Decoded.h"

namespace builtin_host::mic_e {

// True for the data type identifiers that introduce a Mic-E information field.
bool IsMicE(char dataType);

// Decodes a Mic-E frame into `d`. Only a destination that gives no message type is an
// error (`d.error`); any other field that cannot be read is left out of `d`.
void Decode(std::string_view destination, std::string_view info, Decoded& d);

}  // namespace builtin_host::mic_e
