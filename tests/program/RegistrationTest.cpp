// The registration dialog: defaults, reading an existing file back, the file "OK" writes,
// "NO", and a file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/FileText.h"
#include "fakes/World.h"
#include "program/Registration.h"

namespace program {
namespace {

using fakes::ReadAll;
using fakes::WriteAll;

class Registration : public testing::Test {
protected:
    Registration() { w.values.CartellaUIView = w.fp.program.dir.Path() + "/"; }

    // Opens the dialog from the menu; `action` plays the user while it is on screen.
    void Open(std::function<void(forms::FrmXTR&)> action) {
        w.fp.dialogs.onModal = [this, action](ui::Form& form) {
            action(static_cast<forms::FrmXTR&>(form));
            closedByAction = !form.Shown();
        };
        w.main.MnuXTR.onClick();
    }
    static void PressOk(forms::FrmXTR& f) { f.CmdOk[0].onClick(); }
    static void PressNo(forms::FrmXTR& f) { f.CmdOk[1].onClick(); }
    std::string Setting(const std::string& key) {
        return w.ini.LeggiValore(w.values.FileIni, "SetUp", key);
    }
    std::string XtrFile() const { return w.values.CartellaUIView + "Sirenwetch.xtr"; }

    fakes::World w;
    forms::FrmXTR xtr;
    bool closedByAction = false;
    int captionsApplied = 0;
    RegistrationDialog dialog{xtr,        w.main, w.values,
                              w.fp.ports, w.ini,  [this] { ++captionsApplied; }};
};

// What the dialog shows from the file found (or the defaults), the file "OK" then writes, and
// the answers it stores.
TEST_F(Registration, OkWritesWhatTheDialogShows) {
    w.fp.program.folder = "/home/op/my programs";
    const struct {
        const char *before, *name, *path;
        bool autoStart;
        const char* after;
    } cases[] = {
        {nullptr, "Sirenwatch", "\"/home/op/my programs/Sirenwatch\"", false,
         "Sirenwatch\r\n\"/home/op/my programs/Sirenwatch\"\r\nFALSE\r\nTRUE\r\n"},
        {"Old Name\r\n/old/place/sirenwatch\r\ntrue\r\nFALSE\r\n", "Old Name",
         "/old/place/sirenwatch", true, "Old Name\r\n/old/place/sirenwatch\r\nTRUE\r\nTRUE\r\n"},
        // Lines missing from a short file repeat the previous text.
        {"", "", "", false, "\r\n\r\nFALSE\r\nTRUE\r\n"},
        {"OnlyName\r\n", "OnlyName", "OnlyName", false,
         "OnlyName\r\nOnlyName\r\nFALSE\r\nTRUE\r\n"},
        {"N\nP\nTrUe\n", "N", "P", true, "N\r\nP\r\nTRUE\r\nTRUE\r\n"},
        {"N\r\nP\r\nyes\r\n", "N", "P", false, "N\r\nP\r\nFALSE\r\nTRUE\r\n"},
        {"N\r\nP\r\nfalse\r\n", "N", "P", false, "N\r\nP\r\nFALSE\r\nTRUE\r\n"},
        {"N\r\nP", "N", "P", false, "N\r\nP\r\nFALSE\r\nTRUE\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        std::filesystem::remove(XtrFile());
        if (c.before) WriteAll(XtrFile(), c.before);
        Open([&c](forms::FrmXTR& f) {
            EXPECT_EQ(f.LblNomeProgramma.Caption(), c.name);
            EXPECT_EQ(f.LblPathProgramma.Caption(), c.path);
            EXPECT_EQ(f.CheckAvvio.Checked(), c.autoStart);
            EXPECT_TRUE(f.CheckChiusura.Checked()) << "the file's line 4 is never read";
            EXPECT_FALSE(f.CheckChiusura.Enabled());
            PressOk(f);
        });
        EXPECT_EQ(ReadAll(XtrFile()), c.after);
        EXPECT_TRUE(closedByAction) << "the button closes the dialog";
    }
    EXPECT_EQ(Setting("FirstTime"), "0");
    EXPECT_EQ(Setting("Language"), "1");
    EXPECT_EQ(captionsApplied, 8);
    EXPECT_EQ(xtr.Icon(), w.main.Icon());
}

TEST_F(Registration, NoLeavesTheFileAsItIs) {
    Open(PressNo);
    EXPECT_FALSE(std::filesystem::exists(XtrFile()));
    EXPECT_EQ(Setting("FirstTime"), "0");
    EXPECT_EQ(Setting("Language"), "1");

    const std::string old = "Kept\r\n/x\r\nTRUE\r\nTRUE\r\n";
    WriteAll(XtrFile(), old);
    Open([](forms::FrmXTR& f) {
        f.CheckAvvio.SetChecked(false);
        PressNo(f);
    });
    EXPECT_EQ(ReadAll(XtrFile()), old);
}

TEST_F(Registration, LanguageFollowsTheStoredSettingAsStartUpReadsIt) {
    w.ini.ScriviValore(w.values.FileIni, "SetUp", "Language", 2);
    Open([](forms::FrmXTR& f) {
        EXPECT_EQ(f.LblRichiesta.Caption(), "Do you want to create a XTR file for Sirenwatch?");
        EXPECT_EQ(f.LblNome.Caption(), "Program Name");
        EXPECT_EQ(f.LblPath.Caption(), "Path");
        EXPECT_EQ(f.CheckAvvio.Caption(), "Automatic starting with UI-View");
        EXPECT_EQ(f.CheckChiusura.Caption(), "Automatic closing with UI-View");
        PressNo(f);
    });
    EXPECT_EQ(w.values.CodiceLingua, 2000);
}

TEST_F(Registration, ClosingFromTheTitleBarAnswersNothingAndTheNextOpeningStartsAfresh) {
    Open([](forms::FrmXTR& f) {
        f.CheckAvvio.SetChecked(true);
        f.onClose();
    });
    EXPECT_TRUE(closedByAction);
    EXPECT_EQ(Setting("FirstTime"), "");
    EXPECT_FALSE(std::filesystem::exists(XtrFile()));
    Open([](forms::FrmXTR& f) {
        EXPECT_FALSE(f.CheckAvvio.Checked());
        EXPECT_EQ(f.LblNomeProgramma.Caption(), "Sirenwatch");
        PressNo(f);
    });
}

TEST_F(Registration, UnwritableFileIsToldAndTheProgramGoesOn) {
    const std::string old = "Old\r\n/x\r\nFALSE\r\nTRUE\r\n";
    WriteAll(XtrFile(), old);
    std::filesystem::permissions(XtrFile(), std::filesystem::perms::owner_read);
    w.ini.ScriviValore(w.values.FileIni, "SetUp", "Language", 2);
    Open([](forms::FrmXTR& f) {
        f.CheckAvvio.SetChecked(true);
        PressOk(f);
    });
    ASSERT_EQ(w.fp.dialogs.boxes.size(), 1u);
    const auto& box = w.fp.dialogs.boxes.front();
    EXPECT_EQ(box.icon, platform::Icon::Exclamation);
    EXPECT_TRUE(box.text.starts_with("The XTR file was not written.\n" + XtrFile() + "\nReason: "))
        << box.text;
    EXPECT_EQ(ReadAll(XtrFile()), old);
    EXPECT_EQ(Setting("FirstTime"), "0");
    EXPECT_EQ(Setting("Language"), "2");
    EXPECT_TRUE(closedByAction);
    EXPECT_EQ(captionsApplied, 1);
}

TEST_F(Registration, HostFolderWithoutSeparatorIsUsedAndAMissingOneIsTold) {
    w.values.CartellaUIView = w.fp.program.dir.Path();
    Open(PressOk);
    EXPECT_TRUE(std::filesystem::exists(w.fp.program.dir.File("Sirenwetch.xtr")));

    w.values.CartellaUIView = w.fp.program.dir.File("no-such-folder") + "/";
    Open(PressOk);
    ASSERT_EQ(w.fp.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(w.fp.dialogs.boxes[0].text.starts_with("Il file XTR non e' stato scritto.\n" +
                                                       XtrFile() + "\nMotivo: "))
        << w.fp.dialogs.boxes[0].text;
}

}  // namespace
}  // namespace program
