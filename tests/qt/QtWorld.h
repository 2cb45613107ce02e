// The whole program on the Qt front end, offscreen: the real composition root
// against the built-in host, real form windows and modal dialogs; message boxes
// scripted.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "fakes/FakePorts.h"
#include "program/Sirenwatch.h"
#include "qt/FormWindow.h"
#include "qt/GridView.h"
#include "qt/QtDialogs.h"
#include "qt/QtPorts.h"
#include "qt_host/dashboard/DashboardSource.h"
#include "settings/ProfileFile.h"

namespace qttest {

// Message boxes answered by script (a test never waits on one), notices
// recorded; forms shown for real.
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

inline void SaveScreenshot(QWidget& widget, const QString& name) {
    QDir dir(QStringLiteral(SIRENWATCH_SCREENSHOT_DIR));
    dir.mkpath(QStringLiteral("."));
    QString path = dir.filePath(name + QStringLiteral(".png"));
    EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
    std::printf("screenshot: %s\n", qPrintable(path));
}

// The colour a table cell shows on screen once pending paints are done, at its
// bottom-left corner: clear of the text and of the grid lines. Taken from the
// window's backing store, so a cell that missed a repaint still shows its old
// colour. Invalid when the cell is out of sight.
inline QColor PaintedColor(qt::GridView& view, int row, int col) {
    QRect cell = view.CellRect(row, col);
    if (cell.isEmpty()) return {};
    QApplication::processEvents();
    QPoint at = view.mapTo(view.window(), cell.bottomLeft() + QPoint(1, -1));
    return view.screen()
        ->grabWindow(view.window()->winId(), at.x(), at.y(), 1, 1)
        .toImage()
        .pixelColor(0, 0);
}

// Clicks a table cell where it shows, as a user would: the events go to the
// part of the view under the cell's centre (the body, a header or the corner).
// A double-click follows a click.
inline void ClickCell(qt::GridView& view, int row, int col, bool twice = false) {
    QPoint at = view.CellRect(row, col).center();
    QWidget* target = view.childAt(at);
    ASSERT_NE(target, nullptr) << "cell " << row << "," << col << " is out of sight";
    QPoint local = target->mapFrom(&view, at);
    QTest::mouseClick(target, Qt::LeftButton, {}, local);
    if (twice) QTest::mouseDClick(target, Qt::LeftButton, {}, local);
}

// The menu action with this text, searched through the whole bar.
inline QAction* FindAction(QWidget* container, const QString& text) {
    for (QAction* action : container->actions()) {
        if (action->text() == text) return action;
        if (action->menu())
            if (QAction* found = FindAction(action->menu(), text)) return found;
    }
    return nullptr;
}

// A dashboard source holding what the test puts in it, recording the actions
// asked of it.
class FakeSource final : public qt_host::dashboard::Source {
public:
    qt_host::dashboard::Snapshot Current() const override { return snapshot; }
    qt_host::dashboard::ActionResult Act(const qt_host::dashboard::Action& action) override {
        actions.push_back(action);
        return next;
    }
    qt_host::dashboard::Snapshot snapshot;
    std::vector<qt_host::dashboard::Action> actions;
    qt_host::dashboard::ActionResult next{true, {}};
};

inline constexpr char kEmergencyFrame[] =
    R"(Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/"5\}Car off the road, need help)";

class QtWorld : public ::testing::Test {
protected:
    QtWorld() {
        settings::WriteProfileString(fp.program.dir.File("Sirenwatch.ini"), "SetUp", "Language",
                                     "1");  // Italian
        fakes::InstallHost(fp.userStore, hostDir.Path() + "/");
        host = std::make_unique<builtin_host::BuiltinHost>(
            fp.clock,
            *builtin_host::HomeFromSettings(builtin_host::LoadHostSettings(hostDir.Path())));
        program = std::make_unique<program::Sirenwatch>(ports, *host);
        mainWindow = std::make_unique<qt::FormWindow>(program->Main());
        dialogs.real.SetOwner(mainWindow.get());
        layer.SetWindow(mainWindow.get());
    }

    void StartAndShow() {
        ASSERT_TRUE(program->Start());
        ASSERT_TRUE(dialogs.scripted.boxes.empty()) << dialogs.scripted.boxes[0].text;
        mainWindow->show();
        QApplication::processEvents();
    }

    // Runs what the user does in the next modal dialog; hides the form afterwards
    // if the user left it open, so a failing test cannot hang.
    void WhenModal(std::function<void(qt::FormWindow&)> user) {
        QTimer::singleShot(0, [this, user] {
            qt::FormWindow* window = dialogs.real.ModalWindow();
            if (!window) return ADD_FAILURE() << "no modal window";
            user(*window);
            if (dialogs.real.ModalWindow() == window && window->Form().Shown())
                window->Form().Hide();
        });
    }
    void Trigger(const QString& menu) {
        QAction* action = FindAction(mainWindow->MenuBar(), menu);
        ASSERT_NE(action, nullptr) << menu.toStdString();
        action->trigger();
    }

    fakes::FakePorts fp;
    HybridDialogs dialogs;
    qt::QtWindowLayer layer;
    platform::Ports ports{dialogs,  fp.sound,    layer,      fp.userStore, fp.instance,
                          fp.clock, fp.regional, fp.program, fp.help,      fp.app};
    fakes::TempDir hostDir;
    std::unique_ptr<builtin_host::BuiltinHost> host;
    std::unique_ptr<program::Sirenwatch> program;
    std::unique_ptr<qt::FormWindow> mainWindow;  // declared after the program: goes first
};

}  // namespace qttest
