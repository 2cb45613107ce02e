// Replay files: a leading timestamp is recognised only when the first word has no ">", so a
// callsign can never be taken for one.
#include "decode/Replay.h"

#include <algorithm>
#include <charconv>
#include <chrono>

namespace decode {
namespace {

std::optional<double> ParseSeconds(std::string_view text) {
    double value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 0) return std::nullopt;
    return value;
}

std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t count) {
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY-MM-DDTHH:MM:SS[.fff]Z" as seconds since 1970 (UTC).
std::optional<double> ParseIso8601(std::string_view text) {
    if (text.size() < 20 || text.back() != 'Z' || text[4] != '-' || text[7] != '-' ||
        text[10] != 'T' || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2);
    const auto second = ParseSeconds(text.substr(17, text.size() - 18));
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    if (*hour > 23 || *minute > 59 || *second >= 61) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{*year},
                                           std::chrono::month{static_cast<unsigned>(*month)},
                                           std::chrono::day{static_cast<unsigned>(*day)}};
    if (!date.ok()) return std::nullopt;
    const auto days = std::chrono::sys_days{date}.time_since_epoch().count();
    return days * 86400.0 + *hour * 3600.0 + *minute * 60.0 + *second;
}

std::optional<double> ParseTimestamp(std::string_view word) {
    if (word.find('>') != std::string_view::npos) return std::nullopt;
    if (word.find('T') != std::string_view::npos) return ParseIso8601(word);
    return ParseSeconds(word);
}

// The monitor line within a replay line, and its timestamp; nothing for a comment or blank.
std::optional<std::string_view> MonitorLine(std::string_view line, std::optional<double>& time_s) {
    time_s.reset();
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == '#') return std::nullopt;
    line.remove_prefix(start);

    const auto blank = line.find(' ');
    if (blank != std::string_view::npos) {
        if (const auto time = ParseTimestamp(line.substr(0, blank))) {
            time_s = time;
            line.remove_prefix(blank);
            line.remove_prefix(std::min(line.size(), line.find_first_not_of(' ')));
            if (line.empty()) return std::nullopt;
        }
    }
    return line;
}

}  // namespace

std::optional<ReplayLine> ParseReplayLine(std::string_view line) {
    ReplayLine result;
    const auto monitor = MonitorLine(line, result.time_s);
    if (!monitor) return std::nullopt;
    result.tnc2 = std::string(*monitor);
    return result;
}

bool ParseReplayLine(std::string& line, std::optional<double>& time_s) {
    const auto monitor = MonitorLine(line, time_s);
    if (!monitor) return false;
    const std::size_t start = static_cast<std::size_t>(monitor->data() - line.data());
    const std::size_t size = monitor->size();
    line.resize(start + size);
    line.erase(0, start);
    return true;
}

std::vector<ReplayLine> ReadReplay(std::istream& in) {
    std::vector<ReplayLine> lines;
    while (auto line = ReadReplayLine(in)) lines.push_back(std::move(*line));
    return lines;
}

std::optional<ReplayLine> ReadReplayLine(std::istream& in) {
    std::string text;
    while (std::getline(in, text)) {
        if (auto line = ParseReplayLine(text)) return line;
    }
    return std::nullopt;
}

double ReplayDelay_s(std::optional<double> lastTime_s, const ReplayLine& next) {
    if (!lastTime_s || !next.time_s) return 0.0;
    return std::max(0.0, *next.time_s - *lastTime_s);
}

}  // namespace decode
