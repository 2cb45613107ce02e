// JSON for the decode command: locale-independent numbers, strings always valid UTF-8.
#include "builtin_host/DecodedJson.h"

#include <array>
#include <charconv>
#include <istream>
#include <optional>
#include <ostream>

#include "builtin_host/AprsDecoder.h"

namespace builtin_host {
namespace {

// Length of the valid UTF-8 sequence at `pos`, 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    unsigned char min2 = 0x80, max2 = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) min2 = 0xA0;
        if (lead == 0xED) max2 = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) min2 = 0x90;
        if (lead == 0xF4) max2 = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[pos + i]);
        const unsigned char lo = i == 1 ? min2 : 0x80, hi = i == 1 ? max2 : 0xBF;
        if (c < lo || c > hi) return 0;
    }
    return length;
}

void AppendEscaped(unsigned char c, std::string& out) {
    switch (c) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    if (c < 0x20 || c == 0x7F) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0x0F];
    } else {
        out += static_cast<char>(c);
    }
}

std::string Number(std::optional<double> value, int decimals) {
    if (!value) return "null";
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value,
                                         std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer.data(), end) : "null";
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            AppendEscaped(c, out);
            ++i;
        } else if (const auto length = Utf8SequenceLength(text, i)) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out + '"';
}

std::string ToJson(const Decoded& d) {
    std::string json = "{\"source\":" + JsonString(d.source);
    json += ",\"latitude\":" + Number(d.latitude_deg, 6);
    json += ",\"longitude\":" + Number(d.longitude_deg, 6);
    json += ",\"course\":" + (d.course_deg ? std::to_string(*d.course_deg) : "null");
    json += ",\"speed_kmh\":" + Number(d.speed_kmh, 1);
    json += ",\"altitude_m\":" + Number(d.altitude_m, 1);
    json += ",\"message_type\":" + JsonString(d.messageType);
    json += ",\"comment\":" + JsonString(d.comment);
    json += ",\"object\":" + JsonString(d.object);
    json += ",\"error\":" + JsonString(d.error);
    return json + '}';
}

void DecodeLines(std::istream& in, std::ostream& out) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out << ToJson(Decode(line)) << '\n';
    }
}

}  // namespace builtin_host
