// Message boxes, notices and modal display of forms with Qt.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/Ports.h"

namespace qt {

class FormWindow;

class QtDialogs final : public platform::Dialogs {
public:
    QtDialogs() = default;
    ~QtDialogs() override;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;

    // Boxes and dialogs open above the owner when one is set (the main window).
    void SetOwner(QWidget* owner) { owner_ = owner; }

    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::optional<std::string>& title = std::nullopt) override;
    // A fresh window for the form, application-modal, until the form is hidden. Closing it
    // from the title bar runs the form's onClose (its cancel button), else hides the form.
    void ShowModal(ui::Form& form) override;
    // A message box that does not block: shown, not executed, and gone once closed. While it
    // is open a new notice only changes its text and icon.
    void Notice(const std::string& text, platform::Icon icon) override;

    // The innermost modal form window on screen, if any (tests drive dialogs through it).
    FormWindow* ModalWindow() const;
    // The notice on screen, if any.
    QMessageBox* OpenNotice() const { return notice_.data(); }

    static constexpr const char* kDefaultTitle = "Sirenwatch";

private:
    QPointer<QWidget> owner_;
    std::vector<QPointer<FormWindow>> modal_;
    QPointer<QMessageBox> notice_;
};

}  // namespace qt
