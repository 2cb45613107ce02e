// What the Qt tests share: screenshots for people to look at, the station table's cells as
// painted and clicked, the menu bar's actions.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "qt/GridView.h"

namespace qttest {

inline void SaveScreenshot(QWidget& widget, const QString& name) {
    QDir dir(QStringLiteral(SIRENWATCH_SCREENSHOT_DIR));
    dir.mkpath(QStringLiteral("."));
    QString path = dir.filePath(name + QStringLiteral(".png"));
    EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
    std::printf("screenshot: %s\n", qPrintable(path));
}

// The colour a table cell shows on screen once pending paints are done, at its bottom-left
// corner: clear of the text and of the grid lines. Taken from the window's backing store, so a
// cell that missed a repaint still shows its old colour. Invalid when the cell is out of sight.
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

// Clicks a table cell where it shows, as a user would: the events go to the part of the view
// under the cell's centre (the body, a header or the corner). A double-click follows a click.
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

}  // namespace qttest
