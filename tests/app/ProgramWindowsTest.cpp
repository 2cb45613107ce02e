// The whole program on the Qt front end, offscreen, on one path: the real program against the
// built-in host, its main window, and a modal dialog under it worked with the mouse, reaching
// the host's map. The rules behind the path are the core's tests (SpotDialog, InfoBox, Alarm,
// Captions); the widgets' own behaviour is BindersTest's and GridModelTest's. Screenshots go
// under the build folder, for people to look at.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "fakes/FakePorts.h"
#include "incident_ui/IncidentPanel.h"
#include "program/Sirenwatch.h"
#include "qt/FormWindow.h"
#include "qt/QtDialogs.h"
#include "qt/QtPorts.h"
#include "qt/QtWorld.h"
#include "qt_host/MapView.h"
#include "settings/ProfileFile.h"
#include "watch/WatchBoard.h"

namespace qttest {
namespace {

// Message boxes answered by script (the test never waits on one), notices recorded; forms
// shown for real.
class HybridDialogs final : public platform::Dialogs {
public:
    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::optional<std::string>& title = std::nullopt) override {
        return scripted.MsgBox(text, buttons, icon, title);
    }
    void ShowModal(ui::Form& form) override { real.ShowModal(form); }
    void Notice(const std::string& text, platform::Icon icon) override {
        scripted.Notice(text, icon);
    }

    fakes::ScriptedDialogs scripted;
    qt::QtDialogs real;
};

TEST(ProgramWindows, SpotSetUpPicksReachTheMap) {
    fakes::FakePorts fp;
    HybridDialogs dialogs;
    qt::QtWindowLayer layer;
    platform::Ports ports{dialogs,  fp.sound,    layer,      fp.userStore, fp.instance,
                          fp.clock, fp.regional, fp.program, fp.help,      fp.app};
    settings::WriteProfileString(fp.program.dir.File("Sirenwatch.ini"), "SetUp", "Language",
                                 "1");  // Italian
    fakes::TempDir hostDir;
    fakes::InstallHost(fp.userStore, hostDir.Path() + "/");
    builtin_host::BuiltinHost host(
        fp.clock, *builtin_host::HomeFromSettings(builtin_host::LoadHostSettings(hostDir.Path())));
    program::Sirenwatch program(ports, host);
    qt::FormWindow mainWindow(program.Main());  // after the program: goes first
    dialogs.real.SetOwner(&mainWindow);
    layer.SetWindow(&mainWindow);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(dialogs.scripted.boxes.empty()) << dialogs.scripted.boxes[0].text;
    mainWindow.show();
    host.OnTnc2Line(R"(Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/"5\}Car off the road, need help)");
    qt_host::MapView mapWindow(host.MapState(), host.Stations());
    mapWindow.SetHomeCallsign("N0CALL");
    mapWindow.show();

    // The user in the dialog; a form left open is hidden, so a failing test cannot hang.
    QTimer::singleShot(0, [&] {
        qt::FormWindow* dialog = dialogs.real.ModalWindow();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parentWidget(), &mainWindow);
        forms::FrmMarcaPunto& form = program.SpotForm();
        QTest::mouseClick(dialog->Find<QPushButton>(form.CmdColoreCerchio[3]), Qt::LeftButton);
        QTest::mouseClick(dialog->Find<QPushButton>(form.CmdColoreRiempimento[1]), Qt::LeftButton);
        auto* list = dialog->Find<QListWidget>(form.ListStile);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(6)).center());
        auto* width = dialog->Find<QScrollBar>(form.HSSpessoreCerchio);
        while (width->value() < 7) width->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        SaveScreenshot(*dialog, "dialog-spot-setup");
        QTest::mouseClick(dialog->Find<QPushButton>(form.CmdOk[0]), Qt::LeftButton);
        if (dialogs.real.ModalWindow() == dialog && form.Shown()) form.Hide();
    });
    QAction* spotSetUp = FindAction(mainWindow.MenuBar(), "Spot SetUp");
    ASSERT_NE(spotSetUp, nullptr);
    spotSetUp->trigger();
    EXPECT_EQ(dialogs.real.ModalWindow(), nullptr);

    const auto& circles = host.MapState().Circles();
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].color, 16711680);  // blue, 0x00BBGGRR
    EXPECT_EQ(circles[0].drawWidth, 7);
    EXPECT_EQ(circles[0].fillStyle, 6);
    EXPECT_EQ(circles[0].fillColor, 65535);  // yellow
    SaveScreenshot(mapWindow, "map-window");
}

// The main window's Lingua and unit menus, as the program wires them: the incident list and
// the dashboard follow at once, refusals included.
TEST(ProgramWindows, TheIncidentListAndTheDashboardFollowTheMainWindowsMenus) {
    fakes::FakePorts fp;
    fakes::ScriptedDialogs dialogs;
    qt::QtWindowLayer layer;
    platform::Ports ports{dialogs,  fp.sound,    layer,      fp.userStore, fp.instance,
                          fp.clock, fp.regional, fp.program, fp.help,      fp.app};
    settings::WriteProfileString(fp.program.dir.File("Sirenwatch.ini"), "SetUp", "Language",
                                 "1");  // Italian
    fakes::TempDir hostDir;
    fakes::InstallHost(fp.userStore, hostDir.Path() + "/");
    builtin_host::BuiltinHost host(
        fp.clock, *builtin_host::HomeFromSettings(builtin_host::LoadHostSettings(hostDir.Path())));
    program::Sirenwatch program(ports, host);
    qt::FormWindow mainWindow(program.Main());
    layer.SetWindow(&mainWindow);
    incidents::IncidentBook book;
    watch::WatchBoard board(host, program.Main(), book, "N0CALL", [] { return 1000; });
    board.SetProgramValues(program.Values());
    watch::FollowLanguageAndUnit(program.Main(), board);
    ASSERT_TRUE(program.Start());
    incident_ui::IncidentPanel list(board);
    int changes = 0;
    board.SetChangeListener([&changes] { ++changes; });
    EXPECT_EQ(list.windowTitle(), "Interventi");
    EXPECT_EQ(board.Current().languageCode, 1000);
    EXPECT_EQ(board.Act({dashboard::ActionKind::Note, "7", "Anna", "x"}).error().text,
              "nessun intervento 7");

    const auto click = [&](const ui::MenuItem& item) {
        QAction* action = FindAction(mainWindow.MenuBar(), QString::fromStdString(item.Caption()));
        ASSERT_NE(action, nullptr) << item.Caption();
        action->trigger();
    };
    click(program.Main().MnuNazione[1]);  // English
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(board.Current().languageCode, 2000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.windowTitle() == "Incidents"; }, 2000));
    EXPECT_EQ(board.Act({dashboard::ActionKind::Note, "7", "Anna", "x"}).error().text,
              "no incident 7");
    click(program.Main().MnuUnit[1]);  // miles
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(board.Current().miles);
}

}  // namespace
}  // namespace qttest
