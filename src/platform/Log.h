// The program's one place to log: a line with its level goes to a sink that can be set, like
// libobs's blog. The default sink writes the line to standard error; tests set their own to
// read what was logged, and a service could send it to the journal.
#pragma once

#include <functional>
#include <sstream>
#include <string_view>

namespace platform {

enum class Level { Error, Warning, Info };

// Receives each line, without its trailing newline. Called under a lock: a sink does not log.
// What a sink throws is dropped.
using LogSink = std::function<void(Level, std::string_view)>;

void Log(Level level, std::string_view line) noexcept;

// Sends the lines from now on to `sink` (an empty one brings back standard error); returns the
// sink it replaces.
LogSink SetLogSink(LogSink sink);

// A line built with <<, logged when the statement ends:
//   platform::LogLine(platform::Level::Warning) << "sirenwatch: cannot write " << path;
class LogLine {
public:
    explicit LogLine(Level level) : level_(level) {}
    ~LogLine() { Log(level_, text_.view()); }
    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    template <typename T>
    LogLine& operator<<(const T& value) {
        text_ << value;
        return *this;
    }

private:
    Level level_;
    std::ostringstream text_;
};

}  // namespace platform
