// The program's one place to log: a line with its level goes to a sink that can be set, like
// libobs's blog. The sink adds who speaks (the program's name, or a part such as the feed) and,
// in the journal, the priority from the level; nothing reads a level back out of the text.
#pragma once

#include <functional>
#include <sstream>
#include <string>
#include <string_view>

namespace platform {

enum class Level { Critical, Error, Warning, Notice, Info };

// Receives each line, without its trailing newline, and who speaks (never empty). Called under a
// lock: a sink does not log. What a sink throws is dropped.
using LogSink = std::function<void(Level, std::string_view speaker, std::string_view line)>;

// `speaker` left empty is the program (see SetProgramName).
void Log(Level level, std::string_view line, std::string_view speaker = {}) noexcept;

// Sends the lines from now on to `sink` (an empty one brings back standard error); returns the
// sink it replaces.
LogSink SetLogSink(LogSink sink);

// The name the lines are signed with when no part of the program speaks ("sirenwatch" unless
// set, once, at the start).
void SetProgramName(std::string name);

// Under a service manager that reads the output into the journal (JOURNAL_STREAM set), every
// line written to standard output or standard error starts with the syslog priority "<N>" its
// level gives (critical 2, error and warning 4, notice 5, information 6). Set at the start.
void SetJournalPriorities(bool on);
// "<N>" for `level` when the journal's priorities are on, else nothing.
std::string LinePrefix(Level level);

// A line built with <<, logged when the statement ends:
//   platform::LogLine(platform::Level::Warning) << "cannot write " << path;
class LogLine {
public:
    explicit LogLine(Level level, std::string_view speaker = {})
        : level_(level), speaker_(speaker) {}
    ~LogLine() { Log(level_, text_.view(), speaker_); }
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    template <typename T>
    LogLine& operator<<(const T& value) {
        text_ << value;
        return *this;
    }

private:
    Level level_;
    std::string speaker_;
    std::ostringstream text_;
};

}  // namespace platform
