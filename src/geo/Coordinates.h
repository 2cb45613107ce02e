// Coordinate texts: the compact form "DDMM.mmH" to signed decimal degrees (cut to hundredths
// as the add-on reads a frame, or exact and checked as the built-in host reads its settings)
// and back, and host values (minutes of arc) to the display form "DD.MM.mmH" / "DDD.MM.mmH".
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// The compact text "DDMM.mmH" / "DDDMM.mmH" as exact signed degrees (the minutes are not
// truncated). Letters N, S for a latitude and E, W, O for a longitude; nothing for text
// that is not such a coordinate or is out of range.
std::optional<double> ParseCompactCoordinate(std::string_view text, bool longitude);
// Signed degrees to the compact text, minutes rounded to hundredths.
std::string FormatCompactCoordinate(double degrees, bool longitude);

}  // namespace geo
