// APRS decoding: picks the format by the data type identifier and hands over to the
// position, Mic-E and status readers.
#include "decode/AprsDecoder.h"

#include <exception>
#include <utility>

#include "decode/MicE.h"
#include "decode/PositionFormats.h"
#include "decode/Tnc2.h"

namespace decode {
namespace {

constexpr int kMaxThirdPartyDepth = 4;
constexpr std::size_t kTimestampLength = 7;
constexpr std::size_t kObjectNameLength = 9;
constexpr std::size_t kMaxItemNameLength = 9;
constexpr std::size_t kMaxBangOffset = 40;  // a position may follow "!" this far in
constexpr std::string_view kEmergencyCode = "!EMERGENCY!";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "DDHHMMz", "DDHHMM/" or "HHMMSSh".
bool IsTimestamp(std::string_view text) {
    if (text.size() < kTimestampLength) return false;
    for (std::size_t i = 0; i < 6; ++i) {
        if (!IsDigit(text[i])) return false;
    }
    return text[6] == 'z' || text[6] == '/' || text[6] == 'h';
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

void ReadPosition(std::string_view text, Decoded& d) {
    if (auto comment = position::Read(text, d)) d.comment = std::move(*comment);
}

void ReadTimestampedPosition(std::string_view text, Decoded& d) {
    if (!IsTimestamp(text)) {
        d.error = "bad timestamp";
        return;
    }
    ReadPosition(text.substr(kTimestampLength), d);
}

// ";NNNNNNNNN*DDHHMMzPOSITION": the name is always nine characters, "_" marks a kill.
void ReadObject(std::string_view body, Decoded& d) {
    if (body.size() < kObjectNameLength + 1 || (body[9] != '*' && body[9] != '_')) {
        d.error = "bad object";
        return;
    }
    d.object = std::string(TrimRight(body.substr(0, kObjectNameLength)));
    d.objectKilled = body[9] == '_';
    if (d.object.empty()) d.error = "object without a name";
    if (d.error.empty()) ReadTimestampedPosition(body.substr(kObjectNameLength + 1), d);
}

// ")NAME!POSITION": three to nine characters, ended by "!" (alive) or "_" (killed).
void ReadItem(std::string_view body, Decoded& d) {
    const auto end = body.find_first_of("!_");
    if (end == std::string_view::npos || end < 3 || end > kMaxItemNameLength) {
        d.error = "bad item";
        return;
    }
    d.object = std::string(body.substr(0, end));
    d.objectKilled = body[end] == '_';
    ReadPosition(body.substr(end + 1), d);
}

// ">DDHHMMztext" or ">IO91SX/G text": a status has either a timestamp or a locator.
void ReadStatus(std::string_view body, Decoded& d) {
    if (body.size() >= kTimestampLength && IsTimestamp(body) && body[6] == 'z') {
        body.remove_prefix(kTimestampLength);
    } else if (const auto text = position::ReadLocator(body, d)) {
        body = *text;
    }
    d.comment = std::string(body);
    d.isStatus = true;
}

// "[IO91SX]text": a station placed only by its Maidenhead locator.
void ReadLocatorBeacon(std::string_view body, Decoded& d) {
    if (const auto comment = position::ReadLocatorBeacon(body, d))
        d.comment = std::string(*comment);
}

// Position reports from older trackers may carry text before the "!".
void ReadLatePosition(std::string_view payload, Decoded& d) {
    const auto bang = payload.find('!');
    if (bang == std::string_view::npos || bang > kMaxBangOffset) return;
    Decoded attempt = d;
    ReadPosition(payload.substr(bang + 1), attempt);
    if (attempt.error.empty()) d = std::move(attempt);
}

void DecodeFrame(int depth, Decoded& d);

// Empties the record for the next frame; the frame's text and parts keep their room and are
// overwritten by the next frame's.
void Recycle(Decoded& d) {
    std::string tnc2 = std::move(d.tnc2);
    Tnc2Frame parts = std::move(d.parts);
    d = Decoded{};
    d.tnc2 = std::move(tnc2);
    d.parts = std::move(parts);
}

void ReadThirdParty(std::string_view inner, int depth, Decoded& d) {
    Tnc2Frame innerFrame;
    if (!ParseTnc2(inner, innerFrame)) {
        d.error = "bad third-party header";
        return;
    }
    if (depth >= kMaxThirdPartyDepth) {
        d.error = "third-party frames nested too deep";
        return;
    }
    Recycle(d);  // `inner` pointed into the outer frame, which is gone now
    d.parts = std::move(innerFrame);
    DecodeFrame(depth + 1, d);
}

void ReadPayload(const Tnc2Frame& frame, int depth, Decoded& d) {
    const std::string_view payload = frame.payload;
    if (payload.empty()) {
        d.error = "empty information field";
        return;
    }
    const char type = payload[0];
    const std::string_view body = payload.substr(1);
    if (mic_e::IsMicE(type)) return mic_e::Decode(frame.destination, payload, d);
    switch (type) {
        case '!':
        case '=':
            return ReadPosition(body, d);
        case '/':
        case '@':
            return ReadTimestampedPosition(body, d);
        case ';':
            return ReadObject(body, d);
        case ')':
            return ReadItem(body, d);
        case '>':
            return ReadStatus(body, d);
        case '[':
            return ReadLocatorBeacon(body, d);
        case '}':
            return ReadThirdParty(body, depth, d);
        case ':':  // messages, bulletins, telemetry definitions: no station data
        case 'T':
        case '_':
        case '$':
        case '<':
        case '?':
        case '{':
            return;
        default:
            return ReadLatePosition(payload, d);
    }
}

// Decodes the frame in `d.parts`; a third-party frame replaces the whole record with its
// inner frame's.
void DecodeFrame(int depth, Decoded& d) {
    d.source = d.parts.source;
    FormatTnc2(d.parts, d.tnc2);
    ReadPayload(d.parts, depth, d);
    if (d.messageType.empty() && d.comment.starts_with(kEmergencyCode)) {
        d.messageType = "EMERGENCY";
        d.emergencyInComment = true;
    }
}

// A frame with an error keeps only what says where it came from.
void KeepOnlyOrigin(Decoded& d) {
    std::string source = std::move(d.source);
    std::string error = std::move(d.error);
    Recycle(d);
    d.source = std::move(source);
    d.error = std::move(error);
    d.parts = Tnc2Frame{};
}

}  // namespace

Decoded Decode(std::string_view tnc2Line) {
    Decoded d;
    Decode(tnc2Line, d);
    return d;
}

void Decode(std::string_view tnc2Line, Decoded& into) {
    Recycle(into);
    try {
        if (!ParseTnc2(tnc2Line, into.parts)) {
            into.tnc2.clear();
            into.parts = Tnc2Frame{};
            into.error = "bad frame header";
            return;
        }
        DecodeFrame(0, into);
        if (!into.error.empty()) KeepOnlyOrigin(into);
    } catch (const std::exception& e) {  // out of memory: the frame is lost, not the program
        into = Decoded{};
        into.error = e.what();
    }
}

}  // namespace decode
