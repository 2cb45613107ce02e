// Starting, watching and, when it takes too long, stopping the user's emergency command.
#include "incident_outlets/EmergencyCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "incident_outlets/JsonLines.h"
#include "platform/Log.h"

namespace incidents {
namespace {

std::string Degrees(const std::optional<Evidence>& evidence, double Place::*degrees) {
    if (!evidence || !evidence->place) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", (*evidence->place).*degrees);
    return text;
}

// What a mail body or a chat message would say.
std::string Summary(const Emergency& e) {
    const Panel& p = e.panel;
    const Evidence evidence = e.evidence.value_or(Evidence{});
    return ValidUtf8("EMERGENCY " + p[Box::Callsign] + ", " + WhereFromHome(e, "degrees") + "\n" +
                     p[Box::Beacon] + "\nWhy: " + evidence.cause + "\nFrame: " + evidence.frame +
                     "\n");
}

std::string Seconds(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", ms / 1000.0);
    return text;
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;  // the open quote, 0 outside quotes
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool escapable =
            i + 1 < line.size() &&
            (quote == 0 || (quote == '"' && std::string_view("\"\\$`").find(line[i + 1]) !=
                                                std::string_view::npos));
        if (c == '\\' && quote != '\'' && escapable) {
            word += line[++i];
            inWord = true;
        } else if (quote != 0 && c == quote) {
            quote = 0;
        } else if (quote == 0 && (c == '\'' || c == '"')) {
            quote = c;
            inWord = true;
        } else if (quote == 0 &&
                   std::string_view(" \t\n\v\f\r").find(c) != std::string_view::npos) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != 0) return std::nullopt;
    if (inWord) words.push_back(word);
    return words;
}

platform::Result<void> CommandRuns(const std::string& line) {
    const auto words = SplitCommandLine(line);
    if (!words) return platform::Fail("a quote is left open in the command");
    if (words->empty()) return platform::Fail("the command is empty");
    const auto program = FindProgram(words->front());
    if (!program) return platform::Fail(program.error().text);
    return {};
}

Variables EmergencyVariables(const Emergency& e, std::int64_t time_s) {
    const Panel& p = e.panel;
    const Evidence evidence = e.evidence.value_or(Evidence{});
    const std::string via = !e.evidence ? "" : evidence.path.viaInternet ? "internet" : "radio";
    Variables variables = {
        {"SIRENWATCH_CALLSIGN", p[Box::Callsign]},
        {"SIRENWATCH_MESSAGE", p[Box::Message]},
        {"SIRENWATCH_BEACON", p[Box::Beacon]},
        {"SIRENWATCH_TIME", IsoTime(time_s)},
        {"SIRENWATCH_LATITUDE", Degrees(e.evidence, &Place::latitude_deg)},
        {"SIRENWATCH_LONGITUDE", Degrees(e.evidence, &Place::longitude_deg)},
        {"SIRENWATCH_DISTANCE", p[Box::Distance]},
        {"SIRENWATCH_UNIT", e.unit},
        {"SIRENWATCH_BEARING", p[Box::Bearing]},
        {"SIRENWATCH_COURSE", p[Box::Course]},
        {"SIRENWATCH_SPEED", p[Box::Speed]},
        {"SIRENWATCH_ALTITUDE", p[Box::Altitude]},
        {"SIRENWATCH_CAUSE", evidence.cause},
        {"SIRENWATCH_VIA", via},
        {"SIRENWATCH_FRAME", evidence.frame},
    };
    // Text from the air as valid text, and no byte that would end the variable early.
    for (auto& [name, value] : variables) {
        value = ValidUtf8(value);
        value.erase(std::find(value.begin(), value.end(), '\0'), value.end());
    }
    return variables;
}

// One start of the command: its process group, its time limit and how it was stopped.
class EmergencyCommand::Started {
public:
    Started(EmergencyCommand& owner, const Emergency& emergency, std::int64_t time_s)
        : owner_(owner),
          name_(owner.words_.front()),
          look_(owner.timers_),
          limit_(owner.timers_),
          grace_(owner.timers_) {
        ++owner_.running_;
        auto started = CommandProcess::Start(owner.words_, EmergencyVariables(emergency, time_s),
                                             Summary(emergency));
        if (!started) {
            owner_.Fail(started.error().text);
            Finish(false);
            return;
        }
        process_ = std::move(*started);
        limit_.Start(owner_.timeLimit_ms_, [this] {
            Stop("still running after " + Seconds(owner_.timeLimit_ms_) + " s");
        });
        Look();
    }

    bool Done() const { return done_; }

    // The program is ending: waits out what is left of the grace period, then stops it.
    void EndOfRun(std::chrono::steady_clock::time_point graceEnds) {
        if (done_) return;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            graceEnds - std::chrono::steady_clock::now());
        process_->WaitEnded(static_cast<int>(std::max<std::int64_t>(0, left.count())));
        if (process_->Ended()) LeaderEnded();
        if (done_) return;
        if (stop_ == Stopped::No) Stop("still running at the end");
        // No event loop turns here: the waits stand for the grace timer.
        if (!process_->Ended()) process_->WaitEnded(owner_.grace_ms_);
        GraceOver();
        if (!process_->Ended()) process_->WaitEnded(1000);
        if (!done_) Finish(true);
    }

private:
    enum class Stopped { No, Term, Kill };

    // The command is looked at now and then: whether it has ended.
    void Look() {
        if (process_->Ended()) return LeaderEnded();
        look_.Start(kLook_ms, [this] { Look(); });
    }

    void Stop(const std::string& why) {
        why_ = why;
        stop_ = Stopped::Term;
        process_->AskToEnd();
        grace_.Start(owner_.grace_ms_, [this] { GraceOver(); });
    }

    void GraceOver() {
        if (process_->GroupAlive()) {
            process_->Kill();
            stop_ = Stopped::Kill;
        }
        if (process_->Ended()) Finish(true);
    }

    void LeaderEnded() {
        look_.Stop();
        limit_.Stop();
        // What it started may still be running after TERM: the grace period ends it.
        if (stop_ == Stopped::Term && grace_.Active() && process_->GroupAlive()) return;
        Finish(true);
    }

    void Finish(bool report) {
        if (done_) return;
        done_ = true;
        look_.Stop();
        limit_.Stop();
        grace_.Stop();
        if (report && stop_ != Stopped::No)
            owner_.Fail(name_ + ": " + why_ + ", stopped (TERM" +
                        (stop_ == Stopped::Kill ? ", then KILL)" : ")"));
        else if (report && process_->Crashed())
            owner_.Fail(name_ + ": crashed");
        else if (report && process_->ExitCode() != 0)
            owner_.Fail(name_ + ": ended with code " + std::to_string(process_->ExitCode()));
        --owner_.running_;
        if (owner_.onFinished) owner_.onFinished();
    }

    EmergencyCommand& owner_;
    std::string name_;
    std::unique_ptr<CommandProcess> process_;
    platform::OneTimer look_, limit_, grace_;
    Stopped stop_ = Stopped::No;
    std::string why_;
    bool done_ = false;
};

EmergencyCommand::EmergencyCommand(platform::Timers& timers, const std::string& commandLine,
                                   int timeLimit_ms, int grace_ms)
    : timers_(timers), timeLimit_ms_(timeLimit_ms), grace_ms_(grace_ms) {
    const auto words = SplitCommandLine(commandLine);
    words_ = words.value_or(std::vector<std::string>());
    quoteLeftOpen_ = !words.has_value();
}

EmergencyCommand::~EmergencyCommand() {
    const auto graceEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(grace_ms_);
    for (const auto& started : started_) started->EndOfRun(graceEnds);
}

void EmergencyCommand::Fail(const std::string& what) {
    if (onFailure) {
        onFailure(what);
    } else {
        platform::LogLine(platform::Level::Warning) << "--on-emergency: " << what;
    }
}

void EmergencyCommand::Run(const Event& event) {
    const auto* emergency = std::get_if<Emergency>(&event.what);
    if (emergency == nullptr || !emergency->isNew) return;
    std::erase_if(started_, [](const auto& started) { return started->Done(); });
    if (quoteLeftOpen_) return Fail("a quote is left open in the command");
    if (words_.empty()) return Fail("the command is empty");
    if (running_ >= kMaxRunning) return Fail("still running from earlier emergencies, not started");
    started_.push_back(std::make_unique<Started>(*this, *emergency, event.time_s));
}

}  // namespace incidents
