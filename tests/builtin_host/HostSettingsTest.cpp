// The host's settings file, its compact coordinate texts, and the first-run set-up of the
// host folder with its registration in the per-user store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "fakes/FakePorts.h"
#include "fakes/FileText.h"
#include "settings/IniUserStore.h"
#include "settings/ProfileFile.h"

namespace builtin_host {
namespace {

namespace fs = std::filesystem;

auto Fields(const HostSettings& s) {
    const FeedSettings& f = s.feed;
    return std::tie(s.callsign, s.latitudeText, s.longitudeText, s.programVersion, f.source,
                    f.replayFile, f.fast, f.kissHost, f.kissPort, f.aprsIsHost, f.aprsIsPort,
                    f.filter, f.agwpeHost, f.agwpePort, f.serialDevice, f.serialBaud, s.mapScale,
                    s.silenceMinutes, s.onEmergency, s.incidentDays, s.tileUrl, s.tileAttribution,
                    s.dashboard, s.dashboardToken);
}

TEST(HostSettings, RoundTripThroughTheFile) {
    fakes::TempDir dir;
    const std::string folder = dir.Path() + "/";
    const HostSettings written{.callsign = "N0CALL",
                               .latitudeText = "4530.25N",
                               .longitudeText = "00912.34E",
                               .programVersion = "2.03",
                               .feed = {.source = FeedSource::Serial,
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
                               .mapScale = 12.5f,
                               .silenceMinutes = 0.5,
                               .onEmergency = "notify-team --urgent \"a b\"",
                               .incidentDays = 7,
                               .tileUrl = "https://tiles.example.org/{z}/{x}/{y}.png",
                               .tileAttribution = "© Example contributors",
                               .dashboard = "0.0.0.0:8080",
                               .dashboardToken = "s3cret token",
                               .watch = {},
                               .notes = {}};
    ASSERT_TRUE(SaveHostSettings(folder, written));
    EXPECT_EQ(Fields(LoadHostSettings(folder)), Fields(written));

    // The keys the add-on reads sit where it looks for them.
    const std::string file = folder + "Uiview32.INI";
    EXPECT_EQ(settings::ReadProfileString(file, "Station", "Latitude"), "4530.25N");
    EXPECT_EQ(settings::ReadProfileString(file, "SetUp", "PROGRAM_VERSION"), "2.03");
}

// Each value that cannot be read is told with what is used instead, or refuses the start
// where no value is safe in its place.
TEST(HostSettings, AnUnreadableValueIsToldWithWhatIsUsedInstead) {
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
        {"MapScale=-3", "MapScale: \"-3\" is not a width in kilometres; 50 is used", false},
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
        std::ofstream(dir.Path() + "/Uiview32.INI") << "[Sirenwatch Host]\n" << c.line << "\n";
        const HostSettings s = LoadHostSettings(dir.Path() + "/");
        ASSERT_EQ(s.notes.size(), 1u) << c.line;
        EXPECT_EQ(s.notes[0].text, c.note);
        EXPECT_EQ(s.notes[0].refusesStart, c.refuses) << c.line;
    }
}

TEST(HostSettings, UnreadableValuesTakeTheDefaultsAndKeepEveryDay) {
    fakes::TempDir dir;
    std::ofstream(dir.Path() + "/Uiview32.INI")
        << "[Sirenwatch Host]\nSource=carrier pigeon\nKissPort=99999\nAprsIsPort=abc\n"
           "AgwpePort=0\nSerialBaud=fast\n"
           "MapScale=-3\nFast=maybe\nSilenceMinutes=-1\nIncidentDays=-5\n";
    HostSettings expected;
    expected.programVersion = "";  // not made up: the add-on's check must see it missing
    expected.incidentDays = 0;     // nothing is removed on a value nobody meant
    const HostSettings read = LoadHostSettings(dir.Path() + "/");
    EXPECT_EQ(Fields(read), Fields(expected));
    EXPECT_EQ(read.notes.size(), 9u);
}

TEST(HostSettings, TheWatchSectionIsReadAsWritten) {
    fakes::TempDir dir;
    const std::string area(300, ';');  // longer than the default read limit
    std::ofstream(dir.Path() + "/Uiview32.INI")
        << "[watch]\nIgnore=IR2TST:test beacon;TEST*\nAlarmRadiusKm=50\nAlarmArea=" << area
        << "45,9\n";
    const WatchSettingsText watch = LoadHostSettings(dir.Path() + "/").watch;
    EXPECT_EQ(watch.ignore, "IR2TST:test beacon;TEST*");
    EXPECT_EQ(watch.alarmRadiusKm, "50");
    EXPECT_EQ(watch.alarmArea, area + "45,9");
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

struct SetupWorld {
    fakes::TempDir dir;
    std::string config = dir.Path() + "/config";
    std::string data = dir.Path() + "/data";
    std::string demo = "/usr/share/sirenwatch/demo.tnc2";
    settings::IniUserStore store{config};

    std::string Registered() { return store.Get("Peak Systems", "UI-View32", "Program Folder"); }
    std::string HostFile() { return Registered() + "Uiview32.INI"; }
};

TEST(HostSetup, EmptyConfigGetsAFolderAFileAndAnEntry) {
    SetupWorld w;
    const SetupResult r = EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.demo);

    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.createdFolder);
    EXPECT_TRUE(r.wroteSettings);
    EXPECT_TRUE(r.registered);
    EXPECT_EQ(r.folder, w.data + "/sirenwatch/host/");
    EXPECT_EQ(w.Registered(), r.folder);  // with the separator the add-on relies on

    // What the add-on's start-up checks read, straight from the file it opens.
    const HostSettings s = LoadHostSettings(w.Registered());
    EXPECT_EQ(s.callsign, "N0CALL");
    EXPECT_EQ(s.latitudeText, "4530.25N");
    EXPECT_EQ(s.longitudeText, "00912.34E");
    EXPECT_GE(std::stod(s.programVersion), 1.86);
    EXPECT_EQ(s.feed.source, FeedSource::Replay);
    EXPECT_EQ(s.feed.replayFile, w.demo);
#ifndef _WIN32
    // The file may come to hold the dashboard's token: other users cannot read it.
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(w.HostFile()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST(HostSetup, LaterRunsKeepEditsAndBringBackADeletedFile) {
    SetupWorld w;
    EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.demo);
    HostSettings edited = LoadHostSettings(w.Registered());
    edited.callsign = "Q1ALFA";
    ASSERT_TRUE(SaveHostSettings(w.Registered(), edited));
    const std::string store = fakes::ReadAll(w.config + "/Peak Systems.ini");
    const std::string host = fakes::ReadAll(w.HostFile());

    const SetupResult again = EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.demo);
    EXPECT_EQ(again.error, "");
    EXPECT_FALSE(again.createdFolder || again.wroteSettings || again.registered);
    EXPECT_EQ(fakes::ReadAll(w.config + "/Peak Systems.ini"), store);
    EXPECT_EQ(fakes::ReadAll(w.HostFile()), host);

    fs::remove(w.HostFile());
    EXPECT_TRUE(EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.demo).wroteSettings);
    EXPECT_EQ(LoadHostSettings(w.Registered()).callsign, "N0CALL");
}

// Another host registered is used as it is; only a missing final separator is mended.
TEST(HostSetup, AnotherRegisteredHostIsLeftAlone) {
    for (const std::string end : {"/", ""}) {
        SetupWorld w;
        const std::string other = w.dir.Path() + "/other";
        fakes::InstallHost(w.store, other + end, {.callsign = "Q7XRAY"});
        const SetupResult r = EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.demo);
        EXPECT_EQ(r.error, "");
        EXPECT_EQ(r.folder, other + "/");
        EXPECT_EQ(r.registered, end.empty());
        EXPECT_EQ(w.Registered(), other + "/");
        EXPECT_FALSE(fs::exists(w.data + "/sirenwatch"));
        EXPECT_EQ(LoadHostSettings(other).callsign, "Q7XRAY");
    }
}

// An unwritable data folder or a registered folder without settings is reported; nothing
// is registered or created instead.
TEST(HostSetup, ProblemsAreReportedNotPapered) {
    SetupWorld w;
    std::ofstream(w.dir.Path() + "/blocked") << "a file where a folder should be";
    EXPECT_NE(EnsureHostSetup(w.config, DefaultHostFolder(w.dir.Path() + "/blocked"), w.demo).error,
              "");
    EXPECT_EQ(w.Registered(), "");

    w.store.Set("Peak Systems", "UI-View32", "Program Folder", w.dir.Path() + "/gone/");
    EXPECT_NE(EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.demo).error, "");
    EXPECT_FALSE(fs::exists(w.dir.Path() + "/gone"));
}

}  // namespace
}  // namespace builtin_host
