// The whole program on the Qt front end, on one path: a modal dialog under the main window,
// worked with the mouse, reaching the host's map. The rules behind it are the core's tests
// (SpotDialog, InfoBox, Alarm, Captions); the widgets' own behaviour is BindersTest's and
// GridModelTest's. Screenshots go under the build folder, for people to look at.
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "qt/QtWorld.h"
#include "qt_host/MapView.h"

namespace qttest {
namespace {

class ProgramWindows : public QtWorld {};

TEST_F(ProgramWindows, SpotSetUpPicksReachTheMap) {
    StartAndShow();
    host->OnTnc2Line(kEmergencyFrame);
    qt_host::MapView mapWindow(host->MapState(), host->Stations());
    mapWindow.SetHomeCallsign("N0CALL");
    mapWindow.show();
    WhenModal([&](qt::FormWindow& dialog) {
        EXPECT_EQ(dialog.parentWidget(), mainWindow.get());
        forms::FrmMarcaPunto& form = program->SpotForm();
        QTest::mouseClick(dialog.Find<QPushButton>(form.CmdColoreCerchio[3]), Qt::LeftButton);
        QTest::mouseClick(dialog.Find<QPushButton>(form.CmdColoreRiempimento[1]), Qt::LeftButton);
        auto* list = dialog.Find<QListWidget>(form.ListStile);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(6)).center());
        auto* width = dialog.Find<QScrollBar>(form.HSSpessoreCerchio);
        while (width->value() < 7) width->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        SaveScreenshot(dialog, "dialog-spot-setup");
        QTest::mouseClick(dialog.Find<QPushButton>(form.CmdOk[0]), Qt::LeftButton);
    });
    Trigger("Spot SetUp");
    EXPECT_EQ(dialogs.real.ModalWindow(), nullptr);

    const auto& circles = host->MapState().Circles();
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].color, 16711680);  // blue, 0x00BBGGRR
    EXPECT_EQ(circles[0].drawWidth, 7);
    EXPECT_EQ(circles[0].fillStyle, 6);
    EXPECT_EQ(circles[0].fillColor, 65535);  // yellow
    SaveScreenshot(mapWindow, "map-window");
}

}  // namespace
}  // namespace qttest
