// APRS decoding: one TNC2 monitor line in, the station data it carries out.
#pragma once

#include <string>
#include <string_view>

#include "decode/Decoded.h"

namespace decode {

// Positions (uncompressed with ambiguity and "!DAO!" precision, compressed, Mic-E),
// course/speed/altitude, objects and items, status reports and locator beacons (a
// Maidenhead locator gives the middle of its square), third-party frames (decoded as their
// inner frame).
// Never throws: a frame it cannot make sense of comes back with `error` set and nothing
// but its source and TNC2 text (when the header was readable), so no half-read position
// reaches the station list. A Mic-E frame whose destination gives a message type is never
// such a frame: its unreadable fields are left out.
Decoded Decode(std::string_view tnc2Line);
// The same into a record reused from frame to frame: what it held is replaced whole, and its
// longest strings keep their room, so a steady feed decodes without allocating for them.
void Decode(std::string_view tnc2Line, Decoded& into);

}  // namespace decode
