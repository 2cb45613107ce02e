#include "platform/Log.h"

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

// One write per line, so that lines of two threads do not interleave on the stream. A line may
// quote the air: what the terminal or the journal would act on is escaped.
void ToStandardError(Level, std::string_view line) {
    std::string text = PrintableText(line, true);
    text += '\n';
    std::cerr << text << std::flush;
}
}  // namespace

void Log(Level level, std::string_view line) noexcept {
    // Logging never fails the caller, which often logs from a handler's catch.
    try {
        const std::lock_guard<std::mutex> guard(SinkLock());
        if (const LogSink& sink = CurrentSink())
            sink(level, line);
        else
            ToStandardError(level, line);
    } catch (...) {
    }
}

LogSink SetLogSink(LogSink sink) {
    const std::lock_guard<std::mutex> guard(SinkLock());
    return std::exchange(CurrentSink(), std::move(sink));
}

}  // namespace platform
