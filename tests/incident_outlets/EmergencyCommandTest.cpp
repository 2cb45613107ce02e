// The user's emergency command: cut into words as a shell would, run with its variables and a
// summary on its input, stopped at its time limit with all it started, failures reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>

#include "fakes/FileText.h"
#include "fakes/IncidentEvents.h"
#include "fakes/LoopTimers.h"
#include "fakes/TempFolder.h"
#include "incident_outlets/EmergencyCommand.h"

namespace {

using Words = std::vector<std::string>;
using Failures = std::vector<std::string>;

using fakes::NewEmergency;

struct CommandRun {
    fakes::TempFolder dir;
    fakes::LoopTimers timers;
    Failures failures;
    int finished = 0;
    std::unique_ptr<incidents::EmergencyCommand> command;

    void Start(const std::string& line, const incidents::Event& event, int limit_ms = 10000,
               int grace_ms = 5000) {
        command = std::make_unique<incidents::EmergencyCommand>(timers, line, limit_ms, grace_ms);
        command->onFailure = [this](const std::string& f) { failures.push_back(f); };
        command->onFinished = [this] { ++finished; };
        command->Run(event);
    }
    bool WaitFinished(int count, int bound_ms) {
        return timers.RunUntil([&] { return finished == count; }, bound_ms);
    }
    std::string Read(const char* name) const { return fakes::ReadAll(dir.Path() + "/" + name); }
};

TEST(EmergencyCommand, CommandLinesAreCutIntoWordsByTheShellsQuotingRules) {
    struct Case {
        const char* line;
        std::optional<Words> words;
    };
    const Case cases[] = {
        {"", Words{}},
        {"  mail   -s  x ", Words{"mail", "-s", "x"}},
        {"mail -s 'Sirenwatch: emergency' ops@example.org",
         Words{"mail", "-s", "Sirenwatch: emergency", "ops@example.org"}},
        {R"(curl -d "{\"text\": \"\$x\"}" url)", Words{"curl", "-d", R"({"text": "$x"})", "url"}},
        {R"(a\ b 'c\d' "e\f" "" '')", Words{"a b", R"(c\d)", R"(e\f)", "", ""}},
        {"say 'open", std::nullopt},
        {"say \"open", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(incidents::SplitCommandLine(c.line), c.words) << c.line;
}

TEST(EmergencyCommand, RunsWithoutAShellWithTheValuesInItsEnvironmentAndASummaryOnItsInput) {
    CommandRun run;
    incidents::Event event = NewEmergency();
    std::get<incidents::Emergency>(event.what).evidence->frame =
        "Q7MOB-9>APRS:$(echo code) `echo code` ; \"quoted\"";
    // sh is the program here, with a script of the test's as its argument; the values reach
    // it only as variables, so the frame stays text whatever it holds.
    std::string script =
        "cd '" + run.dir.Path() +
        "' && printf '%s|%s|%s|%s|%s|%s' \"$SIRENWATCH_CALLSIGN\" \"$SIRENWATCH_LATITUDE\" "
        "\"$SIRENWATCH_LONGITUDE\" \"$SIRENWATCH_DISTANCE\" \"$SIRENWATCH_BEARING\" "
        "\"$SIRENWATCH_FRAME\" > env.txt && cat > stdin.txt";
    std::string quoted;
    for (const char c : script) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
    run.Start("sh -c \"" + quoted + "\"", event);
    ASSERT_TRUE(run.WaitFinished(1, 10000));
    EXPECT_TRUE(run.failures.empty()) << run.failures.front();
    EXPECT_EQ(run.Read("env.txt"),
              "Q7MOB-9|45.591667|8.927000|23.8|295|Q7MOB-9>APRS:$(echo code) `echo code` ; "
              "\"quoted\"");
    EXPECT_TRUE(run.Read("stdin.txt").starts_with("EMERGENCY Q7MOB-9, 23.8 km away"))
        << run.Read("stdin.txt");
}

TEST(EmergencyCommand, OnlyNewEmergenciesAndEveryFailureIsReportedNotFatal) {
    CommandRun missing;
    missing.Start("/nonexistent/notify-me", NewEmergency(false));
    missing.command->Run({0, incidents::AlarmOn{}});
    EXPECT_EQ(missing.command->Running(), 0) << "nothing to run for these";
    missing.command->Run(NewEmergency());
    ASSERT_TRUE(missing.WaitFinished(1, 10000));
    EXPECT_EQ(missing.failures.size(), 1u);

    CommandRun failing;
    failing.Start("sh -c 'exit 3'", NewEmergency());
    ASSERT_TRUE(failing.WaitFinished(1, 10000));
    EXPECT_EQ(failing.failures, Failures{"sh: ended with code 3"});
}

TEST(EmergencyCommand, WhatCannotRunIsFoundBeforeTheFirstEmergency) {
    fakes::TempFolder dir;
    const std::string plain = dir.Path() + "/plain.txt";
    std::ofstream(plain) << "text";
    const struct {
        std::string line;
        bool runs;
    } cases[] = {{"sh -c 'exit 0'", true},
                 {"/bin/sh -c :", true},
                 {"", false},
                 {"say 'open", false},
                 {"/nonexistent/x", false},
                 {"no-such-program-here --now", false},
                 {dir.Path(), false},
                 {plain, false}};
    for (const auto& c : cases)
        EXPECT_EQ(incidents::CommandRuns(c.line).has_value(), c.runs) << c.line;
}

// Whether the process PID is gone (a zombie nobody reaped yet counts as gone).
bool Gone(const std::string& pid) {
    const std::string path = "/proc/" + pid.substr(0, pid.find_last_not_of(" \n") + 1) + "/stat";
    if (!std::filesystem::exists(path)) return true;
    return fakes::ReadAll(path).find(") Z ") != std::string::npos;
}

// Runs sh with SCRIPT, which writes "ready" once its traps are set, until the time limit stops
// it; a shell still starting when the limit came is run again with a longer limit, as a loaded
// machine may be slow to start one. The run, and the limit it had.
std::pair<std::unique_ptr<CommandRun>, int> RunPastTheLimit(const std::string& script, int limit_ms,
                                                            int grace_ms) {
    for (;; limit_ms *= 4) {
        auto run = std::make_unique<CommandRun>();
        run->Start("sh -c \"cd '" + run->dir.Path() + "'; " + script + "\"", NewEmergency(),
                   limit_ms, grace_ms);
        EXPECT_EQ(run->command->Running(), 1);
        const bool ended = run->WaitFinished(1, 30000);
        if (!ended || !run->Read("ready").empty() || limit_ms > 10000)
            return {std::move(run), limit_ms};
    }
}

Failures StoppedAfter(int limit_ms, const char* how) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", limit_ms / 1000.0);
    return {std::string("sh: still running after ") + seconds + " s, stopped (" + how + ")"};
}

// A command that hangs does not hold up the caller. At the limit its whole group is asked to
// end; what ignores that is killed after the grace period; at the end of the run the same.
TEST(EmergencyCommand, AHangingCommandIsEndedGentlyThenForcedWithAllItStarted) {
    const auto [gentle, gentleLimit_ms] = RunPastTheLimit(
        "trap 'echo term > got; exit 0' TERM; sleep 30 & echo \\$! > child; echo > ready; wait",
        200, 5000);
    ASSERT_EQ(gentle->finished, 1);
    EXPECT_EQ(gentle->failures, StoppedAfter(gentleLimit_ms, "TERM"));
    EXPECT_EQ(gentle->Read("got"), "term\n") << "TERM first, which the command could answer";
    const std::string child = gentle->Read("child");
    EXPECT_FALSE(child.empty());
    EXPECT_TRUE(gentle->timers.RunUntil([&] { return Gone(child); }, 2000))
        << "what it started ends too";

    const auto [stubborn, stubbornLimit_ms] =
        RunPastTheLimit("trap '' TERM; echo > ready; sleep 30", 200, 300);
    ASSERT_EQ(stubborn->finished, 1);
    EXPECT_EQ(stubborn->failures, StoppedAfter(stubbornLimit_ms, "TERM, then KILL"));

    CommandRun atTheEnd;
    atTheEnd.Start("sleep 30", NewEmergency(), 10000, 200);
    atTheEnd.command.reset();
    EXPECT_EQ(atTheEnd.failures, Failures{"sleep: still running at the end, stopped (TERM)"});
    EXPECT_EQ(atTheEnd.finished, 1);
    EXPECT_EQ(atTheEnd.timers.Waiting(), 0u) << "no timer left behind";
}

}  // namespace
