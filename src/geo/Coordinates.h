// Coordinate texts: the compact form "DDMM.mmH" to signed decimal degrees, and host values
// (minutes of arc) to the display form "DD.MM.mmH" / "DDD.MM.mmH".
#pragma once

#include <string>

namespace geo {

// "4530.25N" -> 45.5, "00912.34O" -> -9.2; minutes truncated to hundredths of a degree.
// A text shorter than six characters gives 0.
double ConvertiCoordinate(const std::string& Coordinate);

// 2730.25 (latitude) -> "45.30.25N", -552.34 (longitude) -> "009.12.34W". The text is the
// same whatever the regional decimal symbol. The minutes are rounded after the degrees were
// taken, so 2759.999 gives "45.60.00N". A value that is not finite gives "-----", the text
// of a missing position.
void FormattaCoordinata(float value, std::string& text, bool longitudine);

// The display text with its first "." removed: "45.30.25N" -> "4530.25N".
std::string CompactFromDisplay(const std::string& display);

}  // namespace geo
