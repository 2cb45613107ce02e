// The network addresses and serial lines the watch's settings and command line name:
// "HOST:PORT" for a feed, "[ADDRESS:]PORT" for the dashboard, "DEVICE[:BAUD]" for a serial TNC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "watch_settings/Feed.h"

namespace watch_settings {

struct Endpoint {
    std::string host;
    std::uint16_t port = 0;
};

struct SerialLine {
    std::string device;
    std::int32_t baud = kDefaultSerialBaud;
};

// A port written as nothing but its digits, 1 to 65535.
std::optional<std::uint16_t> ParsePort(std::string_view text);

// "HOST:PORT", "HOST" (default port), "[::1]:PORT"; nothing when unusable.
std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort);

// "DEVICE" (default speed) or "DEVICE:BAUD"; nothing when unusable.
std::optional<SerialLine> ParseSerialLine(std::string_view text);

// Where the dashboard listens: "PORT" (on loopback), "ADDRESS:PORT", "[IPv6]:PORT"; nothing
// when unusable.
std::optional<Endpoint> ParseListenAddress(std::string_view text);

// Whether an IP address (IPv4 or IPv6, an IPv4 one mapped into IPv6 too) is this machine's
// loopback; nothing when the text is no IP address.
std::optional<bool> IsLoopback(const std::string& address);

}  // namespace watch_settings
