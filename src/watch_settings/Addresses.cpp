// Reading addresses and serial lines.
#include "watch_settings/Addresses.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#endif

#include <charconv>

namespace watch_settings {

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort) {
    std::string_view host = text, port;
    if (text.starts_with('[')) {  // [IPv6]:port
        const auto close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = text.substr(1, close - 1);
        const auto rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':')) return std::nullopt;
        if (!rest.empty()) port = rest.substr(1);
        if (!rest.empty() && port.empty()) return std::nullopt;
    } else if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        if (text.find(':') != colon) return std::nullopt;  // bare IPv6 needs brackets
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty()) return std::nullopt;
    }
    if (host.empty() || host.find_first_of(" \t") != std::string_view::npos) return std::nullopt;
    Endpoint endpoint{std::string(host), defaultPort};
    if (!port.empty()) {
        const auto number = ParsePort(port);
        if (!number) return std::nullopt;
        endpoint.port = *number;
    }
    return endpoint;
}

std::optional<SerialLine> ParseSerialLine(std::string_view text) {
    SerialLine line{std::string(text), kDefaultSerialBaud};
    if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        const std::string_view speed = text.substr(colon + 1);
        std::int32_t baud = 0;
        const auto [ptr, ec] = std::from_chars(speed.data(), speed.data() + speed.size(), baud);
        if (ec != std::errc() || ptr != speed.data() + speed.size() || baud < 50)
            return std::nullopt;
        line = {std::string(text.substr(0, colon)), baud};
    }
    if (line.device.empty()) return std::nullopt;
    return line;
}

std::optional<Endpoint> ParseListenAddress(std::string_view text) {
    if (const auto port = ParsePort(text)) return Endpoint{"127.0.0.1", *port};
    auto endpoint = ParseEndpoint(text, 0);
    if (!endpoint || endpoint->port == 0) return std::nullopt;
    return endpoint;
}

std::optional<bool> IsLoopback(const std::string& address) {
    in_addr v4{};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, address.c_str(), &v6) != 1) return std::nullopt;
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
}

}  // namespace watch_settings
