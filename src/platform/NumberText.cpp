// Numbers into text and back without the C locale: std::to_chars/from_chars do the digits,
// the regional port supplies the decimal symbol and the date pattern.
#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace platform {
namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where a leading number lies inside a text, as Val reads it.
struct NumberSpan {
    size_t begin = 0;     // first character after the leading blanks
    size_t mantissa = 0;  // first digit or "." (after the sign)
    size_t exponent = 0;  // the "e" of the exponent, or end when there is none
    size_t end = 0;       // one past the number; == begin when there is no number
    bool negative = false;
};

size_t SkipDigits(std::string_view text, size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

NumberSpan FindNumber(std::string_view text) {
    NumberSpan span;
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    span.begin = span.end = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        span.negative = text[i] == '-';
        ++i;
    }
    span.mantissa = i;
    size_t j = SkipDigits(text, i);
    bool digits = j > i;
    if (j < text.size() && text[j] == '.') {
        size_t k = SkipDigits(text, j + 1);
        digits = digits || k > j + 1;
        j = k;
    }
    if (!digits) return span;
    span.exponent = span.end = j;
    if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
        size_t k = j + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        size_t m = SkipDigits(text, k);
        if (m > k) span.end = m;
    }
    return span;
}

// Rough power of ten of a number that from_chars found out of range: enough to tell an
// overflow from an underflow.
long DecimalMagnitude(std::string_view text, const NumberSpan& span) {
    std::string_view mantissa = text.substr(span.mantissa, span.exponent - span.mantissa);
    size_t point = mantissa.find('.');
    size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    if (point == std::string_view::npos) point = mantissa.size();
    long magnitude =
        first < point ? static_cast<long>(point - first) : -static_cast<long>(first - point);
    if (span.end > span.exponent) {
        std::string_view exp = text.substr(span.exponent + 1, span.end - span.exponent - 1);
        bool negativeExp = exp.front() == '-';
        if (exp.front() == '+' || exp.front() == '-') exp.remove_prefix(1);
        long e = 0;
        for (char c : exp) e = e > 100000 ? e : e * 10 + (c - '0');
        magnitude += negativeExp ? -e : e;
    }
    return magnitude;
}

// The digits of a finite, non-negative value rounded half away from zero to `decimals`
// places, worked on its 15-significant-digit decimal form. Returns the whole digits (at
// least "0") and exactly `decimals` fraction digits.
struct RoundedDigits {
    std::string whole;
    std::string fraction;
};

RoundedDigits RoundDecimal(double value, int decimals) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));  // d.dddddddddddddde±x
    size_t e = sci.find('e');
    int exponent = 0;
    std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+'), sci.data() + sci.size(), exponent);
    std::string digits;
    for (char c : sci.substr(0, e))
        if (c != '.') digits += c;
    int wholeCount = exponent + 1;  // digits in front of the point
    if (wholeCount < 1) {
        digits.insert(0, static_cast<size_t>(1 - wholeCount), '0');
        wholeCount = 1;
    }
    size_t keep = static_cast<size_t>(wholeCount + decimals);
    if (digits.size() < keep + 1) digits.resize(keep + 1, '0');
    bool roundUp = digits[keep] >= '5';
    digits.resize(keep);
    for (size_t i = keep; roundUp && i-- > 0;) {
        roundUp = digits[i] == '9';
        digits[i] = roundUp ? '0' : static_cast<char>(digits[i] + 1);
    }
    if (roundUp) {
        digits.insert(0, 1, '1');
        ++wholeCount;
    }
    RoundedDigits out{digits.substr(0, static_cast<size_t>(wholeCount)),
                      digits.substr(static_cast<size_t>(wholeCount))};
    size_t nonZero = out.whole.find_first_not_of('0');
    out.whole = nonZero == std::string::npos ? "0" : out.whole.substr(nonZero);
    return out;
}

std::string DecimalSymbol(const Regional& regional) {
    std::string symbol = regional.decimalSymbol();
    return symbol.empty() ? "." : symbol;
}

std::string WithDecimalSymbol(std::string text, const Regional& regional) {
    size_t point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, DecimalSymbol(regional));
    return text;
}

std::string Padded(int value, size_t width) {
    std::string digits = std::to_string(value < 0 ? -static_cast<long>(value) : value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

template <typename Int>
Int Saturated(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    if (value <= lo) return std::numeric_limits<Int>::min();
    if (value >= hi) return std::numeric_limits<Int>::max();
    return static_cast<Int>(RoundHalfEven(value));
}

}  // namespace

double Val(std::string_view text) {
    NumberSpan span = FindNumber(text);
    if (span.end == span.begin) return 0;
    double value = 0;
    auto res = std::from_chars(text.data() + span.mantissa, text.data() + span.end, value);
    if (res.ec == std::errc::result_out_of_range)
        value = DecimalMagnitude(text, span) > 0 ? kMaxDouble : 0.0;
    return span.negative ? -value : value;
}

bool IsNumber(std::string_view text) {
    NumberSpan span = FindNumber(text);
    if (span.end == span.begin) return false;
    for (size_t i = span.end; i < text.size(); ++i)
        if (!IsBlank(text[i])) return false;
    return true;
}

namespace {

// The text with its first regional decimal symbol turned into ".".
std::string WithDecimalPoint(std::string_view text, const Regional& regional) {
    const std::string symbol = regional.decimalSymbol();
    const std::string_view::size_type at =
        symbol.empty() || symbol == "." ? std::string_view::npos : text.find(symbol);
    if (at == std::string_view::npos) return std::string(text);
    std::string plain(text.substr(0, at));
    plain += '.';
    plain += text.substr(at + symbol.size());
    return plain;
}

}  // namespace

double RegionalVal(std::string_view text, const Regional& regional) {
    return Val(WithDecimalPoint(text, regional));
}

std::optional<double> StoredNumber(std::string_view text, const Regional& regional) {
    const std::string plain = WithDecimalPoint(text, regional);
    if (!IsNumber(plain)) return std::nullopt;
    return Val(plain);
}

double Int(double value) {
    return std::floor(value);
}

std::int64_t RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    if (value <= -9.2233720368547758e18) return std::numeric_limits<std::int64_t>::min();
    if (value >= 9.2233720368547758e18) return std::numeric_limits<std::int64_t>::max();
    double whole = std::floor(value);
    double rest = value - whole;
    auto n = static_cast<std::int64_t>(whole);
    if (rest > 0.5 || (rest == 0.5 && n % 2 != 0)) ++n;
    return n;
}

std::int16_t ToInt16(double value) {
    return Saturated<std::int16_t>(value);
}
std::int32_t ToInt32(double value) {
    return Saturated<std::int32_t>(value);
}

std::string Format(double value, std::string_view pattern, const Regional& regional) {
    size_t point = pattern.find('.');
    std::string_view wholePattern = pattern.substr(0, point);
    size_t minWhole = 0;
    for (char c : wholePattern) minWhole += c == '0';
    int decimals =
        point == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - point - 1);

    if (!std::isfinite(value)) value = 0;
    RoundedDigits r = RoundDecimal(std::fabs(value), decimals);
    if (r.whole == "0") r.whole.clear();
    if (r.whole.size() < minWhole) r.whole.insert(0, minWhole - r.whole.size(), '0');
    bool zero = r.whole.find_first_not_of('0') == std::string::npos &&
                r.fraction.find_first_not_of('0') == std::string::npos;

    std::string text = value < 0 && !zero ? "-" : "";
    text += r.whole;
    if (decimals > 0) text += DecimalSymbol(regional) + r.fraction;
    return text;
}

std::string SingleText(float value, const Regional& regional) {
    if (value == 0) return "0";  // also for -0
    char buf[64];
    float magnitude = std::fabs(value);
    auto format = magnitude >= 1e-5f && magnitude < 1e15f ? std::chars_format::fixed
                                                          : std::chars_format::scientific;
    auto res = std::to_chars(buf, buf + sizeof buf, value, format);
    return WithDecimalSymbol(std::string(buf, res.ptr), regional);
}

std::string NumberText(double value, const Regional& regional) {
    if (value == 0) return "0";  // also for -0
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return WithDecimalSymbol(std::string(buf, res.ptr), regional);
}

double DistanceTenths(float kilometres, double unitFactor) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, kilometres);
    double km = kilometres;
    std::from_chars(text, written.ptr, km);
    return Int(km / unitFactor * 10) / 10;
}

std::string DistanceText(float kilometres, double unitFactor, const Regional& regional) {
    return NumberText(DistanceTenths(kilometres, unitFactor), regional);
}

std::string TimeText(const DateTime& when) {
    return Padded(when.hour, 2) + ":" + Padded(when.minute, 2) + ":" + Padded(when.second, 2);
}

std::string ShortDateText(const DateTime& when, const Regional& regional) {
    std::string pattern = regional.shortDateFormat();
    std::string text;
    for (size_t i = 0; i < pattern.size();) {
        char c = pattern[i];
        size_t run = pattern.find_first_not_of(c, i);
        size_t n = (run == std::string::npos ? pattern.size() : run) - i;
        if (c == 'd') {
            text += Padded(when.day, n >= 2 ? 2 : 1);
        } else if (c == 'M') {
            text += Padded(when.month, n >= 2 ? 2 : 1);
        } else if (c == 'y') {
            text += n >= 3 ? Padded(when.year, 4) : Padded(when.year % 100, n);
        } else {
            text.append(n, c);
        }
        i += n;
    }
    return text;
}

std::string UCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

}  // namespace platform
