// Reading back numbers that the program itself wrote in the regional number format, so a
// value survives a round trip through a cell even where the decimal symbol is ",".
#pragma once

#include <string_view>

#include "platform/Regional.h"

namespace monitor {

// The leading number of text whose decimal symbol is the regional one ("16,09" -> 16.09 with
// ","); "." is still taken where the regional symbol is ".". Text without a number gives 0.
double RegionalVal(std::string_view text, const platform::Regional& regional);

}  // namespace monitor
