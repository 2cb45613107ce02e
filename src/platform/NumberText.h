// Numbers into text and back, exactly as the program shows and stores them.
// The regional decimal symbol and date format come from platform::Regional.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Regional.h"

namespace platform {

// The leading number of a text, "." being the only decimal point: leading blanks are
// skipped, a sign and an exponent are taken, whatever follows the number is ignored.
// "1abc" -> 1, "abc" -> 0, "-552.34W" -> -552.34, "2730,25" -> 2730.
// A number too large for a double reads as the largest double of its sign, one too small
// as 0.
double Val(std::string_view text);

// True when the whole text, less blanks around it, is one number that Val reads completely:
// "12.5" and " -3e2 " are numbers; "", "abc", "12abc", "12,5" and "." are not.
bool IsNumber(std::string_view text);

// Val for text the program wrote itself in the regional format: the first regional decimal
// symbol is the decimal point ("16,09" -> 16.09 with ","), so a value survives a round trip
// through a cell. Text without that symbol reads as Val reads it.
double RegionalVal(std::string_view text, const Regional& regional);

// A whole stored value as a number: blanks around it are allowed, the decimal point may be "."
// or the regional symbol; an empty text or anything else in it gives no number.
std::optional<double> StoredNumber(std::string_view text, const Regional& regional);

// Whole part rounded down (toward minus infinity): Int(-1.5) == -2.
double Int(double value);

// Rounding to a whole number with halves to even: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
std::int64_t RoundHalfEven(double value);
// The same, saturated to the 16-bit and 32-bit integer ranges.
std::int16_t ToInt16(double value);
std::int32_t ToInt32(double value);

// Format patterns: "#0.00", "00.00", "###", "00", "000". Decimals are rounded half away
// from zero on the decimal value; the decimal symbol is the regional one.
// "###" gives the empty text for values that round to 0. Rounding works on the value's
// 15-significant-digit decimal form, so 10.005 gives "10.01" although the double is a hair
// below it. A result that rounds to zero carries no minus sign; a value that is not finite
// formats as 0 would.
std::string Format(double value, std::string_view pattern, const Regional& regional);

// Shortest text that reads back as the same single-precision value:
// 2730.25f -> "2730.25" (or "2730,25"), -99999.f -> "-99999".
std::string SingleText(float value, const Regional& regional);

// Shortest text (at most 15 significant digits) of a double, as stored values are written:
// 255 -> "255", 16777215 -> "16777215", 1.5 -> "1.5" / "1,5".
std::string NumberText(double value, const Regional& regional);

// A distance as every part of the program shows it: the host's single-precision kilometres
// taken at their shortest decimal (16.3f is 16.3, not 16.2999992), divided by the unit
// factor and cut down, not rounded, to tenths. 37.69 km -> 37.6; 10 km in miles -> 6.2.
double DistanceTenths(float kilometres, double unitFactor);
// That distance as text: "37.6", "37" (or "37,6" with ",").
std::string DistanceText(float kilometres, double unitFactor, const Regional& regional);

// "hh:mm:ss", 24-hour clock.
std::string TimeText(const DateTime& when);
// The date in the regional short date format: d and M without padding, dd and MM (or longer
// runs) two digits, y and yy the year of the century, yyy or longer the full year; every
// other character stands as it is.
std::string ShortDateText(const DateTime& when, const Regional& regional);

// ASCII upper case (the program's texts compare in upper case).
std::string UCase(std::string_view text);

}  // namespace platform
