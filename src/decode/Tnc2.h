// TNC2 monitor lines ("SRC>DEST,PATH:payload"): split into their parts and joined back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decode/Decoded.h"

namespace decode {

// Splits a monitor line at the first ">" and the first ":" after it. A trailing CR/LF is
// dropped; everything else in the payload is kept byte for byte. Gives nothing when the
// header is unusable (no ">", no ":", empty source or destination, blanks in the header).
std::optional<Tnc2Frame> ParseTnc2(std::string_view line);
// The same into a frame whose strings are reused; false (and `into` unspecified) when the
// header is unusable.
bool ParseTnc2(std::string_view line, Tnc2Frame& into);

// The same frame as one monitor line, without line end.
std::string FormatTnc2(const Tnc2Frame& frame);
// The same into a string whose room is reused.
void FormatTnc2(const Tnc2Frame& frame, std::string& into);

}  // namespace decode
