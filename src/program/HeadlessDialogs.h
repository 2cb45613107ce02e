// Ports for running without a screen: message boxes and notices go to standard error and boxes
// take their default button, modal forms are closed at once, and no sound is played.
#pragma once

#include <ostream>

#include "platform/Ports.h"

namespace program {

class HeadlessDialogs final : public platform::Dialogs {
public:
    explicit HeadlessDialogs(std::ostream& out) : out_(out) {}

    // Prints "TITLE: TEXT" (the text's line breaks kept, each line indented) and answers
    // OK: the default button of both an OK box and an OK/Cancel box.
    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::optional<std::string>& title = std::nullopt) override;
    // Loads the form and closes it again the way its title-bar close would (its cancel path).
    void ShowModal(ui::Form& form) override;
    // Prints "TITLE: TEXT" as a box does; nothing waits.
    void Notice(const std::string& text, platform::Icon icon) override;

private:
    // "ICON: TITLE:" and the text's lines, indented, without the final line end.
    void Print(const std::string& text, platform::Icon icon, const std::string& title);

    std::ostream& out_;
};

// The alarm is reported on standard output instead of being heard.
class SilentSound final : public platform::Sound {
public:
    void Play(const std::string&) override {}
};

// The ports a run has: the system's own with windows; without, the same but for the dialogs,
// told on `err`, and the sound, which stays silent. The user store may be one of the run's own.
class RunPorts {
public:
    RunPorts(const platform::Ports& system, bool headless, std::ostream& err)
        : RunPorts(system, system.userStore, headless, err) {}
    RunPorts(const platform::Ports& system, platform::UserStore& userStore, bool headless,
             std::ostream& err)
        : quiet_(err),
          ports_{headless ? quiet_ : system.dialogs,
                 headless ? silence_ : system.sound,
                 system.layer,
                 userStore,
                 system.instance,
                 system.clock,
                 system.regional,
                 system.program,
                 system.help,
                 system.app} {}
    RunPorts(const RunPorts&) = delete;
    RunPorts& operator=(const RunPorts&) = delete;

    platform::Ports& Ports() { return ports_; }

private:
    HeadlessDialogs quiet_;
    SilentSound silence_;
    platform::Ports ports_;
};

}  // namespace program
