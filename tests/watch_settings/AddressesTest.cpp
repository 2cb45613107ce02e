// The addresses the settings and the command line name: a feed's endpoint, the dashboard's
// place, a serial line.
#include <gtest/gtest.h>

#include <functional>

#include "watch_settings/Addresses.h"

namespace watch_settings {
namespace {

// A feed's endpoint takes the KISS port unless given one; the dashboard listens on loopback
// unless told where.
TEST(Addresses, EndpointsAndTheDashboardsAddress) {
    const auto feed = [](std::string_view text) { return ParseEndpoint(text, kDefaultKissPort); };
    const struct {
        std::function<std::optional<Endpoint>(std::string_view)> parse;
        const char* text;
        const char* host;  // nullptr: refused
        int port;
    } cases[] = {{feed, "127.0.0.1:8001", "127.0.0.1", 8001},
                 {feed, "localhost", "localhost", 8001},
                 {feed, "[::1]:9000", "::1", 9000},
                 {feed, "[::1]", "::1", 8001},
                 {feed, "::1", nullptr, 0},
                 {feed, ":8001", nullptr, 0},
                 {feed, "host:", nullptr, 0},
                 {feed, "[::1]x", nullptr, 0},
                 {feed, "", nullptr, 0},
                 {ParseListenAddress, "8080", "127.0.0.1", 8080},
                 {ParseListenAddress, "0.0.0.0:8080", "0.0.0.0", 8080},
                 {ParseListenAddress, "[::]:9000", "::", 9000},
                 {ParseListenAddress, "localhost", nullptr, 0},
                 {ParseListenAddress, "0", nullptr, 0}};
    for (const auto& c : cases) {
        const auto e = c.parse(c.text);
        ASSERT_EQ(e.has_value(), c.host != nullptr) << c.text;
        if (!e) continue;
        EXPECT_EQ(e->host, c.host);
        EXPECT_EQ(e->port, c.port) << c.text;
    }
}

TEST(Addresses, SerialLines) {
    const auto line = ParseSerialLine("/dev/serial/by-id/usb-TNC:1200");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->device, "/dev/serial/by-id/usb-TNC");
    EXPECT_EQ(line->baud, 1200);
    EXPECT_FALSE(ParseSerialLine("/dev/ttyS0:12").has_value()) << "no serial line is that slow";
}

}  // namespace
}  // namespace watch_settings
