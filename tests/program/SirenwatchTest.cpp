// Start-up and shut-down of the whole program against the fake host and fake ports, with real
// settings files in temporary folders.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <map>
#include <memory>
#include <optional>
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

class Startup : public ::testing::Test {
public:
    // The host installed with its home station, and the settings file of an earlier run of
    // this version.
    Startup() {
        fakes::InstallHost(fp.userStore, hostDir.Path() + "/");
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

// Checks that end the program: each shows its one box and writes nothing.
struct FailedStartCase {
    const char* name;
    std::function<void(Startup&)> arrange;
    std::string text;
    Icon icon = Icon::Critical;
    std::optional<std::string> title = std::nullopt;
};
void PrintTo(const FailedStartCase& row, std::ostream* out) {
    *out << row.name;
}
class FailedStart : public Startup, public testing::WithParamInterface<FailedStartCase> {};

// While the box is on screen, nothing of a half-made connection listens to the host.
TEST_P(FailedStart, ShowsItsBoxAndEnds) {
    GetParam().arrange(*this);
    std::optional<host::ApplicationEvents*> listening;
    fp.dialogs.onMsgBox = [&](const fakes::Box&) { listening = host.Listener(); };
    EXPECT_FALSE(Start());
    EXPECT_EQ(listening, nullptr);
    ExpectEndedAfter(GetParam().text, GetParam().icon, GetParam().title);
}

// The host installed with its home station at these coordinates.
std::function<void(Startup&)> Home(const char* latitude, const char* longitude) {
    return [=](Startup& s) {
        InstallHost(s.fp.userStore, s.hostDir.Path() + "/",
                    {.latitude = latitude, .longitude = longitude});
    };
}
const std::string kTitle = "Sirenwatch  Ver. 1.11";
const std::string kNoHome =
    "Attenzione !!\rLe coordinate di stazione non sono presenti.\rE' necessario configurare "
    "UI-View.";
const std::string kNoHost =
    "ATTENZIONE !!\r" + LoadResString(1100) + "\r\rATTENTION !!\r" + LoadResString(2100);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Startup, FailedStart, testing::Values(
    FailedStartCase{"NoHost", [](Startup& s) { s.fp.userStore.values.clear(); }, kNoHost},
    FailedStartCase{"WrongHostVersion",
                    [](Startup& s) { InstallHost(s.fp.userStore, s.hostDir.Path() + "/",
                                                 {.version = "1.85"}); },
                    "Attenzione !!\rVerione di UI-View32 non corretta."},
    FailedStartCase{"AlreadyRunning",
                    [](Startup& s) { s.Store("Language", "2"); s.fp.instance.another = true; },
                    kTitle + " is already running.", Icon::Exclamation},
    FailedStartCase{"NoLongitude", Home("4530.25N", ""), kNoHome, Icon::Critical, kTitle},
    FailedStartCase{"LatitudeOffTheGlobe", Home("9030.00S", "00912.34E"), kNoHome,
                    Icon::Critical, kTitle},
    FailedStartCase{"LongitudeOffTheGlobe", Home("4530.25N", "18030.00W"), kNoHome,
                    Icon::Critical, kTitle},
    FailedStartCase{"NoMap", [](Startup& s) { s.host.FailOn("GetMap"); },
                    "Errore nella comunicazione con UI-View32:\nGetMap failed"},
    FailedStartCase{"MapEventsRefused", [](Startup& s) { s.host.map.refuseListener = true; },
                    "Errore nella comunicazione con UI-View32:\nAdvise failed"},
    FailedStartCase{"HostNotRegistered",
                    [](Startup& s) { s.host.unavailable = true; s.Store("Language", "2"); },
                    "UI-View32 does not answer: it is not running or not registered.\n"
                    "not registered"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// The built-in host knows its version: its settings file need not say it.
TEST_F(Startup, AHostThatKnowsItsVersionNeedsNoneInItsFile) {
    InstallHost(fp.userStore, hostDir.Path() + "/", {.version = ""});
    host.ownVersion = 1.86;
    EXPECT_TRUE(Start());
}

TEST_F(Startup, AHomeOnTheEdgesOfTheGlobeStarts) {
    Home("9000.00S", "18000.00E")(*this);
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
    EXPECT_NE(host.Listener(), nullptr);  // frames reach the program: the end-to-end demo runs
}

// Stored texts, one start each, over the usual settings with a circle style other than the
// defaults: what the program makes of them.
class StoredValues : public Startup,
                     public testing::WithParamInterface<std::array<const char*, 3>> {};

std::string Seen(double v) {
    std::ostringstream s;
    s << std::setprecision(10) << v;
    return s.str();
}
std::string Seen(const ui::MenuItem (&items)[2]) {
    return std::string(items[0].Checked() ? " 0 " : " ") + (items[1].Checked() ? "1 " : "");
}

TEST_P(StoredValues, AreReadAsTheProgramStoresThem) {
    const auto [key, text, expected] = GetParam();
    fakes::WriteAll(IniFile(),
                    "[SetUp]\nVersion=1.11\nCircleColor=65280\nCircleWidth=2\nFillType=0\n"
                    "FillColor=0\nUnit=1\nLanguage=1\nLeft=1200\nTop=800\n");
    Store(key, text);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(fp.dialogs.boxes.empty());
    const auto& v = Values();
    const std::string place = Seen(Main().Left()) + " " + Seen(Main().Top());
    const std::string circle = Seen(v.ColoreCerchio) + " " + Seen(v.SpessoreCerchio) + " " +
                               Seen(v.TipoRiempimento) + " " + Seen(v.ColoreRiempimento);
    // clang-format off
    const std::map<std::string, std::string> seen = {
        {"Unit", Seen(v.FattoreUnita) + Seen(Main().MnuUnit) + Main().LblDistanza.Caption()},
        {"Language", Seen(v.CodiceLingua) + Seen(Main().MnuNazione) + Main().Frame1.Caption()},
        {"MessageType", v.TipoMessaggio}, {"Left", place}, {"Top", place},
        {"CircleColor", circle}, {"CircleWidth", circle}, {"FillType", circle},
        {"FillColor", circle}};
    // clang-format on
    EXPECT_EQ(seen.at(key), expected) << key << "=" << text;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Startup, StoredValues, testing::Values(
    std::array{"Unit", "2", "1.609344 1 Distanza (Miglia)"},
    std::array{"Unit", "2x", "1 0 Distanza (Km)"},  // not a number: metric
    std::array{"MessageType", "Priority", "PRIORITY"},
    std::array{"MessageType", "", "EMERGENCY"},
    std::array{"Language", "2", "2000 1 Last Received Emergency Beacon"},
    std::array{"Language", "1", "1000 0 Ultima Emergenza Ricevuta"},
    std::array{"Left", "12px", "0 800"},  // not a number: the designed place
    std::array{"Top", "1234,4", "1200 1234"},  // the regional decimal comma
    std::array{"CircleColor", "red", "255 2 0 0"},  // not a number: the default
    std::array{"CircleWidth", "red", "65280 5 0 0"},
    std::array{"FillType", "red", "65280 2 7 0"},
    std::array{"FillColor", "red", "65280 2 0 16777215"}));
// clang-format on

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

// An installed program keeps the log in its data folder, which a first run has not made yet.
TEST_F(Startup, TestModeMakesTheLogsFolderOnAFirstRun) {
    Store("Test", "1");
    fp.program.testLogFolder = fp.program.dir.File("data/sirenwatch");
    ASSERT_TRUE(Start());
    EXPECT_TRUE(fp.dialogs.boxes.empty()) << fp.dialogs.boxes.front().text;
    host.Deliver("12:00:02 IW2ABC-9>APRS:>fine");
    program->Close();
    EXPECT_EQ(fakes::ReadAll(fp.program.dir.File("data/sirenwatch/05_12_2026.log")),
              "12:00:02 IW2ABC-9>APRS:>fine\r\n");
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
    EXPECT_EQ(OnlyBox().text, "Impossibile aprire il file di log " +
                                  fp.program.dir.File("05_12_2026.log") +
                                  ". Il programma prosegue senza registrare i pacchetti.");
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
    EXPECT_EQ(OnlyBox().text, "Error while talking to UI-View32:\nthe server is gone");
    EXPECT_EQ(Stored("Left"), "4000");
    EXPECT_EQ(fp.app.quitCount, 1);
}

TEST_F(Startup, MenusReachTheirDialogs) {
    ASSERT_TRUE(Start());
    fp.dialogs.onModal = [](ui::Form& f) {  // each closed from its title bar, by its own handler
        ASSERT_TRUE(f.onClose) << f.Name();
        f.onClose();
        EXPECT_FALSE(f.Shown()) << f.Name();
    };
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
