// JSON for the decode command: locale-independent numbers, strings always valid UTF-8.
#include "decode/DecodedJson.h"

#include <array>
#include <charconv>
#include <istream>
#include <optional>
#include <ostream>
#include <vector>

#include "decode/AprsDecoder.h"

namespace decode {
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

void AppendNumber(std::optional<double> value, int decimals, std::string& out) {
    std::array<char, 64> buffer{};
    if (value) {
        const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value,
                                             std::chars_format::fixed, decimals);
        if (ec == std::errc()) return void(out.append(buffer.data(), end));
    }
    out += "null";
}

void AppendInteger(std::optional<int> value, std::string& out) {
    std::array<char, 16> buffer{};
    if (!value) return void(out += "null");
    out.append(buffer.data(),
               std::to_chars(buffer.data(), buffer.data() + buffer.size(), *value).ptr);
}

// Plain printable ASCII goes through as it is; everything else one character at a time.
bool Plain(unsigned char c) {
    return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
}

void AppendJsonString(std::string_view text, std::string& out) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        std::size_t run = i;
        while (run < text.size() && Plain(static_cast<unsigned char>(text[run]))) ++run;
        out.append(text.substr(i, run - i));
        if (run == text.size()) break;
        i = run;
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
    out += '"';
}

void AppendJson(const Decoded& d, std::string& json) {
    json += "{\"source\":";
    AppendJsonString(d.source, json);
    json += ",\"latitude\":";
    AppendNumber(d.latitude_deg, 6, json);
    json += ",\"longitude\":";
    AppendNumber(d.longitude_deg, 6, json);
    json += ",\"course\":";
    AppendInteger(d.course_deg, json);
    json += ",\"speed_kmh\":";
    AppendNumber(d.speed_kmh, 1, json);
    json += ",\"altitude_m\":";
    AppendNumber(d.altitude_m, 1, json);
    json += ",\"message_type\":";
    AppendJsonString(d.messageType, json);
    json += ",\"comment\":";
    AppendJsonString(d.comment, json);
    json += ",\"object\":";
    AppendJsonString(d.object, json);
    json += ",\"error\":";
    AppendJsonString(d.error, json);
    json += '}';
}

void AppendDecodedLine(std::string_view line, std::string& out) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    AppendJson(Decode(line), out);
    out += '\n';
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out;
    AppendJsonString(text, out);
    return out;
}

std::string ToJson(const Decoded& d) {
    std::string json;
    json.reserve(256);
    AppendJson(d, json);
    return json;
}

void DecodeLines(std::istream& in, std::ostream& out) {
    // Read and written in large blocks: the command's time should go to decoding.
    constexpr std::size_t kBlock = 1 << 16;
    std::string pending;  // the start of a line the last block cut
    std::string output;
    std::vector<char> block(kBlock);
    while (in.read(block.data(), static_cast<std::streamsize>(kBlock)) || in.gcount() > 0) {
        std::string_view rest(block.data(), static_cast<std::size_t>(in.gcount()));
        for (auto end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
            if (pending.empty()) {
                AppendDecodedLine(rest.substr(0, end), output);
            } else {
                pending.append(rest.substr(0, end));
                AppendDecodedLine(pending, output);
                pending.clear();
            }
            rest.remove_prefix(end + 1);
        }
        pending.append(rest);
        if (output.size() >= kBlock) {
            out.write(output.data(), static_cast<std::streamsize>(output.size()));
            output.clear();
        }
    }
    if (!pending.empty()) AppendDecodedLine(pending, output);
    out.write(output.data(), static_cast<std::streamsize>(output.size()));
}

}  // namespace decode
