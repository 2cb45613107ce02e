// Message boxes with QMessageBox, notices with a non-modal one; modal forms in a local event
// loop.
#include "qt/QtDialogs.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>

#include "qt/FormWindow.h"
#include "qt/SafeCall.h"

namespace qt {

namespace {

QMessageBox::Icon BoxIcon(platform::Icon icon) {
    switch (icon) {
        case platform::Icon::Critical:
            return QMessageBox::Critical;
        case platform::Icon::Question:
            return QMessageBox::Question;
        case platform::Icon::Exclamation:
            return QMessageBox::Warning;
        case platform::Icon::Information:
            return QMessageBox::Information;
        case platform::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Message texts break lines with a lone CR or CR LF.
QString BoxText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

}  // namespace

platform::Answer QtDialogs::MsgBox(const std::string& text, platform::Buttons buttons,
                                   platform::Icon icon, const std::optional<std::string>& title) {
    QString caption = QString::fromStdString(title && !title->empty() ? *title : kDefaultTitle);
    QMessageBox box(BoxIcon(icon), caption, BoxText(text), QMessageBox::NoButton, owner_);
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    if (buttons == platform::Buttons::OkCancel) {
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    } else {
        box.setEscapeButton(ok);
    }
    box.exec();
    return box.clickedButton() == ok ? platform::Answer::Ok : platform::Answer::Cancel;
}

QtDialogs::~QtDialogs() {
    delete notice_.data();  // without an owner nobody else would
}

void QtDialogs::Notice(const std::string& text, platform::Icon icon) {
    if (!notice_) {
        notice_ = new QMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kDefaultTitle),
                                  QString(), QMessageBox::Ok, owner_);
        notice_->setAttribute(Qt::WA_DeleteOnClose);
        notice_->setWindowModality(Qt::NonModal);
        notice_->setTextFormat(Qt::PlainText);
    }
    notice_->setIcon(BoxIcon(icon));
    notice_->setText(BoxText(text));
    // Shown, never executed: the caller goes straight on. An open notice is not raised again,
    // so a run of failures does not keep taking the focus.
    if (!notice_->isVisible()) notice_->show();
}

void QtDialogs::ShowModal(ui::Form& form) {
    // A window of its own for each showing: a form may be made afresh between showings.
    QPointer<FormWindow> window(new FormWindow(form, owner_));
    window->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(window, &FormWindow::formHidden, &loop, &QEventLoop::quit);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    modal_.push_back(window);

    form.Show();
    window->show();
    window->raise();
    window->activateWindow();
    SafeCall(form.onActivate);
    if (form.Shown() && window) loop.exec(QEventLoop::DialogExec);

    modal_.pop_back();
    delete window.data();
}

FormWindow* QtDialogs::ModalWindow() const {
    for (auto it = modal_.rbegin(); it != modal_.rend(); ++it)
        if (*it) return it->data();
    return nullptr;
}

}  // namespace qt
