// The program's windows on the Qt front end: the chosen language on screen, the alarm's blink
// and its acknowledgement, the modal dialogs, and the host's map window. Screenshots go under
// the build folder, for people to look at.
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "qt/GridView.h"
#include "qt/QtWorld.h"
#include "qt_host/MapView.h"

namespace qttest {
namespace {

// 1 Italian, 2 English.
class MainWindowInLanguage : public QtWorld, public ::testing::WithParamInterface<int> {
protected:
    MainWindowInLanguage() : QtWorld(GetParam()) {}
};

TEST_P(MainWindowInLanguage, ShowsItsCaptions) {
    const bool english = GetParam() == 2;
    StartAndShow();
    auto* ack = mainWindow->Find<QPushButton>(Main().CmdTacitaAllarme);
    auto* panel = mainWindow->Find<QGroupBox>(Main().Frame1);
    ASSERT_TRUE(ack && panel);
    EXPECT_EQ(ack->text(), english ? "Acknowledged" : "Tacitazione Allarme");
    EXPECT_EQ(panel->title(),
              english ? "Last Received Emergency Beacon" : "Ultima Emergenza Ricevuta");
    SaveScreenshot(*mainWindow, english ? "main-english" : "main-italian");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, MainWindowInLanguage, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Italian" : "English"; });

class ProgramWindows : public QtWorld {};

TEST_F(ProgramWindows, AcknowledgeButtonStopsTheBlink) {
    StartAndShow();
    auto* table = mainWindow->Find<qt::GridView>(Main().FGridStazioni);
    auto* ack = mainWindow->Find<QPushButton>(Main().CmdTacitaAllarme);
    auto* timer = mainWindow->findChild<QTimer*>("TimerAllarme");
    ASSERT_TRUE(table && ack && timer);

    host->OnTnc2Line(kEmergencyFrame);
    EXPECT_EQ(table->Model().index(1, 0).data().toString(), "Q7MOB-9");
    EXPECT_TRUE(timer->isActive());
    QMetaObject::invokeMethod(timer, "timeout");  // what the event loop does every two seconds
    const QColor red(255, 0, 0), lightGreen(128, 255, 128);
    EXPECT_EQ(PaintedColor(*table, 0, 3), red);
    EXPECT_EQ(PaintedColor(*table, 1, 0), red);
    EXPECT_NE(PaintedColor(*table, 1, 3), red) << "only the fixed cells blink";
    SaveScreenshot(*mainWindow, "main-alarm");

    QTest::mouseClick(ack, Qt::LeftButton);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(PaintedColor(*table, 0, 3), lightGreen);
    EXPECT_EQ(PaintedColor(*table, 1, 0), lightGreen);
}

TEST_F(ProgramWindows, SpotSetUpPicksReachTheMap) {
    StartAndShow();
    host->OnTnc2Line(kEmergencyFrame);
    qt_host::MapView mapWindow(host->MapState(), host->Stations());
    mapWindow.SetHomeCallsign("N0CALL");
    mapWindow.show();
    WhenModal([&](qt::FormWindow& dialog) {
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

TEST_F(ProgramWindows, RegistrationDialogAndInformationBoxAreModalUnderTheMainWindow) {
    StartAndShow();
    WhenModal([&](qt::FormWindow& dialog) {
        EXPECT_EQ(dialog.parentWidget(), mainWindow.get());
        EXPECT_FALSE(mainWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        SaveScreenshot(dialog, "dialog-xtr");
        dialog.close();  // the title bar: nothing written
    });
    Trigger("File XTR");
    EXPECT_FALSE(program->XtrForm().Shown());

    WhenModal([&](qt::FormWindow& dialog) {
        SaveScreenshot(dialog, "dialog-info");
        QTest::mouseClick(dialog.Find<QPushButton>(program->InfoForm().CmdOk), Qt::LeftButton);
    });
    Trigger("Info");
    EXPECT_FALSE(program->InfoForm().Shown());
    // Back in the topmost layer after each dialog, and still on screen.
    EXPECT_TRUE(mainWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(mainWindow->isVisible());
}

}  // namespace
}  // namespace qttest
