// Start-up and shut-down of the whole program against the fake host and fake ports, with real
// settings files in temporary folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "fakes/FakeHost.h"
#include "fakes/FakePorts.h"
#include "fakes/FileText.h"
#include "host/HostFailure.h"
#include "program/Sirenwatch.h"
#include "settings/ProfileFile.h"
#include "settings/StringTable.h"

namespace {

using platform::Icon;
using settings::LoadResString;

class Startup : public ::testing::Test {
protected:
    // The host installed with its home station, and the settings file of an earlier run of
    // this version.
    Startup() {
        fakes::InstallHost(fp, hostDir.Path());
        StoreUsualSettings();
    }
    std::string IniFile() const { return fp.program.dir.File("Sirenwatch.ini"); }
    void StoreUsualSettings() {
        fakes::WriteAll(IniFile(),
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
        fp.dialogs.boxes.clear();
        fp.app.quitCount = 0;
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
                          const std::optional<std::string>& title = std::nullopt) {
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
    std::string text = fakes::ReadAll(IniFile());
    std::erase(text, '\r');
    EXPECT_EQ(text,
              "[SetUp]\nVersion=1.11\nCircleColor=255\nCircleWidth=5\nFillType=7\n"
              "FillColor=16777215\nUnit=1\n");
}

TEST_F(Startup, NoHostFolderShowsTheBilingualMessageAndEnds) {
    fp.userStore.values.clear();
    EXPECT_FALSE(Start());
    ExpectEndedAfter(
        "ATTENZIONE !!\r" + LoadResString(1100) + "\r\rATTENTION !!\r" + LoadResString(2100),
        Icon::Critical);
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

TEST_F(Startup, AHostOlderThan186Ends) {
    fakes::InstallHost(fp, hostDir.Path(), {.version = "1.85"});
    EXPECT_FALSE(Start());
    ExpectEndedAfter(LoadResString(1104) + "\r" + LoadResString(1127), Icon::Critical);
}

TEST_F(Startup, ASecondInstanceSaysSoInItsLanguageAndWritesNothingMore) {
    Store("Language", "2");
    fp.instance.another = true;
    EXPECT_FALSE(Start());
    ExpectEndedAfter("Sirenwatch  Ver. 1.11 " + LoadResString(2126), Icon::Exclamation);
}

TEST_F(Startup, AHomeMissingOrOffTheGlobeEnds) {
    const std::pair<const char*, const char*> cases[] = {
        {"4530.25N", ""}, {"9030.00S", "00912.34E"}, {"4530.25N", "18030.00W"}};
    for (auto [latitude, longitude] : cases) {
        SCOPED_TRACE(std::string(latitude) + " " + longitude);
        fakes::InstallHost(fp, hostDir.Path(), {.latitude = latitude, .longitude = longitude});
        EXPECT_FALSE(Start());
        ExpectEndedAfter(
            LoadResString(1104) + "\r" + LoadResString(1102) + "\r" + LoadResString(1103),
            Icon::Critical, "Sirenwatch  Ver. 1.11");
    }
    // The edges themselves are on the globe.
    fakes::InstallHost(fp, hostDir.Path(), {.latitude = "9000.00S", .longitude = "18000.00E"});
    EXPECT_TRUE(Start());
}

TEST_F(Startup, AHealthyStartConnectsAndSetsEverythingUp) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(fp.dialogs.boxes.empty());
    EXPECT_EQ(fp.app.quitCount, 0);
    EXPECT_EQ(Main().Caption(), "Sirenwatch  Ver. 1.11");
    EXPECT_EQ(fp.layer.Topmost(), true);
    EXPECT_EQ(Values().NominativoStazione, "N0CALL");
    EXPECT_DOUBLE_EQ(Values().LatitudineStazione, 45.5);
    EXPECT_NEAR(Values().LongitudineStazione, 9.2, 1e-9);
    EXPECT_EQ(Main().Left(), 1200);
    EXPECT_EQ(Main().Top(), 800);
    EXPECT_EQ(Main().FGridStazioni.ColWidth(8), 0);

    // Frames now flow from the host into the table, and the map follows.
    host.SetStation("IW2ABC-9",
                    {.beaconText = "", .messageType = "EMERGENCY", .longitude = 1, .latitude = 1});
    host.Deliver("12:00:01 IW2ABC-9>APRS:!4530.25N/00912.34W>Help");
    EXPECT_EQ(Main().FGridStazioni.TextMatrix(1, 0), "IW2ABC-9");
    EXPECT_EQ(host.map.Circles().size(), 1u);
}

// Stored texts, one start each: what the program makes of them.
class StoredValues : public Startup {
protected:
    // Starts from the usual settings, changed by `change`, with key holding text.
    void StartWith(const char* key, const char* text, const std::function<void()>& change = {}) {
        StoreUsualSettings();
        if (change) change();
        Store(key, text);
        ASSERT_TRUE(Start()) << key;
        EXPECT_TRUE(fp.dialogs.boxes.empty()) << key;
    }
};

TEST_F(StoredValues, UnitOtherThanOneIsImperialAndNotANumberIsMetric) {
    const std::pair<const char*, bool> cases[] = {{"2", true}, {"1", false}, {"2x", false}};
    for (auto [text, imperial] : cases) {
        SCOPED_TRACE(text);
        StartWith("Unit", text);
        EXPECT_EQ(Values().FattoreUnita, imperial ? 1.609344 : 1.0);
        EXPECT_EQ(Main().MnuUnit[1].Checked(), imperial);
        EXPECT_EQ(Main().MnuUnit[0].Checked(), !imperial);
        EXPECT_EQ(Main().LblDistanza.Caption(), LoadResString(imperial ? 1112 : 1110));
    }
}

TEST_F(StoredValues, MessageTypeIsUpperCasedAndDefaultsToEmergency) {
    StartWith("MessageType", "Priority");
    EXPECT_EQ(Values().TipoMessaggio, "PRIORITY");
    StartWith("MessageType", "");
    EXPECT_EQ(Values().TipoMessaggio, "EMERGENCY");
}

TEST_F(StoredValues, LanguageOtherThanEnglishIsItalianWithItsItemChecked) {
    for (auto [text, code] : {std::pair{"2", 2000}, std::pair{"2abc", 1000}}) {
        StartWith("Language", text);
        EXPECT_EQ(Values().CodiceLingua, code);
        EXPECT_EQ(Main().MnuNazione[0].Checked(), code == 1000);
        EXPECT_EQ(Main().MnuNazione[1].Checked(), code == 2000);
        EXPECT_EQ(Main().Frame1.Caption(), LoadResString(code));
    }
}

TEST_F(StoredValues, WindowPlaceWithoutANumberStaysAsDesigned) {
    StartWith("Left", "12px");
    EXPECT_EQ(Main().Left(), 0);
    EXPECT_EQ(Main().Top(), 800);
    StartWith("Top", "1234,4");  // a value written with the regional decimal comma
    EXPECT_EQ(Main().Top(), 1234);
}

TEST_F(StoredValues, CircleStyleWithoutANumberTakesItsDefault) {
    for (const std::string key : {"CircleColor", "CircleWidth", "FillType", "FillColor"}) {
        StartWith(key.c_str(), "red", [this] {
            Store("CircleColor", "65280");
            Store("CircleWidth", "2");
            Store("FillType", "0");
            Store("FillColor", "0");
        });
        EXPECT_EQ(Values().ColoreCerchio, key == "CircleColor" ? 255 : 65280) << key;
        EXPECT_EQ(Values().SpessoreCerchio, key == "CircleWidth" ? 5.0f : 2.0f) << key;
        EXPECT_EQ(Values().TipoRiempimento, key == "FillType" ? 7.0f : 0.0f) << key;
        EXPECT_EQ(Values().ColoreRiempimento, key == "FillColor" ? 16777215.0 : 0.0) << key;
    }
}

TEST_F(Startup, TestModeAppendsFramesToTodaysLog) {
    Store("Test", "1abc");  // the leading number counts
    const std::string log = fp.program.dir.File("05_12_2026.log");
    fakes::WriteAll(log, "earlier\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(Main().FGridStazioni.ColWidth(8), 900) << "the table is set up for test mode";
    host.Deliver("12:00:02 IW2ABC-9>APRS:>fine");
    program->Close();
    EXPECT_EQ(fakes::ReadAll(log), "earlier\r\n12:00:02 IW2ABC-9>APRS:>fine\r\n");
}

TEST_F(Startup, ATestLogThatCannotBeOpenedIsToldOnceAndTheProgramRunsOn) {
    Store("Test", "1");
    std::filesystem::create_directory(fp.program.dir.File("05_12_2026.log"));
    // An emergency arrives while the message is on screen: the next one does not take its row.
    fakes::StationData emergency;
    emergency.messageType = "EMERGENCY";
    host.SetStation("IW2ABC-9", emergency);
    host.SetStation("IK1XYZ", emergency);
    fp.dialogs.onMsgBox = [&](const fakes::Box&) { host.Deliver("12:00:01 IW2ABC-9>APRS:>"); };
    ASSERT_TRUE(Start());
    EXPECT_EQ(OnlyBox().icon, Icon::Exclamation);
    EXPECT_NE(OnlyBox().text.find("05_12_2026.log"), std::string::npos);
    host.Deliver("12:00:02 IK1XYZ>APRS:>");
    ASSERT_EQ(Main().FGridStazioni.Rows(), 3);
    EXPECT_EQ(Main().FGridStazioni.TextMatrix(1, 0), "IW2ABC-9");
    EXPECT_EQ(Main().FGridStazioni.TextMatrix(2, 0), "IK1XYZ");
    host.Deliver("12:00:02 IW2ABC-9>APRS:>one");
    EXPECT_EQ(fp.dialogs.boxes.size(), 1u);
    EXPECT_EQ(Main().TxtRawData.Text(), "12:00:02 IW2ABC-9>APRS:>one");
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
    EXPECT_EQ(fp.app.quitCount, 1);
}

TEST_F(Startup, TheHostOrTheWindowClosingSavesAndQuitsOnce) {
    for (bool hostFirst : {true, false}) {
        SCOPED_TRACE(hostFirst ? "host first" : "window first");
        Store("Test", "1");
        ASSERT_TRUE(Start());
        Main().SetLeft(4000);
        Main().SetTop(-300);
        hostFirst ? host.Close() : Main().onClose();
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

TEST_F(Startup, AHostThatDiesIsToldOnceAndTheProgramSavesAndEnds) {
    Store("Language", "2");
    ASSERT_TRUE(Start());
    Main().SetLeft(4000);
    host.Die("the server is gone");
    host.Die("the server is gone");
    EXPECT_EQ(OnlyBox().icon, Icon::Critical);
    EXPECT_EQ(OnlyBox().text, host::HostFailureText(2000, "the server is gone"));
    EXPECT_EQ(Stored("Left"), "4000");
    EXPECT_EQ(fp.app.quitCount, 1);
}

TEST_F(Startup, AHostThatCannotBeReachedEndsTheProgram) {
    // The map, or its events after the application's were connected: while the message is
    // on screen, nothing of the half-made connection listens to the host.
    for (bool eventsRefused : {false, true}) {
        SCOPED_TRACE(eventsRefused ? "map events refused" : "no map");
        host.FailOn("GetMap", eventsRefused ? 0 : 1);
        host.map.refuseListener = eventsRefused;
        std::optional<host::ApplicationEvents*> listening;
        fp.dialogs.onMsgBox = [&](const fakes::Box&) { listening = host.Listener(); };
        EXPECT_FALSE(Start());
        EXPECT_EQ(OnlyBox().icon, Icon::Critical);
        EXPECT_EQ(listening, nullptr);
        EXPECT_EQ(fp.app.quitCount, 1);
    }
}

TEST_F(Startup, AHostThatIsNotThereIsToldInTheCurrentLanguage) {
    host.unavailable = true;
    Store("Language", "2");
    EXPECT_FALSE(Start());
    ExpectEndedAfter(host::HostUnavailableText(2000, "not registered"), Icon::Critical);
    EXPECT_NE(OnlyBox().text.find("not running or not registered"), std::string::npos);
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
