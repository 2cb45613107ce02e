// What the core asks of the platform: message boxes and notices, modal display, sound, window
// layer, per-user store, single instance, clock, program identity, help. Fakes stand in for tests.
#pragma once

#include <optional>
#include <string>

#include "platform/Regional.h"

namespace ui {
class Form;
}

namespace platform {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal message box. Without a title the box shows the application's title ("Sirenwatch").
    virtual Answer MsgBox(const std::string& text, Buttons buttons, Icon icon,
                          const std::optional<std::string>& title = std::nullopt) = 0;
    // Shows the form modally; returns when the form is hidden (Form::Hide).
    virtual void ShowModal(ui::Form& form) = 0;
    // A notice that does not wait for the user: it returns at once and the program goes on.
    // At most one is on screen; a notice while one is still open takes its place there.
    virtual void Notice(const std::string& text, Icon icon) = 0;
};

// Asynchronous playback; a new play replaces a sound still playing. A file that cannot be
// played gives the system's default sound.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void Play(const std::string& path) = 0;
};

// The main window's place in the always-on-top layer.
class WindowLayer {
public:
    virtual ~WindowLayer() = default;
    virtual void SetTopmost(bool topmost) = 0;
};

// Loads a dialog and shows it modally with the main window out of the topmost layer meanwhile,
// or the dialog could end up behind the main window.
template <typename Load>
void ShowModalDialog(Dialogs& dialogs, WindowLayer& layer, ui::Form& form, Load load) {
    layer.SetTopmost(false);
    load();
    dialogs.ShowModal(form);
    layer.SetTopmost(true);
}

// The per-user settings store (application / section / key); a missing entry is empty text.
class UserStore {
public:
    virtual ~UserStore() = default;
    virtual std::string Get(const std::string& application, const std::string& section,
                            const std::string& key) = 0;
};

class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    // True when another instance of the program is already running.
    virtual bool AnotherInstanceRunning() = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() const = 0;
};

struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// Who the program is and where it lives.
class ProgramInfo {
public:
    virtual ~ProgramInfo() = default;
    virtual std::string Folder() const = 0;   // the executable's folder, no trailing separator
    virtual std::string ExeName() const = 0;  // file name without extension ("Sirenwatch")
    virtual std::string ExePath() const = 0;  // full path of the executable as the OS knows it
    virtual VersionNumbers Version() const = 0;
    // An installed program spreads its files (see ChooseLayout); beside the executable all
    // three are its folder.
    virtual std::string SettingsFolder() const { return Folder(); }  // Sirenwatch.ini
    virtual std::string SharedFolder() const { return Folder(); }    // the sound, the help
    virtual std::string TestLogFolder() const { return Folder(); }   // the test mode's day log
};

class Help {
public:
    virtual ~Help() = default;
    virtual void Open(const std::string& helpFile) = 0;
};

// Ends the program at once (after the current handler returns to the event loop).
class Application {
public:
    virtual ~Application() = default;
    virtual void Quit() = 0;
};

// Everything the core needs from the platform, handed around by reference.
struct Ports {
    Dialogs& dialogs;
    Sound& sound;
    WindowLayer& layer;
    UserStore& userStore;
    SingleInstance& instance;
    Clock& clock;
    Regional& regional;
    ProgramInfo& program;
    Help& help;
    Application& app;
};

}  // namespace platform
