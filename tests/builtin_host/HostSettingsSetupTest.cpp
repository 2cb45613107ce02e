// First-run set-up of the host folder and its registration in the per-user store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "builtin_host/HostSettings.h"
#include "builtin_host/HostSetup.h"
#include "fakes/FakePorts.h"
#include "settings/IniUserStore.h"

namespace builtin_host {
namespace {
namespace fs = std::filesystem;

struct SetupWorld {
    fakes::TempDir dir;
    std::string config = dir.Path() + "/config";
    std::string data = dir.Path() + "/data";
    std::string demo = "/usr/share/sirenwatch/demo.tnc2";
    settings::IniUserStore store{config};

    std::string Registered() { return store.Get("Peak Systems", "UI-View32", "Program Folder"); }
    std::string HostFile() { return Registered() + "Uiview32.INI"; }
    // Another host's folder with its own settings, registered as given.
    std::string RegisterOther(const std::string& folder) {
        fs::create_directories(folder);
        std::ofstream(folder + "/Uiview32.INI") << "[Station]\nCallsign=Q7XRAY\n";
        EXPECT_TRUE(store.Set("Peak Systems", "UI-View32", "Program Folder", folder));
        return folder;
    }
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(HostSetup, EmptyConfigGetsAFolderAFileAndAnEntry) {
    SetupWorld w;
    const SetupResult r = EnsureHostSetup(w.config, w.data, w.demo);

    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.createdFolder);
    EXPECT_TRUE(r.wroteSettings);
    EXPECT_TRUE(r.registered);
    EXPECT_EQ(r.folder, w.data + "/sirenwatch/host/");
    EXPECT_EQ(w.Registered(), r.folder);  // with the separator the add-on relies on
    EXPECT_TRUE(fs::exists(w.config + "/Peak Systems.ini"));

    // What the add-on's start-up checks read, straight from the file it opens.
    const HostSettings s = LoadHostSettings(w.Registered());
    EXPECT_EQ(s.callsign, "N0CALL");
    EXPECT_EQ(s.latitudeText, "4530.25N");
    EXPECT_EQ(s.longitudeText, "00912.34E");
    EXPECT_GE(std::stod(s.programVersion), 1.86);
    EXPECT_EQ(s.feed.source, FeedSource::Replay);
    EXPECT_EQ(s.feed.replayFile, w.demo);
    EXPECT_TRUE(fs::exists(w.HostFile()));
}

TEST(HostSetup, LaterRunsKeepEditsAndBringBackADeletedFile) {
    SetupWorld w;
    EnsureHostSetup(w.config, w.data, w.demo);
    HostSettings edited = LoadHostSettings(w.Registered());
    edited.callsign = "Q1ALFA";
    ASSERT_TRUE(SaveHostSettings(w.Registered(), edited));
    const std::string store = Contents(w.config + "/Peak Systems.ini");
    const std::string host = Contents(w.HostFile());

    const SetupResult again = EnsureHostSetup(w.config, w.data, w.demo);
    EXPECT_EQ(again.error, "");
    EXPECT_FALSE(again.createdFolder || again.wroteSettings || again.registered);
    EXPECT_EQ(Contents(w.config + "/Peak Systems.ini"), store);
    EXPECT_EQ(Contents(w.HostFile()), host);

    fs::remove(w.HostFile());
    EXPECT_TRUE(EnsureHostSetup(w.config, w.data, w.demo).wroteSettings);
    EXPECT_EQ(LoadHostSettings(w.Registered()).callsign, "N0CALL");
}

TEST(HostSetup, AnotherRegisteredHostIsLeftAlone) {
    SetupWorld w;
    const std::string other = w.RegisterOther(w.dir.Path() + "/other/");

    const SetupResult r = EnsureHostSetup(w.config, w.data, w.demo);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.folder, other);
    EXPECT_FALSE(r.registered);
    EXPECT_FALSE(fs::exists(w.data + "/sirenwatch"));
    EXPECT_EQ(LoadHostSettings(other).callsign, "Q7XRAY");
}

TEST(HostSetup, RegisteredFolderWithoutSeparatorIsMended) {
    SetupWorld w;
    const std::string other = w.RegisterOther(w.dir.Path() + "/other");

    const SetupResult r = EnsureHostSetup(w.config, w.data, w.demo);
    EXPECT_TRUE(r.registered);
    EXPECT_EQ(w.Registered(), other + "/");
}

TEST(HostSetup, RegisteredFolderWithoutSettingsIsReported) {
    SetupWorld w;
    w.store.Set("Peak Systems", "UI-View32", "Program Folder", w.dir.Path() + "/gone/");
    const SetupResult r = EnsureHostSetup(w.config, w.data, w.demo);
    EXPECT_NE(r.error, "");
    EXPECT_FALSE(fs::exists(w.dir.Path() + "/gone"));
}

TEST(HostSetup, UnwritableDataFolderIsReportedNotRegistered) {
    SetupWorld w;
    std::ofstream(w.dir.Path() + "/blocked") << "a file where a folder should be";
    const SetupResult r = EnsureHostSetup(w.config, w.dir.Path() + "/blocked", w.demo);
    EXPECT_NE(r.error, "");
    EXPECT_EQ(w.Registered(), "");
}

}  // namespace
}  // namespace builtin_host
