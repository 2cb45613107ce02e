// The log's sink: standard error by default, signed with who speaks, with the journal's
// priority when asked for.
#include "platform/Log.h"

#include <atomic>
#include <iostream>
#include <mutex>
#include <utility>

#include "platform/PrintableText.h"

namespace platform {

namespace {
std::mutex& SinkLock() {
    static std::mutex lock;
    return lock;
}

LogSink& CurrentSink() {
    static LogSink sink;
    return sink;
}

std::string& ProgramName() {
    static std::string name = "sirenwatch";
    return name;
}

std::atomic<bool> journalPriorities{false};

// One write per line, so that lines of two threads do not interleave on the stream. A line may
// quote the air: what the terminal or the journal would act on is escaped.
void ToStandardError(Level level, std::string_view speaker, std::string_view line) {
    std::string text = LinePrefix(level);
    text += speaker;
    text += ": ";
    text += PrintableText(line, true);
    text += '\n';
    std::cerr << text << std::flush;
}
}  // namespace

void Log(Level level, std::string_view line, std::string_view speaker) noexcept {
    // Logging never fails the caller, which often logs from a handler's catch.
    try {
        const std::lock_guard<std::mutex> guard(SinkLock());
        if (speaker.empty()) speaker = ProgramName();
        if (const LogSink& sink = CurrentSink())
            sink(level, speaker, line);
        else
            ToStandardError(level, speaker, line);
    } catch (...) {
    }
}

LogSink SetLogSink(LogSink sink) {
    const std::lock_guard<std::mutex> guard(SinkLock());
    return std::exchange(CurrentSink(), std::move(sink));
}

void SetProgramName(std::string name) {
    const std::lock_guard<std::mutex> guard(SinkLock());
    ProgramName() = std::move(name);
}

void SetJournalPriorities(bool on) {
    journalPriorities = on;
}

std::string LinePrefix(Level level) {
    if (!journalPriorities) return {};
    switch (level) {
        case Level::Critical:
            return "<2>";
        case Level::Error:
        case Level::Warning:
            return "<4>";
        case Level::Notice:
            return "<5>";
        case Level::Info:
            break;
    }
    return "<6>";
}

}  // namespace platform
