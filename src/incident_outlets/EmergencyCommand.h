// --on-emergency: a command of the user's run for each new emergency, with the values in
// environment variables (SIRENWATCH_CALLSIGN, SIRENWATCH_LATITUDE, ...) and a short text on
// its standard input. Run without a shell, never waited for, in a process group of its own (a
// job object on Windows); after a time limit the group is asked to end (TERM) and, after a
// grace period, made to (KILL). A failure is reported and the watch goes on.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "incident_outlets/CommandProcess.h"
#include "incidents/Events.h"
#include "platform/Result.h"
#include "platform/Timers.h"

namespace incidents {

// A command line cut into words by a shell's quoting rules, with nothing else of a shell:
// blanks separate words; '...' keeps everything; "..." keeps everything but \" \\ \$ \`,
// which lose their backslash; a backslash outside quotes keeps the next character. Nothing
// for a quote left open.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line);

// Whether the command line can be run; the problem when not: a quote left open, no words, a
// program that is not found (on PATH, for a name without "/") or cannot be executed.
platform::Result<void> CommandRuns(const std::string& line);

// The variables for an emergency heard at time_s.
Variables EmergencyVariables(const Emergency& emergency, std::int64_t time_s);

class EmergencyCommand {
public:
    static constexpr int kTimeLimit_ms = 30000;
    static constexpr int kMaxRunning = 8;   // more at once are refused, not queued
    static constexpr int kGrace_ms = 5000;  // from TERM to KILL, and for the last ones at the end
    static constexpr int kLook_ms = 50;     // how often a running command is looked at

    // The command line is split into words by SplitCommandLine; no shell runs it.
    EmergencyCommand(platform::Timers& timers, const std::string& commandLine,
                     int timeLimit_ms = kTimeLimit_ms, int grace_ms = kGrace_ms);
    // Commands still running at the end get the grace period to finish before they are
    // stopped as at the time limit; how each one ended is reported.
    ~EmergencyCommand();
    EmergencyCommand(const EmergencyCommand&) = delete;
    EmergencyCommand& operator=(const EmergencyCommand&) = delete;

    // A sink for the incidents: starts the command for a new emergency.
    void Run(const Event& event);

    // Told what went wrong; the program's log unless set.
    std::function<void(const std::string&)> onFailure;
    // Told when a run has ended, however (for tests).
    std::function<void()> onFinished;

    int Running() const { return running_; }

private:
    class Started;
    void Fail(const std::string& what);

    platform::Timers& timers_;
    std::vector<std::string> words_;
    bool quoteLeftOpen_ = false;
    int timeLimit_ms_;
    int grace_ms_;
    int running_ = 0;
    std::vector<std::unique_ptr<Started>> started_;  // those done go at the next start
};

}  // namespace incidents
