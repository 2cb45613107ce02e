// Start-up and shut-down of the whole program against the fake host and fake ports, with real
// settings files in temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "fakes/FakeHost.h"
#include "fakes/FakePorts.h"
#include "fakes/FileText.h"
#include "program/Sirenwatch.h"
#include "settings/ProfileFile.h"
#include "settings/StringTable.h"

namespace {

using platform::Icon;
using settings::LoadResString;

// The file's lines, without their line ends.
std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(fakes::ReadAll(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Startup : public ::testing::Test {
protected:
    // The host installed in its own folder, with a home station, version 1.86; and the
    // settings file of an earlier run of this version.
    Startup() {
        fp.userStore.Set("Peak Systems", "UI-View32", "Program Folder", hostDir.Path() + "/");
        HostKey("Station", "Callsign", "IW2XYZ");
        HostKey("Station", "Longitude", "00912.34E");
        HostKey("Station", "Latitude", "4530.25N");
        HostKey("SetUp", "PROGRAM_VERSION", "1.86");
        StoreUsualSettings();
    }
    void HostKey(const std::string& section, const std::string& key, const std::string& value) {
        settings::WriteProfileString(hostDir.File("Uiview32.INI"), section, key, value);
    }
    std::string IniFile() const { return fp.program.dir.File("Sirenwatch.ini"); }
    void StoreUsualSettings() {
        WriteFile(IniFile(),
                  "[SetUp]\r\nVersion=1.11\r\nCircleColor=255\r\nCircleWidth=5\r\n"
                  "FillType=7\r\nFillColor=16777215\r\nUnit=1\r\nLanguage=1\r\n"
                  "Left=1200\r\nTop=800\r\n");
    }
    void Store(const std::string& key, const std::string& value) {
        settings::WriteProfileString(IniFile(), "SetUp", key, value);
    }
    std::string Stored(const std::string& key) const {
        return settings::ReadProfileString(IniFile(), "SetUp", key);
    }
    bool Start() {
        settingsAtStart = fakes::ReadAll(IniFile());
        program = std::make_unique<program::Sirenwatch>(fp.ports, host);
        return program->Start();
    }
    platform::ProgramValues& Values() { return program->Values(); }
    forms::FrmMain& Main() { return program->Main(); }
    // The one message box shown, checked for an OK button.
    const fakes::Box& OnlyBox() {
        EXPECT_EQ(fp.dialogs.boxes.size(), 1u);
        if (fp.dialogs.boxes.empty()) fp.dialogs.boxes.push_back({});
        EXPECT_EQ(fp.dialogs.boxes[0].buttons, platform::Buttons::Ok);
        return fp.dialogs.boxes[0];
    }
    // A failed check: its one box, the program ended, and nothing written then or on closing.
    void ExpectEndedAfter(const std::string& text, Icon icon,
                          const std::optional<std::string>& title) {
        EXPECT_EQ(OnlyBox().text, text);
        EXPECT_EQ(OnlyBox().icon, icon);
        EXPECT_EQ(OnlyBox().title, title);
        EXPECT_EQ(fp.app.quitCount, 1);
        EXPECT_EQ(host.Listener(), nullptr) << "no host connection after a failed check";
        EXPECT_FALSE(program->Running());
        program->Close();  // a front end closing the window afterwards
        EXPECT_EQ(fakes::ReadAll(IniFile()), settingsAtStart);
    }

    fakes::FakePorts fp;
    fakes::FakeHost host;
    fakes::TempDir hostDir;
    std::unique_ptr<program::Sirenwatch> program;
    std::string settingsAtStart;
};

TEST_F(Startup, FirstRunWritesTheDefaultsInOrderEvenWhenTheHostCheckFails) {
    std::filesystem::remove(IniFile());
    fp.userStore.values.clear();
    EXPECT_FALSE(Start());
    EXPECT_EQ(
        FileLines(IniFile()),
        (std::vector<std::string>{"[SetUp]", "Version=1.11", "CircleColor=255", "CircleWidth=5",
                                  "FillType=7", "FillColor=16777215", "Unit=1"}));
}

TEST_F(Startup, NoHostFolderShowsTheBilingualMessageAndEnds) {
    fp.userStore.values.clear();
    EXPECT_FALSE(Start());
    ExpectEndedAfter(
        "ATTENZIONE !!\r" + LoadResString(1100) + "\r\rATTENTION !!\r" + LoadResString(2100),
        Icon::Critical, std::nullopt);
}

TEST_F(Startup, ADifferentStoredVersionIsTheOnlyKeyRewritten) {
    Store("Version", "1.05");
    Store("CircleWidth", "3");
    Store("Unit", "2");
    std::string expected = fakes::ReadAll(IniFile());
    expected.replace(expected.find("Version=1.05"), 12, "Version=1.11");
    ASSERT_TRUE(Start());
    EXPECT_EQ(fakes::ReadAll(IniFile()), expected);
    EXPECT_EQ(Values().SpessoreCerchio, 3.0f);
}

TEST_F(Startup, HostVersionMustBeAtLeast186) {
    const std::pair<const char*, bool> cases[] = {{"1.85", false}, {"", false},
                                                  {"abc", false},  {"1.86", true},
                                                  {"1.9", true},   {"2.00 beta", true}};
    for (auto [version, accepted] : cases) {
        SCOPED_TRACE(version);
        fp.dialogs.boxes.clear();
        fp.app.quitCount = 0;
        HostKey("SetUp", "PROGRAM_VERSION", version);
        EXPECT_EQ(Start(), accepted);
        if (accepted) continue;
        ExpectEndedAfter(LoadResString(1104) + "\r" + LoadResString(1127), Icon::Critical,
                         std::nullopt);
    }
}

TEST_F(Startup, ASecondInstanceSaysSoInItsLanguageAndWritesNothingMore) {
    Store("Language", "2");
    fp.instance.another = true;
    EXPECT_FALSE(Start());
    ExpectEndedAfter("Sirenwatch  Ver. 1.11 is already running.", Icon::Exclamation, std::nullopt);
}

TEST_F(Startup, OneHomeCoordinateMissingEnds) {
    HostKey("Station", "Longitude", "");
    EXPECT_FALSE(Start());
    ExpectEndedAfter(LoadResString(1104) + "\r" + LoadResString(1102) + "\r" + LoadResString(1103),
                     Icon::Critical, "Sirenwatch  Ver. 1.11");
}

TEST_F(Startup, AHomeOffTheGlobeIsRefusedLikeAMissingOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"9530.25N", "00912.34E"}, {"9030.00S", "00912.34E"}, {"4530.25N", "18030.00W"}};
    for (auto [latitude, longitude] : cases) {
        SCOPED_TRACE(std::string(latitude) + " " + longitude);
        fp.dialogs.boxes.clear();
        fp.app.quitCount = 0;
        HostKey("Station", "Latitude", latitude);
        HostKey("Station", "Longitude", longitude);
        EXPECT_FALSE(Start());
        ExpectEndedAfter(
            LoadResString(1104) + "\r" + LoadResString(1102) + "\r" + LoadResString(1103),
            Icon::Critical, "Sirenwatch  Ver. 1.11");
    }
    // The edges themselves are on the globe.
    fp.dialogs.boxes.clear();
    HostKey("Station", "Latitude", "9000.00S");
    HostKey("Station", "Longitude", "18000.00E");
    EXPECT_TRUE(Start());
}

TEST_F(Startup, AHealthyStartConnectsAndSetsEverythingUp) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(fp.dialogs.boxes.empty());
    EXPECT_EQ(fp.app.quitCount, 0);
    EXPECT_EQ(Main().Caption(), "Sirenwatch  Ver. 1.11");
    EXPECT_EQ(fp.layer.Topmost(), true);
    EXPECT_EQ(Values().NominativoStazione, "IW2XYZ");
    EXPECT_DOUBLE_EQ(Values().LatitudineStazione, 45.5);
    EXPECT_NEAR(Values().LongitudineStazione, 9.2, 1e-9);
    EXPECT_EQ(Main().Left(), 1200);
    EXPECT_EQ(Main().Top(), 800);
    EXPECT_EQ(Main().FGridStazioni.ColWidth(8), 0);

    // Frames now flow from the host into the table, and the map follows.
    host.SetStation("IW2ABC-9", {.beaconText = "IW2ABC-9>Help",
                                 .messageType = "EMERGENCY",
                                 .longitude = -552.34f,
                                 .latitude = 2730.25f});
    host.Deliver("12:00:01 IW2ABC-9>APRS:!4530.25N/00912.34W>Help");
    EXPECT_EQ(Main().FGridStazioni.TextMatrix(1, 0), "IW2ABC-9");
    EXPECT_EQ(host.map.Circles().size(), 1u);
}

// Each stored text, one start: what the program makes of it.
struct StoredCase {
    const char* key;
    const char* text;  // nullptr: the key is missing
};

class StoredValues : public Startup {
protected:
    // Starts from the usual settings, changed by `change`, then the case applied.
    void StartWith(const StoredCase& c, const std::function<void()>& change = nullptr) {
        fp.dialogs.boxes.clear();
        StoreUsualSettings();
        if (change) change();
        if (c.text) {
            Store(c.key, c.text);
        } else {
            std::string text = fakes::ReadAll(IniFile());
            const auto at = text.find(std::string(c.key) + "=");
            text.erase(at, text.find('\n', at) + 1 - at);
            WriteFile(IniFile(), text);
        }
        ASSERT_TRUE(Start()) << c.key;
        EXPECT_TRUE(fp.dialogs.boxes.empty()) << c.key;
    }
};

TEST_F(StoredValues, UnitOtherThanOneIsImperialAndMissingOrNotANumberIsMetric) {
    const std::pair<const char*, bool> cases[] = {{"2", true},      {"0", true},   {"3", true},
                                                  {"1", false},     {"km", false}, {"", false},
                                                  {nullptr, false}, {"2x", false}};
    for (auto [text, imperial] : cases) {
        StartWith({"Unit", text});
        SCOPED_TRACE(text ? text : "missing");
        EXPECT_EQ(Values().FattoreUnita, imperial ? 1.609344 : 1.0);
        EXPECT_EQ(Main().MnuUnit[1].Checked(), imperial);
        EXPECT_EQ(Main().MnuUnit[0].Checked(), !imperial);
        EXPECT_EQ(Main().LblDistanza.Caption(), LoadResString(imperial ? 1112 : 1110));
    }
}

TEST_F(StoredValues, MessageTypeIsUpperCasedAndDefaultsToEmergency) {
    for (const char* text : {"emergency", "Priority", ""}) {
        StartWith({"MessageType", text});
        EXPECT_EQ(Values().TipoMessaggio, *text == 'P' ? "PRIORITY" : "EMERGENCY") << text;
    }
}

TEST_F(StoredValues, LanguageOtherThanEnglishIsItalianWithItsItemChecked) {
    const std::pair<const char*, int> cases[] = {{"2", 2000},    {"1", 1000},  {nullptr, 1000},
                                                 {"7", 1000},    {"0", 1000},  {"english", 1000},
                                                 {"2abc", 1000}, {" 2 ", 2000}};
    for (auto [text, code] : cases) {
        StartWith({"Language", text});
        EXPECT_EQ(Values().CodiceLingua, code);
        EXPECT_EQ(Main().MnuNazione[0].Checked(), code == 1000);
        EXPECT_EQ(Main().MnuNazione[1].Checked(), code == 2000);
        EXPECT_EQ(Main().Frame1.Caption(), LoadResString(code));
    }
}

TEST_F(StoredValues, WindowPlaceWithoutANumberStaysAsDesigned) {
    for (const char* text : {static_cast<const char*>(nullptr), "left", "", "12px"}) {
        StartWith({"Left", text});
        EXPECT_EQ(Main().Left(), 0);
        EXPECT_EQ(Main().Top(), 800);
    }
    StartWith({"Top", "1234,4"});  // a value written with the regional decimal comma
    EXPECT_EQ(Main().Top(), 1234);
}

TEST_F(StoredValues, CircleStyleWithoutANumberTakesItsDefault) {
    for (const char* key : {"CircleColor", "CircleWidth", "FillType", "FillColor"}) {
        for (const char* text : {static_cast<const char*>(nullptr), "red"}) {
            StartWith({key, text}, [this] {
                Store("CircleColor", "65280");
                Store("CircleWidth", "2");
                Store("FillType", "0");
                Store("FillColor", "0");
            });
            const std::string k = key;
            EXPECT_EQ(Values().ColoreCerchio, k == "CircleColor" ? 255 : 65280) << key;
            EXPECT_EQ(Values().SpessoreCerchio, k == "CircleWidth" ? 5.0f : 2.0f) << key;
            EXPECT_EQ(Values().TipoRiempimento, k == "FillType" ? 7.0f : 0.0f) << key;
            EXPECT_EQ(Values().ColoreRiempimento, k == "FillColor" ? 16777215.0 : 0.0) << key;
        }
    }
}

TEST_F(Startup, TestModeAppendsFramesToTodaysLog) {
    Store("Test", "1abc");  // the leading number counts
    const std::string log = fp.program.dir.File("05_12_2026.log");
    WriteFile(log, "earlier\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Values().ModoTest, 1);
    EXPECT_EQ(Main().FGridStazioni.ColWidth(8), 900);
    EXPECT_EQ(Main().FGridStazioni.ColWidth(9), 900);
    host.Deliver("12:00:02 IW2ABC-9>APRS:>fine");
    program->Close();
    EXPECT_EQ(fakes::ReadAll(log), "earlier\r\n12:00:02 IW2ABC-9>APRS:>fine\r\n");
}

TEST_F(Startup, ATestLogThatCannotBeOpenedIsToldOnceAndTheProgramRunsOn) {
    Store("Test", "1");
    std::filesystem::create_directory(fp.program.dir.File("05_12_2026.log"));
    ASSERT_TRUE(Start());
    const fakes::Box& box = OnlyBox();
    EXPECT_EQ(box.icon, Icon::Exclamation);
    EXPECT_NE(box.text.find("05_12_2026.log"), std::string::npos);
    host.Deliver("12:00:02 IW2ABC-9>APRS:>one");
    host.Deliver("12:00:03 IW2ABC-9>APRS:>two");
    EXPECT_EQ(fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(Main().TxtRawData.Text(), "12:00:03 IW2ABC-9>APRS:>two");
}

TEST_F(Startup, ClosingWhileMinimisedSavesTheStyleButNotThePlace) {
    ASSERT_TRUE(Start());
    Values().SpessoreCerchio = 2.3f;  // single precision, written as it reads
    Values().ColoreCerchio = 16711680;
    Values().TipoRiempimento = 6.6f;
    Values().ColoreRiempimento = 65535;
    Main().SetLeft(4000);
    Main().SetState(ui::WindowState::Minimized);
    Main().onClose();
    const std::string text = fakes::ReadAll(IniFile());
    EXPECT_EQ(text.find("[Setup]"), std::string::npos);
    EXPECT_EQ(text.find("[SetUp]"), text.rfind("[SetUp]")) << "one section only";
    EXPECT_EQ(Stored("CircleWidth"), "2,3");
    EXPECT_EQ(Stored("CircleColor"), "16711680");
    EXPECT_EQ(Stored("FillType"), "6,6");
    EXPECT_EQ(Stored("FillColor"), "65535");
    EXPECT_EQ(Stored("Left"), "1200");
    EXPECT_EQ(Stored("Top"), "800");
    EXPECT_EQ(fp.app.quitCount, 1);
}

TEST_F(Startup, TheHostOrTheWindowClosingSavesAndQuitsOnce) {
    for (bool hostFirst : {true, false}) {
        SCOPED_TRACE(hostFirst ? "host first" : "window first");
        fp.app.quitCount = 0;
        Store("Test", "1");
        ASSERT_TRUE(Start());
        Values().SpessoreCerchio = 9;
        Main().SetLeft(4000);
        Main().SetTop(-300);
        hostFirst ? host.Close() : Main().onClose();
        EXPECT_EQ(Stored("CircleWidth"), "9");
        EXPECT_EQ(Stored("Left"), "4000");
        EXPECT_EQ(Stored("Top"), "-300");
        EXPECT_EQ(fp.app.quitCount, 1);

        // The other closing afterwards does not save or quit a second time.
        Main().SetTop(10);
        hostFirst ? Main().onClose() : host.Close();
        EXPECT_EQ(Stored("Top"), "-300");
        EXPECT_EQ(fp.app.quitCount, 1);
    }
}

TEST_F(Startup, AHostThatCannotBeReachedEndsTheProgram) {
    host.FailOn("GetMap");
    EXPECT_FALSE(Start());
    EXPECT_EQ(OnlyBox().icon, Icon::Critical);
    EXPECT_EQ(fp.app.quitCount, 1);
}

TEST_F(Startup, MenusReachTheirDialogs) {
    ASSERT_TRUE(Start());
    fp.dialogs.onModal = [](ui::Form& f) { f.Hide(); };
    Main().MnuInfo.onClick();
    Main().MnuMarca.onClick();
    Main().MnuHelp.onClick();
    EXPECT_EQ(fp.dialogs.modalForms, (std::vector<std::string>{"FrmInfo", "FrmMarcaPunto"}));
    EXPECT_EQ(host.RedrawCount(), 1);
    EXPECT_EQ(fp.help.opened, std::vector<std::string>{fp.program.dir.File("Sirenwatch.chm")});
}

TEST_F(Startup, ClosingBeforeStartQuitsWithoutWriting) {
    const std::string before = fakes::ReadAll(IniFile());
    program = std::make_unique<program::Sirenwatch>(fp.ports, host);
    program->Close();
    EXPECT_EQ(fp.app.quitCount, 1);
    EXPECT_EQ(fakes::ReadAll(IniFile()), before);
    EXPECT_FALSE(program->Start());
    EXPECT_TRUE(fp.dialogs.boxes.empty());
}

}  // namespace
