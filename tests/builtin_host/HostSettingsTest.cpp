// The host's settings file and its compact coordinate texts.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "builtin_host/HostSettings.h"
#include "fakes/FakePorts.h"
#include "settings/ProfileFile.h"

namespace builtin_host {
namespace {

auto Fields(const HostSettings& s) {
    const FeedSettings& f = s.feed;
    return std::tie(s.callsign, s.latitudeText, s.longitudeText, s.programVersion, f.source,
                    f.replayFile, f.fast, f.kissHost, f.kissPort, f.aprsIsHost, f.aprsIsPort,
                    f.filter, s.mapScale);
}

TEST(HostSettings, RoundTripThroughTheFile) {
    fakes::TempDir dir;
    const std::string folder = dir.Path() + "/";
    const HostSettings written{.callsign = "N0CALL",
                               .latitudeText = "4530.25N",
                               .longitudeText = "00912.34E",
                               .programVersion = "2.03",
                               .feed = {.source = FeedSource::AprsIs,
                                        .replayFile = "/tmp/some file.tnc2",
                                        .fast = true,
                                        .kissHost = "::1",
                                        .kissPort = 8002,
                                        .aprsIsHost = "127.0.0.1",
                                        .aprsIsPort = 10152,
                                        .filter = "r/45.50/9.21/50 b/Q*"},
                               .mapScale = 12.5f};
    ASSERT_TRUE(SaveHostSettings(folder, written));
    EXPECT_EQ(Fields(LoadHostSettings(folder)), Fields(written));

    // The keys the add-on reads sit where it looks for them.
    const std::string file = folder + "Uiview32.INI";
    EXPECT_EQ(settings::ReadProfileString(file, "Station", "Latitude"), "4530.25N");
    EXPECT_EQ(settings::ReadProfileString(file, "SetUp", "PROGRAM_VERSION"), "2.03");
}

TEST(HostSettings, BadOrMissingFeedValuesTakeTheDefaults) {
    fakes::TempDir dir;
    std::ofstream(dir.Path() + "/Uiview32.INI")
        << "[Sirenwatch Host]\nSource=carrier pigeon\nKissPort=99999\nAprsIsPort=abc\n"
           "MapScale=-3\nFast=maybe\n";
    HostSettings defaults;
    defaults.programVersion = "";  // not made up: the add-on's check must see it missing
    EXPECT_EQ(Fields(LoadHostSettings(dir.Path() + "/")), Fields(defaults));
}

TEST(HostSettings, FolderWithoutTrailingSeparatorStillFindsTheFile) {
    EXPECT_EQ(HostIniPath("/data/host/"), "/data/host/Uiview32.INI");
    EXPECT_EQ(HostIniPath("/data/host"), "/data/host/Uiview32.INI");
}

TEST(CompactCoordinate, ParsesExactly) {
    struct Case {
        const char* text;
        bool longitude;
        std::optional<double> degrees;
    };
    const Case cases[] = {
        {"4530.25N", false, 45 + 30.25 / 60},
        {"4530.25S", false, -(45 + 30.25 / 60)},
        {"4559.99N", false, 45 + 59.99 / 60},  // not cut to 45.99
        {"00912.34E", true, 9 + 12.34 / 60},
        {"00912.34W", true, -(9 + 12.34 / 60)},
        {"00912.34O", true, -(9 + 12.34 / 60)},
        {"17959.99W", true, -(179 + 59.99 / 60)},
        {"0000.00N", false, 0.0},
        {"4530N", false, 45.5},
        {"4530.25E", false, std::nullopt},  // wrong letter for a latitude
        {"4530.25X", false, std::nullopt},
        {"4560.00N", false, std::nullopt},  // minutes out of range
        {"9100.00N", false, std::nullopt},
        {"18100.00E", true, std::nullopt},
        {"45a0.25N", false, std::nullopt},
        {"N", false, std::nullopt},
        {"", false, std::nullopt},
        {"-4530.25N", false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto got = ParseCompactCoordinate(c.text, c.longitude);
        ASSERT_EQ(got.has_value(), c.degrees.has_value());
        if (got) {
            EXPECT_NEAR(*got, *c.degrees, 1e-12);
        }
    }
}

TEST(CompactCoordinate, FormatsAndRoundTrips) {
    EXPECT_EQ(FormatCompactCoordinate(45 + 30.25 / 60, false), "4530.25N");
    EXPECT_EQ(FormatCompactCoordinate(-(9 + 12.34 / 60), true), "00912.34W");
    EXPECT_EQ(FormatCompactCoordinate(45.9999999, false), "4600.00N");  // carries into degrees
    EXPECT_EQ(FormatCompactCoordinate(-33.5, false), "3330.00S");
    for (double lat : {-89.99, -12.3456, 0.0, 45.504167, 89.5}) {
        const auto back = ParseCompactCoordinate(FormatCompactCoordinate(lat, false), false);
        ASSERT_TRUE(back);
        EXPECT_NEAR(*back, lat, 0.005 / 60 + 1e-12);
    }
}

TEST(CompactCoordinate, HomeNeedsBothTexts) {
    HostSettings s;
    s.latitudeText = "4530.25N";
    EXPECT_FALSE(HomeFromSettings(s));
    s.longitudeText = "00912.34E";
    const auto home = HomeFromSettings(s);
    ASSERT_TRUE(home);
    EXPECT_NEAR(home->latitude_deg, 45.504167, 1e-6);
    EXPECT_NEAR(home->longitude_deg, 9.205667, 1e-6);
}

}  // namespace
}  // namespace builtin_host
