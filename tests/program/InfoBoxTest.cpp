// The information box: its place, its five lines, and the main window's topmost state.
#include <gtest/gtest.h>

#include "fakes/FakePorts.h"
#include "forms/FrmInfo.h"
#include "forms/FrmMain.h"
#include "program/InfoBox.h"

namespace {

struct InfoWorld {
    InfoWorld() {
        main.SetCaption("Sirenwatch  Ver. 1.11");
        info.Bind();
    }
    fakes::FakePorts fp;
    forms::FrmMain main;
    forms::FrmInfo box;
    platform::ProgramValues values;
    program::InfoBox info{box, main, values, fp.dialogs, fp.layer, fp.help};
};

TEST(InfoBox, MainWindowLeavesTheTopmostLayerWhileTheBoxIsOpen) {
    InfoWorld w;
    std::optional<bool> topmostWhileOpen;
    w.fp.dialogs.onModal = [&](ui::Form& f) {
        topmostWhileOpen = w.fp.layer.Topmost();
        EXPECT_EQ(&f, &w.box);
        w.box.CmdOk.onClick();
    };
    w.info.MnuInfo_Click();
    EXPECT_EQ(topmostWhileOpen, false);
    EXPECT_EQ(w.fp.layer.Topmost(), true);
    EXPECT_EQ(w.fp.dialogs.modalForms.size(), 1u);
    EXPECT_FALSE(w.box.Shown());
}

TEST(InfoBox, ShowsFiveLinesUnderTheMainWindowsCaption) {
    InfoWorld w;
    w.main.SetGeometry({-2000, 100, 5610, 6525});  // partly off screen: not pulled back
    w.info.MnuInfo_Click();
    w.info.MnuInfo_Click();  // loaded afresh: still five lines

    EXPECT_EQ(w.box.Caption(), "Sirenwatch  Ver. 1.11");
    EXPECT_EQ(w.box.Left(), -2000 + 5610 / 2 - 5415 / 2);
    EXPECT_EQ(w.box.Top(), 2000);
    EXPECT_TRUE(w.box.Frame1.Visible());
    EXPECT_EQ(w.box.Image1.Icon(), "sirenwatch");

    EXPECT_EQ(w.box.LblInfo.Caption(),
              "Sirenwatch  Ver. 1.11\r\nAuthor: the Sirenwatch team\r\n\r\n"
              "APRS is a registered trademark of APRS Software and Bob Bruninga, WB4APR\r\n"
              "UI-View 32 is a trademark of Peak Systems\r\n");
}

}  // namespace
