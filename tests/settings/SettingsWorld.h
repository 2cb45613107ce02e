// Small fakes of the platform ports and the windows the settings code touches, for the
// captions and registration tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "host/ProgramValues.h"
#include "map/FrmMarcaPunto.h"
#include "monitor/FrmMain.h"
#include "platform/Ports.h"
#include "settings/FrmXTR.h"
#include "settings/GestioneINI_New.h"
#include "ui/Controls.h"

namespace settings_test {

struct ShownMessage {
    std::string text;
    platform::Icon icon;
};

// Message boxes are recorded; a modal form runs the scripted user action, then must be hidden.
class ScriptedDialogs final : public platform::Dialogs {
public:
    platform::Answer MsgBox(const std::string& text, platform::Buttons, platform::Icon icon,
                            const std::optional<std::string>&) override {
        messages.push_back({text, icon});
        return platform::Answer::Ok;
    }
    void ShowModal(ui::Form& form) override {
        ++modalCount;
        form.Show();
        if (userAction) userAction(form);
        stillShownAfterModal = form.Shown();
        if (form.Shown()) form.Hide();
    }

    std::function<void(ui::Form&)> userAction;
    std::vector<ShownMessage> messages;
    int modalCount = 0;
    bool stillShownAfterModal = false;
};

class RecordingLayer final : public platform::WindowLayer {
public:
    void SetTopmost(bool topmost) override { calls.push_back(topmost); }
    std::vector<bool> calls;
};

class FixedProgram final : public platform::ProgramInfo {
public:
    std::string Folder() const override { return folder; }
    std::string ExeName() const override { return "Sirenwatch"; }
    std::string ExePath() const override { return exePath; }
    platform::VersionNumbers Version() const override { return {1, 1, 1}; }

    std::string folder = "/opt/sirenwatch";
    std::string exePath = "/opt/sirenwatch/sirenwatch";
};

struct NoSound final : platform::Sound {
    void Play(const std::string&) override {}
};
struct EmptyStore final : platform::UserStore {
    std::string Get(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};
struct SoleInstance final : platform::SingleInstance {
    bool AnotherInstanceRunning() override { return false; }
};
struct StoppedClock final : platform::Clock {
    platform::DateTime Now() const override { return {2026, 12, 5, 12, 0, 1}; }
};
struct NoHelp final : platform::Help {
    void Open(const std::string&) override {}
};
struct StayingApp final : platform::Application {
    void Quit() override { ++quits; }
    int quits = 0;
};

// The usual world: a settings file and a host folder in a temporary folder, the windows, the
// shared values and the ports.
struct SettingsWorld {
    SettingsWorld() {
        values.FileIni = folder.File("Sirenwatch.ini");
        values.CartellaUIView = folder.Path().string() + "/";
    }

    std::string XtrFile() const { return values.CartellaUIView + "Sirenwetch.xtr"; }

    TempFolder folder;
    platform::FixedRegional regional{"."};
    ScriptedDialogs dialogs;
    NoSound sound;
    RecordingLayer layer;
    EmptyStore store;
    SoleInstance instance;
    StoppedClock clock;
    FixedProgram program;
    NoHelp help;
    StayingApp app;
    platform::Ports ports{dialogs, sound,    layer,   store, instance,
                          clock,   regional, program, help,  app};

    host::ProgramValues values;
    settings::GestioneINI_New ini{regional};
    monitor::FrmMain main;
    map::FrmMarcaPunto spot;
    settings::FrmXTR xtr;
};

}  // namespace settings_test
