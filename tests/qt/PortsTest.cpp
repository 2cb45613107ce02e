// The Qt implementations of the platform ports, and the host's map window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <fstream>

#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "qt/MapView.h"
#include "qt/QtDialogs.h"
#include "qt/QtPorts.h"
#include "qt/QtSound.h"

namespace {

TEST(QtRegional, QtDatePatternsBecomeTheCoreTokens) {
    struct Case {
        const char* qt;
        const char* core;
    };
    for (const Case& c :
         {Case{"dd/MM/yyyy", "dd/MM/yyyy"}, Case{"M/d/yy", "M/d/yy"}, Case{"dd.MM.yy", "dd.MM.yy"},
          Case{"yyyy-MM-dd", "yyyy-MM-dd"}, Case{"d MMM yyyy", "d MM yyyy"},
          Case{"dddd, d MMMM yyyy", "d MM yyyy"}, Case{"yyyy'年'M'月'd'日'", "yyyy年M月d日"},
          Case{"d'd' M y", "d M yyyy"}, Case{"MMMM", "dd/MM/yyyy"}, Case{"", "dd/MM/yyyy"}})
        EXPECT_EQ(qt::ToShortDatePattern(QString::fromUtf8(c.qt)), c.core) << c.qt;
}

TEST(QtRegional, DecimalSymbolAndDateFormatComeFromTheLocale) {
    qt::QtRegional italian(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(italian.decimalSymbol(), ",");
    EXPECT_EQ(italian.shortDateFormat(), "dd/MM/yy");
    qt::QtRegional american(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(american.decimalSymbol(), ".");
    EXPECT_EQ(american.shortDateFormat(), "M/d/yy");
    qt::QtRegional plainC(QLocale::c());
    EXPECT_EQ(plainC.decimalSymbol(), ".");
    EXPECT_EQ(plainC.shortDateFormat(), "dd/MM/yyyy");
}

TEST(QtSingleInstance, ASecondHolderFindsTheFirstUntilItEnds) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto first = std::make_unique<qt::QtSingleInstance>(dir.path());
    qt::QtSingleInstance second(dir.path());
    EXPECT_FALSE(first->AnotherInstanceRunning());
    EXPECT_FALSE(first->AnotherInstanceRunning()) << "asking again keeps our own lock";
    EXPECT_TRUE(second.AnotherInstanceRunning());
    first.reset();
    EXPECT_FALSE(second.AnotherInstanceRunning());
}

TEST(QtSingleInstance, AnUnwritableFolderDoesNotClaimAnotherInstance) {
    qt::QtSingleInstance instance("/proc/no-such-folder");
    EXPECT_FALSE(instance.AnotherInstanceRunning());
}

class QtHelpTest : public ::testing::Test {
protected:
    QtHelpTest() {
        chm = dir.filePath("Sirenwatch.chm");
        html = dir.filePath("help/index.html");
        QDir(dir.path()).mkpath("help");
        std::ofstream(chm.toStdString()) << "ITSF";
        std::ofstream(html.toStdString()) << "<html></html>";
    }
    qt::QtHelp Help(bool chmHandler) {
        return qt::QtHelp(
            html,
            [this](const QUrl& url) {
                opened.push_back(url.toLocalFile());
                return true;
            },
            [chmHandler] { return chmHandler; });
    }

    QTemporaryDir dir;
    QString chm, html;
    std::vector<QString> opened;
};

TEST_F(QtHelpTest, OpensTheChmWhereTheDesktopHasAViewer) {
    Help(true).Open(chm.toStdString());
    EXPECT_EQ(opened, std::vector<QString>{chm});
}

TEST_F(QtHelpTest, OpensTheHtmlHelpWhereThereIsNoChmViewerOrNoChm) {
    Help(false).Open(chm.toStdString());
    QFile::remove(chm);
    Help(true).Open(chm.toStdString());
    EXPECT_EQ(opened, (std::vector<QString>{html, html}));
}

TEST(QtSound, AMissingFileGivesTheBeep) {
    int beeps = 0;
    qt::QtSound sound([&] { ++beeps; });
    sound.Play("/no/such/folder/lowtemp.wav");
    sound.Play("/no/such/folder/lowtemp.wav");
    EXPECT_EQ(beeps, 2);
}

struct BoxCase {
    platform::Icon icon;
    platform::Buttons buttons;
    std::optional<std::string> title;
    QMessageBox::Icon qtIcon;
    int buttonCount;
    const char* shownTitle;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.shownTitle << ", " << c.buttonCount << " button(s), icon " << int(c.qtIcon);
}

class QtMessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(QtMessageBox, ShowsIconButtonsAndTitleAndReturnsTheAnswer) {
    const BoxCase& c = GetParam();
    qt::QtDialogs dialogs;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->icon(), c.qtIcon);
        EXPECT_EQ(box->buttons().size(), c.buttonCount);
        EXPECT_EQ(box->windowTitle(), c.shownTitle);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->text(), "<b>Q1ABC</b>\nsecond line");
        box->escapeButton()->click();  // Esc or the title bar: Cancel where there is one
    });
    platform::Answer answer =
        dialogs.MsgBox("<b>Q1ABC</b>\rsecond line", c.buttons, c.icon, c.title);
    EXPECT_TRUE(seen);
    EXPECT_EQ(answer, c.buttons == platform::Buttons::OkCancel ? platform::Answer::Cancel
                                                               : platform::Answer::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    IconsAndButtons, QtMessageBox,
    ::testing::Values(BoxCase{platform::Icon::Critical, platform::Buttons::OkCancel, std::nullopt,
                              QMessageBox::Critical, 2, "Sirenwatch"},
                      BoxCase{platform::Icon::Question, platform::Buttons::OkCancel, "Attention !!",
                              QMessageBox::Question, 2, "Attention !!"},
                      BoxCase{platform::Icon::Exclamation, platform::Buttons::Ok, std::nullopt,
                              QMessageBox::Warning, 1, "Sirenwatch"},
                      BoxCase{platform::Icon::Information, platform::Buttons::Ok, "Info",
                              QMessageBox::Information, 1, "Info"}));

TEST(QtWindowLayer, TopmostOnAndOffKeepsTheWindowOnScreen) {
    QWidget window;
    qt::QtWindowLayer layer;
    layer.SetTopmost(true);  // before the window exists: applied when it is set
    layer.SetWindow(&window);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window.show();
    layer.SetTopmost(false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    layer.SetTopmost(true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
}

TEST(QtProgramInfo, NamesOurOwnExecutable) {
    qt::QtProgramInfo info;
    EXPECT_EQ(info.ExeName(), "qt_tests");
    EXPECT_EQ(info.Folder(), QCoreApplication::applicationDirPath().toStdString());
    EXPECT_EQ(info.ExePath(), info.Folder() + "/qt_tests");
    EXPECT_EQ(info.Version().major, SIRENWATCH_VERSION_MAJOR);
}

TEST(QtApplication, QuitEndsTheRunningEventLoop) {
    qt::QtApplication app;
    QTimer::singleShot(0, [&] { app.Quit(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });  // a bound, never reached
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST(MapView, DrawsTheCirclesAndClosingItClosesTheHost) {
    builtin_host::HostMap map;
    builtin_host::StationList stations({45.5, 9.2});
    qt::MapView view(map, stations);
    int closes = 0;
    view.onClose = [&] { ++closes; };
    view.resize(400, 400);
    view.show();
    map.SetDrawWidth(3);
    map.SetFillStyle(0);
    map.SetFillColor(65280);
    map.DrawCircle(9.2f * 60, 45.5f * 60, 2, 255, 0, 0, 1);
    ASSERT_EQ(map.Circles().size(), 1u);
    QImage image = view.grab().toImage();
    // The circle sits on the home station: its fill is round the centre.
    EXPECT_EQ(image.pixelColor(200 + 5, 200 + 5), QColor(0, 255, 0));
    view.close();
    EXPECT_EQ(closes, 1);
}

TEST(MapView, ZoomingChangesTheScaleAndRedrawsTheMap) {
    builtin_host::HostMap map;
    builtin_host::StationList stations({45.5, 9.2});
    qt::MapView view(map, stations);
    view.SetSpanKm(50);
    view.resize(400, 400);
    const auto redraws = map.RedrawCount();
    QWheelEvent zoomOut(QPointF(200, 200), QPointF(200, 200), QPoint(), QPoint(0, -120),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &zoomOut);
    EXPECT_FLOAT_EQ(map.GetScale(), 62.5f);
    EXPECT_EQ(map.RedrawCount(), redraws + 1);
}

}  // namespace
