// The Qt implementations of the platform ports.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <tuple>

#include "fakes/FakePorts.h"
#include "qt/QtDialogs.h"
#include "qt/QtPorts.h"
#include "qt/QtSound.h"

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
    // A folder it cannot write to does not claim another instance.
    EXPECT_FALSE(qt::QtSingleInstance("/proc/no-such-folder").AnotherInstanceRunning());
}

TEST(QtSingleInstance, TheLockLiesWithTheDataSoAnotherRuntimeFolderStillFindsIt) {
    QTemporaryDir data, runtimeA, runtimeB;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtimeA.path().toUtf8());
    qt::QtSingleInstance first;
    EXPECT_FALSE(first.AnotherInstanceRunning());
    qputenv("XDG_RUNTIME_DIR", runtimeB.path().toUtf8());
    qt::QtSingleInstance second;
    EXPECT_TRUE(second.AnotherInstanceRunning());
    EXPECT_TRUE(
        QFileInfo::exists(QString::fromStdString(qt::CurrentLayout().data) + "/sirenwatch.lock"));
    for (const auto& [name, old] :
         {std::pair{"XDG_DATA_HOME", oldData}, {"XDG_RUNTIME_DIR", oldRuntime}})
        old.isNull() ? qunsetenv(name) : qputenv(name, old);
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
    EXPECT_EQ(beeps, 1);
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
}

TEST(QtProgramInfo, NamesOurOwnExecutable) {
    qt::QtProgramInfo info;
    EXPECT_EQ(info.Folder(), QCoreApplication::applicationDirPath().toStdString());
    EXPECT_EQ(info.ExePath(), info.Folder() + "/qt_tests");
    EXPECT_EQ(info.ExeName(), "qt_tests");
}

}  // namespace
