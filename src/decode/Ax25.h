// AX.25 UI frames (as a KISS TNC hands them over) to TNC2 monitor text, and back for tests
// and for the test KISS server.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Result.h"

namespace decode {

// "SRC>DEST,DIGI1*,DIGI2:payload": SSID 0 is omitted, a "*" follows the last digipeater
// whose has-been-repeated bit is set. Only UI frames (control 0x03, PID 0xF0) are accepted;
// anything else is a problem, with a one-line reason.
platform::Result<std::string> Ax25ToTnc2(std::string_view frame);

// The UI frame for a monitor line; a "*" on a digipeater sets the has-been-repeated bit on
// it and on every digipeater before it. Nothing for a line that cannot be encoded (bad
// callsign, SSID above 15, more than eight digipeaters).
std::optional<std::string> Tnc2ToAx25(std::string_view tnc2Line);

}  // namespace decode
