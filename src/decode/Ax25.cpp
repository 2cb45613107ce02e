// AX.25 UI frames <-> TNC2 text. Addresses are 7 bytes: six callsign characters shifted one
// bit left, then the SSID byte (H/C bit 0x80, reserved 0x60, SSID << 1, end-of-address bit).
#include "decode/Ax25.h"

#include <vector>

#include "decode/Tnc2.h"

namespace decode {
namespace {

constexpr std::size_t kAddressBytes = 7;
constexpr std::size_t kMaxDigipeaters = 8;
constexpr unsigned char kControlUi = 0x03;
constexpr unsigned char kPidNoLayer3 = 0xF0;
constexpr unsigned char kRepeatedBit = 0x80;
constexpr unsigned char kLastAddressBit = 0x01;

bool IsCallsignChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// One address as "CALL" or "CALL-SSID"; false when the callsign bytes are not a callsign.
bool DecodeAddress(std::string_view bytes, std::string& text) {
    text.clear();
    bool padding = false;
    for (std::size_t i = 0; i < 6; ++i) {
        const auto u = static_cast<unsigned char>(bytes[i]);
        if (u & 0x01) return false;  // only the SSID byte may carry the end bit
        const char c = static_cast<char>(u >> 1);
        if (c == ' ') {
            padding = true;
        } else if (padding || !IsCallsignChar(c)) {
            return false;
        } else {
            text.push_back(c);
        }
    }
    if (text.empty()) return false;
    const int ssid = (static_cast<unsigned char>(bytes[6]) >> 1) & 0x0F;
    if (ssid != 0) text += '-' + std::to_string(ssid);
    return true;
}

bool EncodeAddress(std::string_view text, unsigned char flags, std::string& out) {
    const auto dash = text.find('-');
    const std::string_view call = text.substr(0, dash);
    int ssid = 0;
    if (dash != std::string_view::npos) {
        const std::string_view digits = text.substr(dash + 1);
        if (digits.empty() || digits.size() > 2) return false;
        for (const char c : digits) {
            if (c < '0' || c > '9') return false;
            ssid = ssid * 10 + (c - '0');
        }
        if (ssid > 15) return false;
    }
    if (call.empty() || call.size() > 6) return false;
    for (std::size_t i = 0; i < 6; ++i) {
        const char c = i < call.size() ? call[i] : ' ';
        if (c != ' ' && !IsCallsignChar(c)) return false;
        out.push_back(static_cast<char>(c << 1));
    }
    out.push_back(static_cast<char>(0x60 | flags | (ssid << 1)));
    return true;
}

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const auto comma = path.find(',');
        parts.push_back(path.substr(0, comma));
        if (comma == std::string_view::npos) break;
        path.remove_prefix(comma + 1);
    }
    return parts;
}

}  // namespace

platform::Result<std::string> Ax25ToTnc2(std::string_view frame) {
    std::vector<std::string> addresses;
    std::size_t lastRepeated = 0;  // 1-based index among the digipeaters, 0 = none
    std::size_t pos = 0;
    for (bool last = false; !last; pos += kAddressBytes) {
        if (frame.size() < pos + kAddressBytes)
            return platform::Fail("AX.25 address field cut short");
        if (addresses.size() == 2 + kMaxDigipeaters)
            return platform::Fail("AX.25 address field too long");
        const std::string_view bytes = frame.substr(pos, kAddressBytes);
        std::string text;
        if (!DecodeAddress(bytes, text)) return platform::Fail("AX.25 address is not a callsign");
        const auto ssidByte = static_cast<unsigned char>(bytes[6]);
        last = (ssidByte & kLastAddressBit) != 0;
        if (addresses.size() >= 2 && (ssidByte & kRepeatedBit)) lastRepeated = addresses.size() - 1;
        addresses.push_back(std::move(text));
    }
    if (addresses.size() < 2) return platform::Fail("AX.25 frame without source");
    if (frame.size() < pos + 2) return platform::Fail("AX.25 frame without control and PID");
    if (static_cast<unsigned char>(frame[pos]) != kControlUi)
        return platform::Fail("not an AX.25 UI frame");
    if (static_cast<unsigned char>(frame[pos + 1]) != kPidNoLayer3)
        return platform::Fail("AX.25 PID is not 0xF0");

    std::string line = addresses[1] + '>' + addresses[0];
    for (std::size_t i = 2; i < addresses.size(); ++i) {
        line += ',' + addresses[i];
        if (i - 1 == lastRepeated) line += '*';
    }
    line += ':';
    line.append(frame.substr(pos + 2));
    return line;
}

std::optional<std::string> Tnc2ToAx25(std::string_view tnc2Line) {
    const auto parsed = ParseTnc2(tnc2Line);
    if (!parsed) return std::nullopt;
    const auto digis = SplitPath(parsed->path);
    if (digis.size() > kMaxDigipeaters) return std::nullopt;
    std::size_t lastRepeated = 0;
    for (std::size_t i = 0; i < digis.size(); ++i) {
        if (!digis[i].empty() && digis[i].back() == '*') lastRepeated = i + 1;
    }

    std::string out;
    const unsigned char sourceEnd = digis.empty() ? kLastAddressBit : 0;
    if (!EncodeAddress(parsed->destination, 0x80, out)) return std::nullopt;  // command frame
    if (!EncodeAddress(parsed->source, sourceEnd, out)) return std::nullopt;
    for (std::size_t i = 0; i < digis.size(); ++i) {
        std::string_view digi = digis[i];
        if (!digi.empty() && digi.back() == '*') digi.remove_suffix(1);
        unsigned char flags = i + 1 <= lastRepeated ? kRepeatedBit : 0;
        if (i + 1 == digis.size()) flags |= kLastAddressBit;
        if (!EncodeAddress(digi, flags, out)) return std::nullopt;
    }
    out.push_back(static_cast<char>(kControlUi));
    out.push_back(static_cast<char>(kPidNoLayer3));
    return out + parsed->payload;
}

}  // namespace decode
