// Message boxes and modal display of forms with Qt.
#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/Ports.h"

namespace qt {

class FormWindow;

class QtDialogs final : public platform::Dialogs {
public:
    // Boxes and dialogs open above the owner when one is set (the main window).
    void SetOwner(QWidget* owner) { owner_ = owner; }

    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::optional<std::string>& title = std::nullopt) override;
    // A fresh window for the form, application-modal, until the form is hidden. Closing it
    // from the title bar runs the form's onClose (its cancel button), else hides the form.
    void ShowModal(ui::Form& form) override;

    // The innermost modal form window on screen, if any (tests drive dialogs through it).
    FormWindow* ModalWindow() const;

    static constexpr const char* kDefaultTitle = "Sirenwatch";

private:
    QPointer<QWidget> owner_;
    std::vector<QPointer<FormWindow>> modal_;
};

}  // namespace qt
