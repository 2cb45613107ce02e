// Sirenwatch's own settings in the host's file: written and read back, each unreadable value
// told with what is used instead, the watch list as it holds, the dashboard's place, a token
// others can read, and each feed's quiet limit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "fakes/FakePorts.h"
#include "settings/ProfileFile.h"
#include "watch_settings/WatchSettings.h"

namespace watch_settings {
namespace {

namespace fs = std::filesystem;

auto Fields(const WatchSettings& s) {
    const FeedSettings& f = s.feed;
    return std::tie(f.source, f.replayFile, f.fast, f.kissHost, f.kissPort, f.aprsIsHost,
                    f.aprsIsPort, f.filter, f.agwpeHost, f.agwpePort, f.serialDevice, f.serialBaud,
                    s.silenceMinutes, s.onEmergency, s.incidentDays, s.tileUrl, s.tileAttribution,
                    s.dashboard, s.dashboardToken);
}

// Writes the host's file with these lines in Sirenwatch's section; its folder.
std::string HostFile(const fakes::TempDir& dir, const std::string& lines) {
    std::ofstream(dir.Path() + "/Uiview32.INI") << "[Sirenwatch Host]\n" << lines;
    return dir.Path() + "/";
}

TEST(WatchSettings, RoundTripThroughTheHostsFile) {
    fakes::TempDir dir;
    const std::string folder = dir.Path() + "/";
    WatchSettings written{.feed = {.source = FeedSource::Serial,
                                   .replayFile = "/tmp/some file.tnc2",
                                   .fast = true,
                                   .kissHost = "::1",
                                   .kissPort = 8002,
                                   .aprsIsHost = "127.0.0.1",
                                   .aprsIsPort = 10152,
                                   .filter = "r/45.50/9.21/50 b/Q*",
                                   .agwpeHost = "tnc.local",
                                   .agwpePort = 8010,
                                   .serialDevice = "/dev/serial/by-id/usb-TNC",
                                   .serialBaud = 1200},
                          .silenceMinutes = 0.5,
                          .onEmergency = "notify-team --urgent \"a b\"",
                          .incidentDays = 7,
                          .tileUrl = "https://tiles.example.org/{z}/{x}/{y}.png",
                          .tileAttribution = "© Example contributors",
                          .dashboard = "0.0.0.0:8080",
                          .dashboardToken = "s3cret token",
                          .watchList = {},
                          .notes = {},
                          .watchListNotes = {},
                          .mqtt = {}};
    ASSERT_TRUE(SaveWatchSettings(folder, written));
    ::chmod((folder + "Uiview32.INI").c_str(), 0600);
    const WatchSettings read = LoadWatchSettings(folder);
    EXPECT_EQ(Fields(read), Fields(written));
    EXPECT_TRUE(read.notes.empty());
    // The station program's keys are the host's, not ours.
    EXPECT_EQ(settings::ReadProfileString(folder + "Uiview32.INI", "Station", "Callsign"), "");
}

// Each value that cannot be read is told with what is used instead, or refuses the start
// where no value is safe in its place.
TEST(WatchSettings, AnUnreadableValueIsToldWithWhatIsUsedInstead) {
    const struct {
        const char* line;
        const char* note;
        bool refuses;
    } cases[] = {
        {"KissPort=99999", "KissPort: \"99999\" is not a port (1 to 65535); 8001 is used", false},
        {"AprsIsPort=abc", "AprsIsPort: \"abc\" is not a port (1 to 65535); 14580 is used", false},
        {"AgwpePort=0", "AgwpePort: \"0\" is not a port (1 to 65535); 8000 is used", false},
        {"SerialBaud=fast", "SerialBaud: \"fast\" is not a speed in bits per second; 9600 is used",
         false},
        {"Fast=maybe", "Fast: \"maybe\" is not 1 or 0; 0 is used", false},
        {"SilenceMinutes=lots",
         "SilenceMinutes: \"lots\" is not a number of minutes (0: never silent); the feed's own "
         "limit is used",
         false},
        {"IncidentDays=-5",
         "IncidentDays: \"-5\" is not a whole number of days (0: all); every day is kept", false},
        {"IncidentDays=7.5",
         "IncidentDays: \"7.5\" is not a whole number of days (0: all); every day is kept", false},
        {"Source=carrier pigeon",
         "Source: \"carrier pigeon\" is not replay, kiss, agwpe, aprs-is, serial or stdin; the "
         "watch does not start rather than watch another feed",
         true},
    };
    for (const auto& c : cases) {
        fakes::TempDir dir;
        const WatchSettings s = LoadWatchSettings(HostFile(dir, std::string(c.line) + "\n"));
        ASSERT_EQ(s.notes.size(), 1u) << c.line;
        EXPECT_EQ(s.notes[0].text, c.note);
        EXPECT_EQ(s.notes[0].refusesStart, c.refuses) << c.line;
    }
}

TEST(WatchSettings, UnreadableValuesTakeTheDefaultsAndKeepEveryDay) {
    fakes::TempDir dir;
    const WatchSettings read = LoadWatchSettings(
        HostFile(dir,
                 "Source=carrier pigeon\nKissPort=99999\nAprsIsPort=abc\nAgwpePort=0\n"
                 "SerialBaud=fast\nFast=maybe\nSilenceMinutes=-1\nIncidentDays=-5\n"));
    WatchSettings expected;
    expected.incidentDays = 0;  // nothing is removed on a value nobody meant
    EXPECT_EQ(Fields(read), Fields(expected));
    EXPECT_EQ(read.notes.size(), 8u);
}

// The [Watch] section is read once into the list that holds, longer values too; what cannot
// be read is left out and told.
TEST(WatchSettings, TheWatchSectionIsReadIntoTheListThatHolds) {
    fakes::TempDir dir;
    const std::string padding(300, ';');  // longer than the default read limit
    std::ofstream(dir.Path() + "/Uiview32.INI")
        << "[watch]\nIgnore=IR2TST:test beacon;TEST*\nAlarmRadiusKm=fifteen\nAlarmArea=" << padding
        << "45,9;46,9;46,10\n";
    const WatchSettings s = LoadWatchSettings(dir.Path() + "/");
    ASSERT_EQ(s.watchList.ignore.size(), 2u);
    EXPECT_EQ(s.watchList.ignore[0].reason, "test beacon");
    EXPECT_EQ(s.watchList.alarmArea.size(), 3u);
    EXPECT_FALSE(s.watchList.alarmRadius_km);
    ASSERT_EQ(s.watchListNotes.size(), 1u);
    EXPECT_EQ(s.watchListNotes[0],
              "AlarmRadiusKm: \"fifteen\" is not a distance in kilometres; no distance limit is "
              "used");
}

TEST(WatchSettings, OnlyWebTileTemplatesWithAllThreeNumbers) {
    EXPECT_TRUE(UsableTileTemplate("https://a.example.org/{z}/{x}/{y}.png"));
    EXPECT_TRUE(UsableTileTemplate("http://127.0.0.1:8080/t?z={z}&x={x}&y={y}"));
    EXPECT_FALSE(UsableTileTemplate("file:///tmp/{z}/{x}/{y}.png"));
    EXPECT_FALSE(UsableTileTemplate("https://a.example.org/{z}/{x}.png"));
    EXPECT_FALSE(UsableTileTemplate("https:///{z}/{x}/{y}.png"));
    EXPECT_FALSE(UsableTileTemplate(""));
    fakes::TempDir dir;
    const WatchSettings s = LoadWatchSettings(HostFile(dir, "TileUrl=ftp://t/{z}/{x}/{y}\n"));
    EXPECT_EQ(s.tileUrl, "");
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0].text,
              "TileUrl: \"ftp://t/{z}/{x}/{y}\" is not an http(s) address with {z}, {x} and {y}; "
              "no tiles are shown");
}

// Loopback needs nothing; any other address needs the token; what is no address is told.
TEST(WatchSettings, TheDashboardsPlace) {
    const struct {
        const char* setting;
        const char* token;
        const char* host;  // nullptr: refused with `problem`
        const char* problem;
    } cases[] = {
        {"", "", nullptr, ""},
        {"8080", "", "127.0.0.1", ""},
        {"[::1]:8080", "", "::1", ""},
        {"[::ffff:127.0.0.2]:8080", "", "::ffff:127.0.0.2", ""},
        {"0.0.0.0:8080", "sixteen-chars-ok", "0.0.0.0", ""},
        {"0.0.0.0:8080", "t", nullptr,
         "Dashboard in the host's settings: the dashboard listens beyond this machine (0.0.0.0) "
         "only with a DashboardToken of at least 16 characters (1 set)"},
        {"[::1]:8080", "t", "::1", ""},
        {"0.0.0.0:8080", "", nullptr,
         "Dashboard in the host's settings: the dashboard listens beyond this machine (0.0.0.0) "
         "only with DashboardToken set in the host's settings"},
        {"localhost:8080", "t", nullptr,
         "Dashboard in the host's settings: not an IP address: localhost"},
        {"eighty", "", nullptr,
         "Dashboard in the host's settings: expected [ADDRESS:]PORT, got \"eighty\""},
    };
    for (const auto& c : cases) {
        WatchSettings s;
        s.dashboard = c.setting;
        s.dashboardToken = c.token;
        const auto place = DashboardPlace(std::nullopt, s);
        const auto where = place.value_or(std::nullopt);
        EXPECT_EQ(where ? where->host : "(none)", c.host ? c.host : "(none)") << c.setting;
        EXPECT_EQ(place ? std::string() : place.error().text, c.problem) << c.setting;
    }
    WatchSettings none;
    EXPECT_EQ((*DashboardPlace(Endpoint{"::1", 9000}, none))->port, 9000);
}

// A token in a file other users can read is told with the command that mends it; the file's
// mode is left as it is. A reader that is not the owner reads through the group on purpose.
TEST(WatchSettings, ATokenOthersCanReadIsTold) {
    const struct {
        fs::perms mode;
        bool readerOwnsFile;
        const char* told;  // nullptr: nothing to tell
    } cases[] = {
        {fs::perms(0600), true, nullptr},
        {fs::perms(0400), true, nullptr},
        {fs::perms(0640), true,
         "which the file's group can read (mode 0640); to keep the token "
         "secret, run: chmod 600 '/etc/x y/Uiview32.INI'"},
        {fs::perms(0644), true,
         "which every user of this machine can read (mode 0644); to keep "
         "the token secret, run: chmod 600 '/etc/x y/Uiview32.INI'"},
        {fs::perms(0640), false, nullptr},
        {fs::perms(0644), false,
         "which every user of this machine can read (mode 0644); to keep "
         "the token secret, run: chmod o-rwx '/etc/x y/Uiview32.INI'"},
    };
    for (const auto& c : cases) {
        const auto note = ExposedTokenNote("/etc/x y/Uiview32.INI", c.mode, c.readerOwnsFile);
        EXPECT_EQ(note.has_value(), c.told != nullptr) << static_cast<int>(c.mode);
        if (note && c.told) {
            EXPECT_NE(note->find(c.told), std::string::npos) << *note;
        }
    }

    fakes::TempDir dir;
    const std::string folder = HostFile(dir, "DashboardToken=s3cret\n");
    const std::string file = folder + "Uiview32.INI";
    for (const mode_t mode : {0600, 0644}) {
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        EXPECT_EQ(LoadWatchSettings(folder).notes.size(), mode == 0600 ? 0u : 1u) << mode;
        EXPECT_EQ(fs::status(file).permissions(), fs::perms(mode));
    }
}

// A first start writes the demo traffic as the feed, in a file only its owner can read.
TEST(WatchSettings, AFirstStartReplaysTheDemo) {
    fakes::TempDir dir;
    const std::string demo = "/usr/share/sirenwatch/demo.tnc2";
    const auto setup = builtin_host::EnsureHostSetup(
        dir.Path() + "/config", dir.Path() + "/host", [&demo](const std::string& folder) {
            return SaveWatchSettings(folder, FirstRunSettings(demo));
        });
    ASSERT_EQ(setup.error, "");
    const WatchSettings s = LoadWatchSettings(setup.folder);
    EXPECT_EQ(s.feed.source, FeedSource::Replay);
    EXPECT_EQ(s.feed.replayFile, demo);
    EXPECT_EQ(s.feed.filter, "r/45.50/9.21/50");
    EXPECT_TRUE(s.notes.empty());
    EXPECT_EQ(builtin_host::LoadHostSettings(setup.folder).callsign, "N0CALL");
}

TEST(WatchSettings, QuietLimitsPerFeedAndFromTheSettings) {
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, std::nullopt), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Replay, std::nullopt), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::AprsIs, std::nullopt), 2 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::AprsIs, 0.5), 30);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, -3), 15 * 60);
    EXPECT_EQ(SilenceLimitSeconds(FeedSource::Kiss, 0), 0);
}

}  // namespace
}  // namespace watch_settings
