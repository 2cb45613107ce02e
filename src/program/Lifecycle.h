// The program's start-up checks and settings, and its shut-down: the main window's load and
// unload, and the host's closing event.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "forms/FrmMain.h"
#include "monitor/TestLog.h"
#include "monitor/Units.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"
#include "program/Captions.h"
#include "settings/GestioneINI_New.h"

namespace program {

class Lifecycle {
public:
    // Start-up steps carried out by the parts that own the host objects.
    struct HostSteps {
        std::function<void()> connectHost;  // host objects, event listeners; may throw
        std::function<void()> setUpTable;   // station table: empty state, widths, headers
        std::function<std::optional<double>()> hostVersion;  // when the host knows its own
    };

    Lifecycle(forms::FrmMain& main, platform::ProgramValues& values, platform::Ports& ports,
              settings::GestioneINI_New& ini, program::Captions& captions, monitor::Units& units,
              monitor::TestLog& log, HostSteps steps);

    // Runs once. False when a check failed: its message was shown, the program was told to
    // quit, and nothing more was written.
    bool Form_Load();
    // Saves the circle style and the window's place, then ends the program. Saves only after
    // a start-up that got through, and only once.
    void Form_Unload();
    // The host is closing: the same shut-down as closing the window.
    void mUIV_UIView32IsClosing();

    bool Running() const { return state_ == State::Running; }

    // "05_12_2026.log": the test log's name for a day.
    static std::string TestLogName(const platform::DateTime& day);
    static constexpr const char* kSection = "SetUp";

private:
    enum class State { NotStarted, Running, Ended };

    std::string Read(const std::string& key);
    std::string ReadHost(const std::string& section, const std::string& key);
    // The stored text as a number; nothing when it does not hold one.
    std::optional<double> ReadNumber(const std::string& key);
    bool Fail(const std::string& text, platform::Icon icon,
              const std::optional<std::string>& title = std::nullopt);

    void SetIdentity();
    void StampVersion();
    bool CheckHostInstalled();
    void ReadHomeStation();
    void ReadUnits();
    void ReadCircleStyle();
    void ReadLanguage();
    bool CheckHostVersion();
    bool CheckSingleInstance();
    bool ConvertHomeCoordinates();
    void PlaceWindow();
    void ReadMessageType();
    bool ConnectHost();
    // The test log's path when it cannot be opened, else nothing.
    std::string StartTestMode();

    std::string T(int offset) const;

    forms::FrmMain& main_;
    platform::ProgramValues& values_;
    platform::Ports& ports_;
    settings::GestioneINI_New& ini_;
    program::Captions& captions_;
    monitor::Units& units_;
    monitor::TestLog& log_;
    HostSteps steps_;
    State state_ = State::NotStarted;
};

}  // namespace program
