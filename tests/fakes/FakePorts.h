// Fakes of every platform port, and FakePorts, which holds one of each and hands them out as
// platform::Ports (fp.ports). Each fake records what the core asked of it and answers as
// scripted: the clock stands at 5 December 2026 12:00:01, numbers use "," and "dd/MM/yyyy",
// message boxes answer Ok unless told otherwise (fp.dialogs.NextAnswer), notices are kept.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Paths.h"
#include "platform/Ports.h"
#include "platform/Regional.h"

namespace fakes {

// A message box as the core asked for it.
struct Box {
    std::string text;
    platform::Buttons buttons;
    platform::Icon icon;
    std::optional<std::string> title;
};

// A notice as the core gave it.
struct Notice {
    std::string text;
    platform::Icon icon;
};

class ScriptedDialogs final : public platform::Dialogs {
public:
    // Answers are used in order; when none is queued the box answers Ok.
    void NextAnswer(platform::Answer answer) { answers_.push_back(answer); }
    platform::Answer MsgBox(const std::string& text, platform::Buttons buttons, platform::Icon icon,
                            const std::optional<std::string>& title = std::nullopt) override;
    // Shows the form, runs onModal on it, then hides it if still shown, as a modal loop ends.
    void ShowModal(ui::Form& form) override;
    // Recorded, then onNotice runs: what happens while the notice is on screen.
    void Notice(const std::string& text, platform::Icon icon) override;

    std::vector<Box> boxes;
    std::vector<fakes::Notice> notices;
    std::vector<std::string> modalForms;       // names of the forms shown modally
    std::function<void(ui::Form&)> onModal;    // what the user does while a form is modal
    std::function<void(const Box&)> onMsgBox;  // runs while a box is "open"
    std::function<void(const fakes::Notice&)> onNotice;

private:
    std::deque<platform::Answer> answers_;
};

class RecordingSound final : public platform::Sound {
public:
    void Play(const std::string& path) override { played.push_back(path); }
    std::vector<std::string> played;
};

class RecordingWindowLayer final : public platform::WindowLayer {
public:
    void SetTopmost(bool topmost) override { calls.push_back(topmost); }
    std::optional<bool> Topmost() const {
        return calls.empty() ? std::nullopt : std::optional<bool>(calls.back());
    }
    std::vector<bool> calls;
};

class MapUserStore final : public platform::UserStore {
public:
    std::string Get(const std::string& application, const std::string& section,
                    const std::string& key) override {
        auto found = values.find({application, section, key});
        return found == values.end() ? std::string() : found->second;
    }
    void Set(const std::string& application, const std::string& section, const std::string& key,
             std::string value) {
        values[{application, section, key}] = std::move(value);
    }
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
};

class SettableSingleInstance final : public platform::SingleInstance {
public:
    bool AnotherInstanceRunning() override { return another; }
    bool another = false;
};

class SettableClock final : public platform::Clock {
public:
    platform::DateTime Now() const override { return now; }
    platform::DateTime now{2026, 12, 5, 12, 0, 1};
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return platform::JoinPath(path_, name); }

private:
    std::string path_;
};

// The program "Sirenwatch" 1.1.1, living in a temporary folder unless folder is set.
class SettableProgramInfo final : public platform::ProgramInfo {
public:
    std::string Folder() const override { return folder.empty() ? dir.Path() : folder; }
    std::string ExeName() const override { return "Sirenwatch"; }
    std::string ExePath() const override { return platform::JoinPath(Folder(), ExeName()); }
    platform::VersionNumbers Version() const override { return {1, 1, 1}; }
    std::string TestLogFolder() const override {
        return testLogFolder.empty() ? Folder() : testLogFolder;
    }

    TempDir dir;
    std::string folder;
    std::string testLogFolder;
};

class RecordingHelp final : public platform::Help {
public:
    void Open(const std::string& helpFile) override { opened.push_back(helpFile); }
    std::vector<std::string> opened;
};

class RecordingApplication final : public platform::Application {
public:
    void Quit() override { ++quitCount; }
    int quitCount = 0;
};

struct FakePorts {
    ScriptedDialogs dialogs;
    RecordingSound sound;
    RecordingWindowLayer layer;
    MapUserStore userStore;
    SettableSingleInstance instance;
    SettableClock clock;
    platform::FixedRegional regional;
    SettableProgramInfo program;
    RecordingHelp help;
    RecordingApplication app;
    platform::Ports ports{dialogs, sound,    layer,   userStore, instance,
                          clock,   regional, program, help,      app};
};

// The station program as the add-on finds it installed: the per-user store names its folder,
// and the settings file there holds the home station and the program's version.
struct HostInstall {
    std::string callsign = "N0CALL";
    std::string latitude = "4530.25N";
    std::string longitude = "00912.34E";
    std::string version = "1.86";
};
void WriteHostSettings(const std::string& folder, const HostInstall& install);
// Installs the host in folder, or changes an installed one to these values, and registers the
// folder where the add-on looks for it exactly as given (the host writes it with the final
// separator).
template <typename Store>
void InstallHost(Store& store, const std::string& folder, const HostInstall& install = {}) {
    store.Set("Peak Systems", "UI-View32", "Program Folder", folder);
    WriteHostSettings(folder, install);
}

}  // namespace fakes
