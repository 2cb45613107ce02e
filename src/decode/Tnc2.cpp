// TNC2 monitor lines: the header is plain ASCII without blanks, the payload is anything.
#include "decode/Tnc2.h"

#include <algorithm>

namespace decode {
namespace {

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

bool IsHeaderByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u > 0x20 && u < 0x7F;
}

}  // namespace

std::optional<Tnc2Frame> ParseTnc2(std::string_view line) {
    line = WithoutLineEnd(line);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view header = line.substr(0, colon);
    const auto gt = header.find('>');
    if (gt == std::string_view::npos || gt == 0) return std::nullopt;
    if (!std::all_of(header.begin(), header.end(), IsHeaderByte)) return std::nullopt;

    const std::string_view addresses = header.substr(gt + 1);
    const auto comma = addresses.find(',');
    Tnc2Frame frame;
    frame.source = std::string(header.substr(0, gt));
    frame.destination = std::string(addresses.substr(0, comma));
    if (comma != std::string_view::npos) frame.path = std::string(addresses.substr(comma + 1));
    frame.payload = std::string(line.substr(colon + 1));
    if (frame.destination.empty() || frame.destination.find('>') != std::string::npos) {
        return std::nullopt;
    }
    return frame;
}

std::string FormatTnc2(const Tnc2Frame& frame) {
    std::string line;
    line.reserve(frame.source.size() + frame.destination.size() + frame.path.size() +
                 frame.payload.size() + 3);
    line.append(frame.source).append(1, '>').append(frame.destination);
    if (!frame.path.empty()) line.append(1, ',').append(frame.path);
    return line.append(1, ':').append(frame.payload);
}

}  // namespace decode
