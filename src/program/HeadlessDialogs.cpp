// Message boxes and modal forms without a screen.
#include "program/HeadlessDialogs.h"

#include "platform/Log.h"
#include "platform/PrintableText.h"
#include "ui/Controls.h"

namespace program {

namespace {

// A box on standard error is a warning to whoever reads the journal, whatever its icon.
std::string Priority() {
    return platform::LinePrefix(platform::Level::Warning);
}

const char* IconWord(platform::Icon icon) {
    switch (icon) {
        case platform::Icon::Critical:
            return "error";
        case platform::Icon::Exclamation:
            return "warning";
        case platform::Icon::Question:
            return "question";
        case platform::Icon::Information:
            return "information";
        case platform::Icon::None:
            break;
    }
    return "message";
}

}  // namespace

platform::Answer HeadlessDialogs::MsgBox(const std::string& text, platform::Buttons buttons,
                                         platform::Icon icon,
                                         const std::optional<std::string>& title) {
    Print(text, icon, title.value_or("Sirenwatch"));
    if (buttons == platform::Buttons::OkCancel) out_ << '\n' << Priority() << "    [answered OK]";
    out_ << std::endl;
    return platform::Answer::Ok;
}

void HeadlessDialogs::Notice(const std::string& text, platform::Icon icon) {
    Print(text, icon, "Sirenwatch");
    out_ << std::endl;
}

void HeadlessDialogs::Print(const std::string& text, platform::Icon icon,
                            const std::string& title) {
    out_ << Priority() << IconWord(icon) << ": " << platform::PrintableText(title) << ":";
    std::string line;
    for (char c : text + '\r') {
        if (c == '\r' || c == '\n') {
            if (!line.empty())
                out_ << '\n' << Priority() << "    " << platform::PrintableText(line, true);
            line.clear();
        } else {
            line += c;
        }
    }
}

void HeadlessDialogs::ShowModal(ui::Form& form) {
    out_ << Priority() << "dialog: " << platform::PrintableText(form.Caption())
         << ": closed (no screen)" << std::endl;
    form.Show();
    if (form.onActivate) form.onActivate();
    if (form.onClose) form.onClose();
    if (form.Shown()) form.Hide();
}

}  // namespace program
