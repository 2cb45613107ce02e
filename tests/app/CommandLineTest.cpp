// The executable's command line: feed choice, endpoints, and the mistakes it refuses.
#include <gtest/gtest.h>

#include <functional>

#include "app/CommandLine.h"

namespace app {
namespace {

// A command line the parser must take.
CommandLine Parsed(const std::vector<std::string>& args) {
    std::string error;
    const auto parsed = ParseCommandLine(args, &error);
    EXPECT_TRUE(parsed) << error;
    return parsed.value_or(CommandLine{});
}

TEST(CommandLine, FeedsAndTheirValues) {
    auto r = Parsed({});
    EXPECT_EQ(r.feed, FeedChoice::FromSettings);
    EXPECT_FALSE(r.headless);

    r = Parsed({"--kiss", "127.0.0.1:8002", "--headless"});
    EXPECT_EQ(r.feed, FeedChoice::Kiss);
    EXPECT_EQ(r.endpoint.port, 8002);
    EXPECT_TRUE(r.headless);

    r = Parsed({"--aprs-is=rotate.aprs2.net", "--filter=r/45/9/50", "--call", "N0CALL"});
    EXPECT_EQ(r.feed, FeedChoice::AprsIs);
    EXPECT_EQ(r.endpoint.port, kDefaultAprsIsPort);
    EXPECT_EQ(r.filter, "r/45/9/50");
    EXPECT_EQ(r.call, "N0CALL");

    r = Parsed({"--replay", "x y.tnc2", "--fast"});
    EXPECT_EQ(r.feed, FeedChoice::Replay);
    EXPECT_EQ(r.replayFile, "x y.tnc2");
    EXPECT_TRUE(r.fast);

    r = Parsed({"--export", "a.GPX", "--since=2026-12-07T10:00"});
    EXPECT_EQ(r.exportFile, "a.GPX");
    EXPECT_EQ(r.since, "2026-12-07T10:00");

    r = Parsed({"--agwpe", "tnc.local"});
    EXPECT_EQ(r.feed, FeedChoice::Agwpe);
    EXPECT_EQ(r.endpoint.port, kDefaultAgwpePort);

    r = Parsed({"--serial=/dev/ttyUSB0"});
    EXPECT_EQ(r.feed, FeedChoice::Serial);
    EXPECT_EQ(r.serial.device, "/dev/ttyUSB0");
    EXPECT_EQ(r.serial.baud, kDefaultSerialBaud);

    EXPECT_EQ(Parsed({"--stdin"}).feed, FeedChoice::Stdin);
    EXPECT_TRUE(Parsed({"--version"}).version);
    EXPECT_TRUE(Parsed({"--check", "--kiss", "tnc"}).check);
    EXPECT_TRUE(Parsed({"-h"}).help);
}

TEST(CommandLine, RefusesWhatCannotWork) {
    const std::vector<std::vector<std::string>> bad = {
        {"--kiss"},                                // no value
        {"--kiss", "host:0"},                      // port 0
        {"--kiss", "host:99999"},                  // port too large
        {"--kiss", "host:80x"},                    // not a number
        {"--kiss", "a:1", "--stdin"},              // two feeds
        {"--replay", "f", "--replay", "g"},        // two feeds
        {"--stdin", "--fast"},                     // --fast without a replay
        {"--kiss", "a:1", "--filter", "r/1/2/3"},  // filter without APRS-IS
        {"--headless=yes"},                        // flag with a value
        {"--frobnicate"},
        {"--serial", "/dev/ttyUSB0", "--agwpe", "a"},  // two feeds
        {"--serial", "/dev/ttyUSB0:fast"},
        {"--serial", ":9600"},
        {"--replay="},
        {"--since", "2026-12-07"},      // --since without --export
        {"--export", "incidents.txt"},  // neither GPX nor KML
        {"--export", "gpx"},
        {"--dashboard", "0.0.0.0"},  // no port
        {"--dashboard", "70000"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParseCommandLine(args, &error)) << args[0] << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(error.empty()) << args[0] << ": the mistake is told";
    }
}

// A feed's endpoint takes the KISS port unless given one; the dashboard listens on loopback
// unless told where.
TEST(CommandLine, EndpointsAndTheDashboardsAddress) {
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
    EXPECT_EQ(Parsed({"--dashboard=8081"}).dashboard.value_or(Endpoint{}).port, 8081);
}

TEST(CommandLine, SerialLines) {
    const auto line = ParseSerialLine("/dev/serial/by-id/usb-TNC:1200");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->device, "/dev/serial/by-id/usb-TNC");
    EXPECT_EQ(line->baud, 1200);
    EXPECT_FALSE(ParseSerialLine("/dev/ttyS0:12").has_value()) << "no serial line is that slow";
}

}  // namespace
}  // namespace app
