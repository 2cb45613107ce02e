// Builds and follows the window of a form model.
#include "qt/FormWindow.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMoveEvent>

#include "qt/Binders.h"
#include "qt/DisplayPacer.h"
#include "qt/GridView.h"
#include "qt/SafeCall.h"
#include "qt/ShapeWidget.h"
#include "qt/Twips.h"

namespace qt {

namespace {
// The forms were laid out for an 8-point system font.
constexpr int kFormFontPoints = 8;
}  // namespace

FormWindow::FormWindow(ui::Form& form, QWidget* parent)
    : QWidget(parent, parent ? Qt::Dialog : Qt::Window),
      form_(form),
      pacer_(new DisplayPacer(this)) {  // before the controls: their binders look for it
    setObjectName(QString::fromStdString(form.Name()));
    QFont f = font();
    // A narrow sans serif where there is one: the controls are sized for one.
    f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                   QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans Condensed"),
                   f.family()});
    f.setPointSize(kFormFontPoints);
    setFont(f);

    int top = 0;
    if (!form.Menus().empty()) {
        menuBar_ = new QMenuBar(this);
        bindMenus(form.Menus(), menuBar_);
        top = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, 0, top);
    }
    client_ = new QWidget(this);
    double dpi = LogicalDpi(this);
    QSize client(TwipsToPixels(form.Width(), dpi), TwipsToPixels(form.Height(), dpi));
    client_->setGeometry(0, top, client.width(), client.height());
    if (menuBar_) menuBar_->setFixedWidth(client.width());
    setFixedSize(client.width(), top + client.height());
    BuildControls();

    QPointer<FormWindow> self(this);
    form_.Subscribe([self] {
        if (self) self->FollowForm();
    });
    shown_ = form_.Shown();
    FollowForm();
}

QWidget* FormWindow::WidgetFor(const ui::Control& control) const {
    auto found = widgets_.find(&control);
    return found == widgets_.end() ? nullptr : found->second;
}

void FormWindow::BuildControls() {
    for (ui::Control* control : form_.Controls()) {
        QWidget* parent = client_;
        if (control->Parent()) {
            if (QWidget* frame = WidgetFor(*control->Parent())) parent = frame;
        }
        if (QWidget* w = Bind(*control, parent)) {
            w->setObjectName(QString::fromStdString(control->Name()));
            widgets_[control] = w;
        }
    }
}

QWidget* FormWindow::Bind(ui::Control& control, QWidget* parent) {
    if (auto* c = dynamic_cast<ui::Grid*>(&control)) return bindGrid(*c, parent);
    if (auto* c = dynamic_cast<ui::Label*>(&control)) return bindLabel(*c, parent);
    if (auto* c = dynamic_cast<ui::TextBox*>(&control)) return bindTextBox(*c, parent);
    if (auto* c = dynamic_cast<ui::Button*>(&control)) return bindButton(*c, parent);
    if (auto* c = dynamic_cast<ui::CheckBox*>(&control)) return bindCheckBox(*c, parent);
    if (auto* c = dynamic_cast<ui::ListBox*>(&control)) return bindListBox(*c, parent);
    if (auto* c = dynamic_cast<ui::ScrollBar*>(&control)) return bindScrollBar(*c, parent);
    if (auto* c = dynamic_cast<ui::Shape*>(&control)) return bindShape(*c, parent);
    if (auto* c = dynamic_cast<ui::Frame*>(&control)) return bindFrame(*c, parent);
    if (auto* c = dynamic_cast<ui::Image*>(&control)) return bindImage(*c, parent);
    if (auto* c = dynamic_cast<ui::Timer*>(&control))
        bindTimer(*c, this)->setObjectName(QString::fromStdString(c->Name()));
    return nullptr;
}

void FormWindow::FollowForm() {
    following_ = true;
    setWindowTitle(QString::fromStdString(form_.Caption()));
    setWindowIcon(IconFor(form_.Icon()));
    double dpi = LogicalDpi(this);
    QPoint place(TwipsToPixels(form_.Left(), dpi), TwipsToPixels(form_.Top(), dpi));
    if (pos() != place) move(place);
    bool minimized = form_.State() == ui::WindowState::Minimized;
    if (minimized != isMinimized())
        setWindowState(minimized ? (windowState() | Qt::WindowMinimized)
                                 : (windowState() & ~Qt::WindowMinimized));
    following_ = false;

    bool shown = form_.Shown();
    if (shown == shown_) return;
    shown_ = shown;
    if (shown) {
        show();
    } else {
        hide();
        emit formHidden();
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The model decides: its close handler (a cancel button, or the program's end) runs,
    // and the window follows the form's state.
    event->ignore();
    if (form_.onClose) {
        SafeCall(form_.onClose);
    } else {
        form_.Hide();
        if (isVisible()) hide();
    }
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (following_ || !isVisible()) return;
    double dpi = LogicalDpi(this);
    int left = PixelsToTwips(pos().x(), dpi);
    int top = PixelsToTwips(pos().y(), dpi);
    // Twips round to pixels: write back only a real move, or the window would creep.
    if (TwipsToPixels(form_.Left(), dpi) != pos().x()) form_.SetLeft(left);
    if (TwipsToPixels(form_.Top(), dpi) != pos().y()) form_.SetTop(top);
}

void FormWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || following_) return;
    auto state = isMinimized() ? ui::WindowState::Minimized : ui::WindowState::Normal;
    if (form_.State() != state) form_.SetState(state);
}

}  // namespace qt
