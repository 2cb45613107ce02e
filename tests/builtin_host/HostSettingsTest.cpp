// The host's settings file (the station program's keys), its compact coordinate texts, and the
// first-run set-up of the host folder with its registration in the per-user store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
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
    return std::tie(s.callsign, s.latitudeText, s.longitudeText, s.programVersion, s.mapScale);
}

TEST(HostSettings, RoundTripThroughTheFile) {
    fakes::TempDir dir;
    const std::string folder = dir.Path() + "/";
    const HostSettings written{.callsign = "N0CALL",
                               .latitudeText = "4530.25N",
                               .longitudeText = "00912.34E",
                               .programVersion = "2.03",
                               .mapScale = 0.5f,  // under a kilometre is a width too
                               .notes = {}};
    ASSERT_TRUE(SaveHostSettings(folder, written));
    EXPECT_EQ(Fields(LoadHostSettings(folder)), Fields(written));

    // The keys the add-on reads sit where it looks for them.
    const std::string file = folder + "Uiview32.INI";
    EXPECT_EQ(settings::ReadProfileString(file, "Station", "Latitude"), "4530.25N");
    EXPECT_EQ(settings::ReadProfileString(file, "SetUp", "PROGRAM_VERSION"), "2.03");
}

// A scale that is not a width is told with the one used instead; a missing version is not made
// up, so the add-on's check sees it missing.
TEST(HostSettings, AnUnreadableScaleIsToldWithWhatIsUsedInstead) {
    fakes::TempDir dir;
    std::ofstream(dir.Path() + "/Uiview32.INI") << "[Sirenwatch Host]\nMapScale=-3\n";
    const HostSettings s = LoadHostSettings(dir.Path() + "/");
    EXPECT_EQ(s.mapScale, 50);
    EXPECT_EQ(s.programVersion, "");
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0].text, "MapScale: \"-3\" is not a width in kilometres; 50 is used");
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
    settings::IniUserStore store{config};
    int moreWritten = 0;
    // What the program adds to a new file (the watch's own settings): here one key.
    std::function<bool(const std::string&)> more = [this](const std::string& folder) {
        ++moreWritten;
        return settings::WriteProfileString(HostIniPath(folder), "Sirenwatch Host", "Source",
                                            "replay");
    };

    std::string Registered() { return store.Get("Peak Systems", "UI-View32", "Program Folder"); }
    std::string HostFile() { return Registered() + "Uiview32.INI"; }
};

TEST(HostSetup, EmptyConfigGetsAFolderAFileAndAnEntry) {
    SetupWorld w;
    const SetupResult r = EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.more);

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
    EXPECT_EQ(w.moreWritten, 1);
    EXPECT_EQ(settings::ReadProfileString(w.HostFile(), "Sirenwatch Host", "Source"), "replay");
#ifndef _WIN32
    // The file may come to hold the dashboard's token: other users cannot read it.
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(w.HostFile()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST(HostSetup, LaterRunsKeepEditsAndBringBackADeletedFile) {
    SetupWorld w;
    EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.more);
    HostSettings edited = LoadHostSettings(w.Registered());
    edited.callsign = "Q1ALFA";
    ASSERT_TRUE(SaveHostSettings(w.Registered(), edited));
    const std::string store = fakes::ReadAll(w.config + "/Peak Systems.ini");
    const std::string host = fakes::ReadAll(w.HostFile());

    const SetupResult again = EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.more);
    EXPECT_EQ(again.error, "");
    EXPECT_FALSE(again.createdFolder || again.wroteSettings || again.registered);
    EXPECT_EQ(fakes::ReadAll(w.config + "/Peak Systems.ini"), store);
    EXPECT_EQ(fakes::ReadAll(w.HostFile()), host);

    fs::remove(w.HostFile());
    EXPECT_TRUE(EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.more).wroteSettings);
    EXPECT_EQ(LoadHostSettings(w.Registered()).callsign, "N0CALL");
}

// Another host registered is used as it is; only a missing final separator is mended.
TEST(HostSetup, AnotherRegisteredHostIsLeftAlone) {
    for (const std::string end : {"/", ""}) {
        SetupWorld w;
        const std::string other = w.dir.Path() + "/other";
        fakes::InstallHost(w.store, other + end, {.callsign = "Q7XRAY"});
        const SetupResult r = EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.more);
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
    EXPECT_NE(EnsureHostSetup(w.config, DefaultHostFolder(w.dir.Path() + "/blocked"), w.more).error,
              "");
    EXPECT_EQ(w.Registered(), "");

    w.store.Set("Peak Systems", "UI-View32", "Program Folder", w.dir.Path() + "/gone/");
    EXPECT_NE(EnsureHostSetup(w.config, DefaultHostFolder(w.data), w.more).error, "");
    EXPECT_FALSE(fs::exists(w.dir.Path() + "/gone"));
}

}  // namespace
}  // namespace builtin_host
