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
    Tnc2Frame frame;
    if (!ParseTnc2(line, frame)) return std::nullopt;
    return frame;
}

bool ParseTnc2(std::string_view line, Tnc2Frame& into) {
    line = WithoutLineEnd(line);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view header = line.substr(0, colon);
    const auto gt = header.find('>');
    if (gt == std::string_view::npos || gt == 0) return false;
    if (!std::all_of(header.begin(), header.end(), IsHeaderByte)) return false;

    const std::string_view addresses = header.substr(gt + 1);
    const auto comma = addresses.find(',');
    const std::string_view destination = addresses.substr(0, comma);
    if (destination.empty() || destination.find('>') != std::string_view::npos) return false;
    into.source.assign(header.substr(0, gt));
    into.destination.assign(destination);
    into.path.assign(comma == std::string_view::npos ? std::string_view()
                                                     : addresses.substr(comma + 1));
    into.payload.assign(line.substr(colon + 1));
    return true;
}

std::string FormatTnc2(const Tnc2Frame& frame) {
    std::string line;
    FormatTnc2(frame, line);
    return line;
}

void FormatTnc2(const Tnc2Frame& frame, std::string& into) {
    into.clear();
    into.reserve(frame.source.size() + frame.destination.size() + frame.path.size() +
                 frame.payload.size() + 3);
    into.append(frame.source).append(1, '>').append(frame.destination);
    if (!frame.path.empty()) into.append(1, ',').append(frame.path);
    into.append(1, ':').append(frame.payload);
}

}  // namespace decode
