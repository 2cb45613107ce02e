// One binder per kind of control model: each creates the Qt widget for a model, places it
// from its twips geometry, follows the model's changes and forwards the user's actions to
// the model's handlers. A model must outlive the widget bound to it; a widget may go first.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <vector>

#include "ui/Controls.h"
#include "ui/Grid.h"

namespace qt {

class ShapeWidget;
class GridView;

QLabel* bindLabel(ui::Label& model, QWidget* parent);
// A QLineEdit, or for a multi-line box a read-only QPlainTextEdit that still forwards keys.
QWidget* bindTextBox(ui::TextBox& model, QWidget* parent);
QPushButton* bindButton(ui::Button& model, QWidget* parent);
QCheckBox* bindCheckBox(ui::CheckBox& model, QWidget* parent);
QListWidget* bindListBox(ui::ListBox& model, QWidget* parent);
QScrollBar* bindScrollBar(ui::ScrollBar& model, QWidget* parent);
ShapeWidget* bindShape(ui::Shape& model, QWidget* parent);
QGroupBox* bindFrame(ui::Frame& model, QWidget* parent);
QLabel* bindImage(ui::Image& model, QWidget* parent);
GridView* bindGrid(ui::Grid& model, QWidget* parent);
// A timer has no widget: the QTimer is owned by parent.
QTimer* bindTimer(ui::Timer& model, QObject* parent);
// The timers of a form that has no window (headless), each owned by parent and named after
// its model.
void bindFormTimers(ui::Form& form, QObject* parent);
// Fills the bar with the menu tree; each item's action follows caption, check mark,
// visibility and enabled state.
void bindMenus(const std::vector<ui::MenuItem*>& menus, QMenuBar* bar);

// The program's icon for an icon name ("sirenwatch"); a null icon for an unknown name.
QIcon IconFor(const std::string& name);

}  // namespace qt
