// A window for any form model: builds the widgets of its controls and menus with the
// binders, and follows its caption, icon, position, minimised state and shown state.
// Moving or minimising the window is written back into the form.
#pragma once

#include <QMenuBar>
#include <QWidget>
#include <map>

#include "ui/Controls.h"

namespace qt {

class DisplayPacer;
class GridView;

class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(ui::Form& form, QWidget* parent = nullptr);

    ui::Form& Form() const { return form_; }
    // The widget made for one of the form's controls (nullptr for a timer or a stranger).
    QWidget* WidgetFor(const ui::Control& control) const;
    template <typename W>
    W* Find(const ui::Control& control) const {
        return qobject_cast<W*>(WidgetFor(control));
    }
    QMenuBar* MenuBar() const { return menuBar_; }
    // Paces the drawing of the window's controls while frames are being handled.
    DisplayPacer& Pacer() const { return *pacer_; }

signals:
    // The form was hidden (Form::Hide) or the window went away: a modal display ends here.
    void formHidden();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildControls();
    QWidget* Bind(ui::Control& control, QWidget* parent);
    void FollowForm();

    ui::Form& form_;
    DisplayPacer* pacer_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    std::map<const ui::Control*, QWidget*> widgets_;
    bool shown_ = false;
    bool following_ = false;  // applying the model: do not write back
};

}  // namespace qt
