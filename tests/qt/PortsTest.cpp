// The Qt implementations of the platform ports, and the host's map window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <fstream>
#include <tuple>

#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "fakes/FakePorts.h"
#include "qt/QtDialogs.h"
#include "qt/QtPorts.h"
#include "qt/QtSound.h"
#include "qt_host/MapView.h"

namespace {

TEST(QtRegional, DecimalSymbolAndDateFormatComeFromTheLocale) {
    for (auto [locale, decimal, date] :
         {std::tuple{QLocale(QLocale::Italian, QLocale::Italy), ",", "dd/MM/yy"},
          std::tuple{QLocale(QLocale::English, QLocale::UnitedStates), ".", "M/d/yy"},
          std::tuple{QLocale::c(), ".", "dd/MM/yyyy"}}) {
        qt::QtRegional regional(locale);
        EXPECT_EQ(regional.decimalSymbol(), decimal) << date;
        EXPECT_EQ(regional.shortDateFormat(), date);
    }
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

TEST(QtHelp, OpensTheChmWhereTheDesktopHasAViewerElseOurHtmlHelpElseSaysSo) {
    QTemporaryDir dir;
    const QString chm = dir.filePath("Sirenwatch.chm"), html = dir.filePath("index.html");
    std::ofstream(chm.toStdString()) << "ITSF";
    std::ofstream(html.toStdString()) << "<html></html>";
    std::vector<QString> opened;
    fakes::ScriptedDialogs dialogs;
    auto help = [&](bool chmViewer) {
        return qt::QtHelp(
            html, [&](const QUrl& url) { return opened.push_back(url.toLocalFile()), true; },
            [chmViewer] { return chmViewer; }, &dialogs);
    };
    help(true).Open(chm.toStdString());
    help(false).Open(chm.toStdString());
    QFile::remove(chm);
    help(true).Open(chm.toStdString());
    EXPECT_EQ(opened, (std::vector<QString>{chm, html, html}));
    EXPECT_TRUE(dialogs.notices.empty());

    QFile::remove(html);
    help(true).Open(chm.toStdString());
    EXPECT_EQ(opened.size(), 3u);
    ASSERT_EQ(dialogs.notices.size(), 1u);
    EXPECT_EQ(dialogs.notices[0].icon, platform::Icon::Exclamation);
    EXPECT_EQ(dialogs.notices[0].text,
              "The help could not be opened: Sirenwatch.chm is missing, and " + html.toStdString() +
                  " is missing.");
}

TEST(QtSound, AMissingFileGivesTheBeep) {
    int beeps = 0;
    qt::QtSound sound([&] { ++beeps; });
    sound.Play("/no/such/folder/lowtemp.wav");
    sound.Play("/no/such/folder/lowtemp.wav");
    EXPECT_EQ(beeps, 2);
}

TEST(QtMessageBox, ShowsIconButtonsAndTitleAndReturnsTheAnswer) {
    using platform::Buttons, platform::Icon;
    struct Case {
        Icon icon;
        Buttons buttons;
        std::optional<std::string> title;
        QMessageBox::Icon qtIcon;
        const char* shownTitle;
    };
    for (const Case& c :
         {Case{Icon::Critical, Buttons::OkCancel, {}, QMessageBox::Critical, "Sirenwatch"},
          Case{Icon::Question, Buttons::OkCancel, "Attention !!", QMessageBox::Question,
               "Attention !!"},
          Case{Icon::Exclamation, Buttons::Ok, {}, QMessageBox::Warning, "Sirenwatch"},
          Case{Icon::Information, Buttons::Ok, "Info", QMessageBox::Information, "Info"}}) {
        const bool okCancel = c.buttons == Buttons::OkCancel;
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->icon(), c.qtIcon);
            EXPECT_EQ(box->buttons().size(), okCancel ? 2 : 1);
            EXPECT_EQ(box->windowTitle(), c.shownTitle);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->text(), "<b>Q1ABC</b>\nsecond line");
            box->escapeButton()->click();  // Esc or the title bar: Cancel where there is one
        });
        qt::QtDialogs dialogs;
        auto answer = dialogs.MsgBox("<b>Q1ABC</b>\rsecond line", c.buttons, c.icon, c.title);
        EXPECT_TRUE(seen) << c.shownTitle;
        EXPECT_EQ(answer, okCancel ? platform::Answer::Cancel : platform::Answer::Ok);
    }
}

TEST(QtNotice, ReturnsAtOnceKeepsOneOpenAndGoesAwayWhenClosed) {
    QWidget owner;
    qt::QtDialogs dialogs;
    dialogs.SetOwner(&owner);
    dialogs.Notice("<b>GetLatitude failed</b>\rsecond line", platform::Icon::Exclamation);

    QPointer<QMessageBox> box = dialogs.OpenNotice();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->windowTitle(), "Sirenwatch");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), "<b>GetLatitude failed</b>\nsecond line");

    dialogs.Notice("RedrawMap failed", platform::Icon::Exclamation);  // still one box
    EXPECT_EQ(dialogs.OpenNotice(), box.data());
    EXPECT_EQ(box->text(), "RedrawMap failed");
    EXPECT_EQ(owner.findChildren<QMessageBox*>().size(), 1);

    box->button(QMessageBox::Ok)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull());
    EXPECT_EQ(dialogs.OpenNotice(), nullptr);

    dialogs.Notice("GetAltitude failed", platform::Icon::Exclamation);  // a fresh one
    ASSERT_NE(dialogs.OpenNotice(), nullptr);
    EXPECT_TRUE(dialogs.OpenNotice()->isVisible());
}

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
    EXPECT_EQ(info.Folder(), QCoreApplication::applicationDirPath().toStdString());
    EXPECT_EQ(info.ExePath(), info.Folder() + "/qt_tests");
    EXPECT_EQ(info.ExeName(), "qt_tests");
}

// The host's map window over its own map state.
struct MapWindow {
    builtin_host::HostMap map;
    builtin_host::StationList stations{{45.5, 9.2}};
    qt_host::MapView view{map, stations};
    MapWindow() { view.resize(400, 400); }
};

TEST(MapView, DrawsTheCirclesAndClosingItClosesTheHost) {
    MapWindow w;
    int closes = 0;
    w.view.onClose = [&] { ++closes; };
    w.view.show();
    w.map.SetDrawWidth(3);
    w.map.SetFillStyle(0);
    w.map.SetFillColor(65280);
    w.map.DrawCircle(9.2f * 60, 45.5f * 60, 2, 255, 0, 0, 1);
    QImage image = w.view.grab().toImage();
    // The circle sits on the home station: its fill is round the centre.
    EXPECT_EQ(image.pixelColor(200 + 5, 200 + 5), QColor(0, 255, 0));
    w.view.close();
    EXPECT_EQ(closes, 1);
}

// The view opens as wide as the map's scale says, each wheel step changes that by a quarter
// and redraws the map, and the scale is told in the user's unit.
TEST(MapView, OpensAtTheMapsScaleWhichEachWheelStepChangesByAQuarter) {
    builtin_host::HostMap map;
    map.SetScale(100);
    builtin_host::StationList stations{{45.5, 9.2}};
    qt_host::MapView view{map, stations};
    view.resize(400, 300);
    EXPECT_EQ(view.ScaleText(), "20 km    Scale 100 km");
    bool miles = true;
    view.inMiles = [&] { return miles; };
    EXPECT_EQ(view.ScaleText(), "20 mi    Scale 62.1 mi");

    const auto redraws = map.RedrawCount();
    for (const auto& [delta, scale] : {std::pair{120, 80.f}, {-120, 100.f}, {-120, 125.f}}) {
        QWheelEvent wheel(QPointF(200, 150), QPointF(200, 150), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &wheel);
        EXPECT_FLOAT_EQ(map.GetScale(), scale) << delta;
    }
    EXPECT_EQ(map.RedrawCount(), redraws + 3);
}

// On an empty map (no base map, nothing heard) nothing is drawn where the warning band goes.
TEST(MapView, TheWarningBandCoversNothingTheMapShows) {
    MapWindow w;
    const QImage image = w.view.grab().toImage();
    const QColor background = image.pixelColor(image.width() - 1, 0);
    int drawn = 0;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < image.width(); ++x) drawn += image.pixelColor(x, y) != background;
    EXPECT_EQ(drawn, 0);
}

}  // namespace
