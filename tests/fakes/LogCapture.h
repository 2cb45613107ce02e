// The lines logged while it lives, instead of standard error.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Log.h"

struct LogCapture {
    std::vector<std::pair<platform::Level, std::string>> lines;  // without who speaks
    platform::LogSink saved =
        platform::SetLogSink([this](platform::Level level, std::string_view,
                                    std::string_view line) { lines.emplace_back(level, line); });
    ~LogCapture() { platform::SetLogSink(std::move(saved)); }
};
