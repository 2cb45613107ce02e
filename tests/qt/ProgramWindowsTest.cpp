// The program's windows on the Qt front end: captions in both languages, the alarm's blink and
// its acknowledgement, the dialogs, and the host's map window. Screenshots go under the build
// folder.
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "qt/GridView.h"
#include "qt/QtWorld.h"
#include "qt/ShapeWidget.h"

namespace qttest {
namespace {

struct LanguageCase {
    int language;
    const char* screenshot;
    const char* acknowledge;
    const char* panel;
    const char* callsignHeader;
    const char* languageMenu;
};

void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.screenshot;
}

class MainWindowCaptions : public QtWorld, public ::testing::WithParamInterface<LanguageCase> {
protected:
    MainWindowCaptions() : QtWorld(GetParam().language) {}
};

TEST_P(MainWindowCaptions, ShowTheChosenLanguage) {
    const LanguageCase& c = GetParam();
    StartAndShow();
    auto* ack = mainWindow->Find<QPushButton>(Main().CmdTacitaAllarme);
    auto* panel = mainWindow->Find<QGroupBox>(Main().Frame1);
    auto* table = mainWindow->Find<qt::GridView>(Main().FGridStazioni);
    ASSERT_TRUE(ack && panel && table);
    EXPECT_EQ(ack->text(), QString::fromUtf8(c.acknowledge));
    EXPECT_EQ(panel->title(), QString::fromUtf8(c.panel));
    EXPECT_EQ(table->Model().index(0, 0).data().toString(), QString::fromUtf8(c.callsignHeader));
    EXPECT_NE(FindAction(mainWindow->MenuBar(), QString::fromUtf8(c.languageMenu)), nullptr);
    SaveScreenshot(*mainWindow, c.screenshot);
}

INSTANTIATE_TEST_SUITE_P(
    BothLanguages, MainWindowCaptions,
    ::testing::Values(LanguageCase{1, "main-italian", "Tacitazione Allarme",
                                   "Ultima Emergenza Ricevuta", "Nominativo", "Lingua"},
                      LanguageCase{2, "main-english", "Acknowledged",
                                   "Last Received Emergency Beacon", "Callsign", "Language"}),
    [](const auto& info) { return info.param.language == 1 ? "Italian" : "English"; });

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
    EXPECT_EQ(timer->interval(), 2000);
    Main().TimerAllarme.Tick();  // what the QTimer does every two seconds
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

TEST_F(ProgramWindows, SpotSetUpPicksReachThePreviewAndTheMap) {
    StartAndShow();
    host->OnTnc2Line(kEmergencyFrame);
    mapView->show();
    bool previewChecked = false;
    WhenModal([&](qt::FormWindow& dialog) {
        forms::FrmMarcaPunto& form = program->SpotForm();
        QTest::mouseClick(dialog.Find<QPushButton>(form.CmdColoreCerchio[3]), Qt::LeftButton);
        QTest::mouseClick(dialog.Find<QPushButton>(form.CmdColoreRiempimento[1]), Qt::LeftButton);
        auto* list = dialog.Find<QListWidget>(form.ListStile);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(6)).center());
        auto* width = dialog.Find<QScrollBar>(form.HSSpessoreCerchio);
        while (width->value() < 7) width->triggerAction(QAbstractSlider::SliderSingleStepAdd);

        auto* preview = dialog.Find<qt::ShapeWidget>(form.ShapeCerchio);
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->LinePen().color(), QColor(0, 0, 255));
        EXPECT_EQ(preview->LinePen().width(), 7);
        EXPECT_EQ(preview->FillBrush().style(), Qt::CrossPattern);
        EXPECT_EQ(preview->FillBrush().color(), QColor(255, 255, 0));
        EXPECT_EQ(dialog.Find<QLabel>(form.LblValore)->text(), "7");
        previewChecked = true;
        SaveScreenshot(dialog, "dialog-spot-setup");
        QTest::mouseClick(dialog.Find<QPushButton>(form.CmdOk[0]), Qt::LeftButton);
    });
    Trigger("Spot SetUp");
    EXPECT_TRUE(previewChecked);
    EXPECT_EQ(dialogs.real.ModalWindow(), nullptr);

    const auto& circles = host->MapState().Circles();
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].color, 16711680);  // blue, 0x00BBGGRR
    EXPECT_EQ(circles[0].drawWidth, 7);
    EXPECT_EQ(circles[0].fillStyle, 6);
    EXPECT_EQ(circles[0].fillColor, 65535);  // yellow
    SaveScreenshot(*mapView, "map-window");
}

TEST_F(ProgramWindows, RegistrationDialogAndInformationBox) {
    StartAndShow();
    WhenModal([&](qt::FormWindow& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Sirenwatch XTR SetUp");
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
    // Every modal dialog is shown with the main window out of the topmost layer, then back.
    EXPECT_TRUE(mainWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(mainWindow->isVisible());
}

TEST_F(ProgramWindows, DoubleClickOnAStationAsksAndRemovesIt) {
    StartAndShow();
    host->OnTnc2Line(kEmergencyFrame);
    auto* table = mainWindow->Find<qt::GridView>(Main().FGridStazioni);
    dialogs.scripted.NextAnswer(platform::Answer::Ok);
    ClickCell(*table, 1, 0, true);  // on the callsign
    ASSERT_EQ(dialogs.scripted.boxes.size(), 1u);
    EXPECT_EQ(dialogs.scripted.boxes[0].icon, platform::Icon::Critical);
    EXPECT_EQ(table->Model().index(1, 0).data().toString(), "") << "the only station goes";
    EXPECT_TRUE(host->MapState().Circles().empty());
}

TEST_F(ProgramWindows, ClosingTheMainWindowEndsTheProgram) {
    StartAndShow();
    mainWindow->close();
    EXPECT_EQ(fp.app.quitCount, 1);
}

}  // namespace
}  // namespace qttest
