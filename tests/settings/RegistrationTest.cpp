// The registration dialog: defaults, reading an existing file back, the file "OK" writes,
// "NO", and a file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "SettingsWorld.h"
#include "settings/Registration.h"

namespace settings {
namespace {

using settings_test::ReadAll;
using settings_test::SettingsWorld;
using settings_test::WriteAll;

class Registration : public testing::Test {
protected:
    // Opens the dialog from the menu; `action` plays the user while it is on screen.
    void Open(std::function<void(FrmXTR&)> action) {
        w.dialogs.userAction = [action](ui::Form& form) { action(static_cast<FrmXTR&>(form)); };
        w.main.MnuXTR.onClick();
    }
    static void PressOk(FrmXTR& f) { f.CmdOk[0].onClick(); }
    static void PressNo(FrmXTR& f) { f.CmdOk[1].onClick(); }
    std::string Setting(const std::string& key) {
        return w.ini.LeggiValore(w.values.FileIni, "SetUp", key);
    }

    SettingsWorld w;
    int captionsApplied = 0;
    RegistrationDialog dialog{w.xtr,   w.main, w.values,
                              w.ports, w.ini,  [this] { ++captionsApplied; }};
};

TEST_F(Registration, OkWritesTheDefaultsAsFourCrLfLines) {
    Open(PressOk);
    EXPECT_EQ(ReadAll(w.XtrFile()),
              "Sirenwatch\r\n/opt/sirenwatch/sirenwatch\r\nFALSE\r\nTRUE\r\n");
    EXPECT_EQ(Setting("FirstTime"), "0");
    EXPECT_EQ(Setting("Language"), "1");
    EXPECT_FALSE(w.dialogs.stillShownAfterModal) << "the button closes the dialog";
    EXPECT_EQ(w.layer.calls, (std::vector<bool>{false, true}));
    EXPECT_EQ(captionsApplied, 1);
    EXPECT_EQ(w.xtr.Icon(), w.main.Icon());
}

TEST_F(Registration, PathWithABlankIsQuoted) {
    w.program.exePath = "/home/op/my programs/sirenwatch";
    Open([](FrmXTR& f) {
        EXPECT_EQ(f.LblPathProgramma.Caption(), "\"/home/op/my programs/sirenwatch\"");
        PressOk(f);
    });
    EXPECT_EQ(ReadAll(w.XtrFile()),
              "Sirenwatch\r\n\"/home/op/my programs/sirenwatch\"\r\nFALSE\r\nTRUE\r\n");
}

TEST_F(Registration, ExistingFileWinsOverTheDefaults) {
    WriteAll(w.XtrFile(), "Old Name\r\n/old/place/sirenwatch\r\ntrue\r\nFALSE\r\n");
    Open([](FrmXTR& f) {
        EXPECT_EQ(f.LblNomeProgramma.Caption(), "Old Name");
        EXPECT_EQ(f.LblPathProgramma.Caption(), "/old/place/sirenwatch");
        EXPECT_TRUE(f.CheckAvvio.Checked());
        EXPECT_TRUE(f.CheckChiusura.Checked()) << "line 4 is never read";
        EXPECT_FALSE(f.CheckChiusura.Enabled());
        PressOk(f);
    });
    EXPECT_EQ(ReadAll(w.XtrFile()), "Old Name\r\n/old/place/sirenwatch\r\nTRUE\r\nTRUE\r\n");
}

struct ShortFileCase {
    std::string content;
    std::string name;
    std::string path;
    bool autoStart;
};

class RegistrationShortFile : public Registration,
                              public testing::WithParamInterface<ShortFileCase> {};

TEST_P(RegistrationShortFile, MissingLinesRepeatThePreviousText) {
    const auto& c = GetParam();
    WriteAll(w.XtrFile(), c.content);
    Open([&c](FrmXTR& f) {
        EXPECT_EQ(f.LblNomeProgramma.Caption(), c.name);
        EXPECT_EQ(f.LblPathProgramma.Caption(), c.path);
        EXPECT_EQ(f.CheckAvvio.Checked(), c.autoStart);
        PressNo(f);
    });
}

INSTANTIATE_TEST_SUITE_P(Files, RegistrationShortFile,
                         testing::Values(ShortFileCase{"", "", "", false},
                                         ShortFileCase{"OnlyName\r\n", "OnlyName", "OnlyName",
                                                       false},
                                         ShortFileCase{"N\nP\nTrUe\n", "N", "P", true},
                                         ShortFileCase{"N\r\nP\r\nyes\r\n", "N", "P", false},
                                         ShortFileCase{"N\r\nP", "N", "P", false}));

TEST_F(Registration, NoLeavesTheFileAsItIs) {
    Open(PressNo);
    EXPECT_FALSE(std::filesystem::exists(w.XtrFile()));
    EXPECT_EQ(Setting("FirstTime"), "0");
    EXPECT_EQ(Setting("Language"), "1");

    const std::string old = "Kept\r\n/x\r\nTRUE\r\nTRUE\r\n";
    WriteAll(w.XtrFile(), old);
    Open([](FrmXTR& f) {
        f.CheckAvvio.SetChecked(false);
        PressNo(f);
    });
    EXPECT_EQ(ReadAll(w.XtrFile()), old);
}

TEST_F(Registration, LanguageFollowsTheStoredSetting) {
    w.ini.ScriviValore(w.values.FileIni, "SetUp", "Language", 2);
    Open([](FrmXTR& f) {
        EXPECT_EQ(f.LblRichiesta.Caption(), "Do you want to create a XTR file for Sirenwatch?");
        EXPECT_EQ(f.LblNome.Caption(), "Program Name");
        EXPECT_EQ(f.LblPath.Caption(), "Path");
        EXPECT_EQ(f.CheckAvvio.Caption(), "Automatic starting with UI-View");
        EXPECT_EQ(f.CheckChiusura.Caption(), "Automatic closing with UI-View");
        PressNo(f);
    });
    EXPECT_EQ(w.values.CodiceLingua, 2000);
    EXPECT_EQ(Setting("Language"), "2");
}

TEST_F(Registration, MissingLanguageSettingMeansItalian) {
    w.values.CodiceLingua = 2000;
    Open([](FrmXTR& f) {
        EXPECT_EQ(f.LblRichiesta.Caption(), "Vuoi creare il file XTR per Sirenwatch?");
        PressNo(f);
    });
    EXPECT_EQ(w.values.CodiceLingua, 1000);
    EXPECT_EQ(Setting("Language"), "1");
}

TEST_F(Registration, EachOpeningStartsFromTheDesignedState) {
    Open([](FrmXTR& f) {
        f.CheckAvvio.SetChecked(true);
        PressNo(f);
    });
    Open([](FrmXTR& f) {
        EXPECT_FALSE(f.CheckAvvio.Checked());
        EXPECT_EQ(f.LblNomeProgramma.Caption(), "Sirenwatch");
        PressNo(f);
    });
}

TEST_F(Registration, ClosingFromTheTitleBarAnswersNothing) {
    Open([](FrmXTR& f) { f.onClose(); });
    EXPECT_FALSE(w.dialogs.stillShownAfterModal);
    EXPECT_EQ(Setting("FirstTime"), "");
    EXPECT_FALSE(std::filesystem::exists(w.XtrFile()));
    EXPECT_EQ(w.layer.calls, (std::vector<bool>{false, true}));
}

TEST_F(Registration, UnwritableFileIsToldAndTheProgramGoesOn) {
    const std::string old = "Old\r\n/x\r\nFALSE\r\nTRUE\r\n";
    WriteAll(w.XtrFile(), old);
    std::filesystem::permissions(w.XtrFile(), std::filesystem::perms::owner_read);
    w.ini.ScriviValore(w.values.FileIni, "SetUp", "Language", 2);
    Open([](FrmXTR& f) {
        f.CheckAvvio.SetChecked(true);
        PressOk(f);
    });
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    const auto& message = w.dialogs.messages.front();
    EXPECT_EQ(message.icon, platform::Icon::Exclamation);
    EXPECT_NE(message.text.find("The XTR file was not written."), std::string::npos);
    EXPECT_NE(message.text.find(w.XtrFile()), std::string::npos);
    EXPECT_NE(message.text.find("Reason: "), std::string::npos);
    EXPECT_EQ(ReadAll(w.XtrFile()), old);
    EXPECT_EQ(Setting("FirstTime"), "0");
    EXPECT_EQ(Setting("Language"), "2");
    EXPECT_FALSE(w.dialogs.stillShownAfterModal);
    EXPECT_EQ(captionsApplied, 1);
}

TEST_F(Registration, MissingHostFolderIsToldInItalian) {
    w.values.CartellaUIView = w.folder.File("no-such-folder") + "/";
    Open(PressOk);
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    EXPECT_NE(w.dialogs.messages.front().text.find("Il file XTR non e' stato scritto."),
              std::string::npos);
    EXPECT_NE(w.dialogs.messages.front().text.find("Motivo: "), std::string::npos);
}

TEST_F(Registration, HostFolderWithoutFinalSeparator) {
    w.values.CartellaUIView = w.folder.Path().string();
    Open(PressOk);
    EXPECT_TRUE(std::filesystem::exists(w.folder.Path() / "Sirenwetch.xtr"));
}

}  // namespace
}  // namespace settings
