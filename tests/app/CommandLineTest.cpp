// The executable's command line: feed choice, its values, and the mistakes it refuses.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace app {
namespace {

// A command line the parser must take.
CommandLine Parsed(const std::vector<std::string>& args) {
    const auto parsed = ParseCommandLine(args);
    EXPECT_TRUE(parsed) << parsed.error().text;
    return parsed.value_or(CommandLine{});
}

TEST(CommandLine, FeedsAndTheirValues) {
    auto r = Parsed({});
    EXPECT_FALSE(r.feed);  // the settings' feed
    EXPECT_FALSE(r.headless);

    r = Parsed({"--kiss", "127.0.0.1:8002", "--headless"});
    EXPECT_EQ(r.feed, FeedSource::Kiss);
    EXPECT_EQ(r.endpoint.port, 8002);
    EXPECT_TRUE(r.headless);

    r = Parsed({"--aprs-is=rotate.aprs2.net", "--filter=r/45/9/50", "--call", "N0CALL"});
    EXPECT_EQ(r.feed, FeedSource::AprsIs);
    EXPECT_EQ(r.endpoint.port, watch_settings::kDefaultAprsIsPort);
    EXPECT_EQ(r.filter, "r/45/9/50");
    EXPECT_EQ(r.call, "N0CALL");

    r = Parsed({"--replay", "x y.tnc2", "--fast"});
    EXPECT_EQ(r.feed, FeedSource::Replay);
    EXPECT_EQ(r.replayFile, "x y.tnc2");
    EXPECT_TRUE(r.fast);

    r = Parsed({"--export", "a.GPX", "--since=2026-12-07T10:00"});
    EXPECT_EQ(r.exportFile, "a.GPX");
    EXPECT_EQ(r.since, "2026-12-07T10:00");

    r = Parsed({"--agwpe", "tnc.local"});
    EXPECT_EQ(r.feed, FeedSource::Agwpe);
    EXPECT_EQ(r.endpoint.port, watch_settings::kDefaultAgwpePort);

    r = Parsed({"--serial=/dev/ttyUSB0"});
    EXPECT_EQ(r.feed, FeedSource::Serial);
    EXPECT_EQ(r.serial.device, "/dev/ttyUSB0");
    EXPECT_EQ(r.serial.baud, watch_settings::kDefaultSerialBaud);

    EXPECT_EQ(Parsed({"--stdin"}).feed, FeedSource::Stdin);
    EXPECT_TRUE(Parsed({"--version"}).version);
    EXPECT_TRUE(Parsed({"--check", "--kiss", "tnc"}).check);
    EXPECT_TRUE(Parsed({"-h"}).help);
    EXPECT_EQ(Parsed({"--dashboard=8081"}).dashboard.value_or(Endpoint{}).port, 8081);
    EXPECT_EQ(Parsed({"--mqtt", "mqtts://broker:8884"}).mqtt, "mqtts://broker:8884");
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
        {"--mqtt", "broker:1883"},  // no scheme
    };
    for (const auto& args : bad) {
        const auto parsed = ParseCommandLine(args);
        ASSERT_FALSE(parsed) << args[0] << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(parsed.error().text.empty()) << args[0] << ": the mistake is told";
    }
}

}  // namespace
}  // namespace app
