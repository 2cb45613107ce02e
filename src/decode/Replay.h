// Replay files: recorded TNC2 traffic, one monitor line per line, optionally paced.
//
// Format: each line is "[TIMESTAMP ]SRC>DEST,PATH:payload". TIMESTAMP is either seconds from
// any origin ("12.5") or UTC ISO 8601 ("2026-12-06T10:00:00Z", fractions of a second
// allowed), followed by one blank. A line's delay after the previous timestamped line is the
// difference of the two timestamps (never negative); lines without one follow at once.
// Lines starting with "#" and blank lines are skipped; CR LF line ends are accepted.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace decode {

struct ReplayLine {
    std::optional<double> time_s;  // the timestamp in seconds, when the line has one
    std::string tnc2;
};

// Nothing for a comment or blank line.
std::optional<ReplayLine> ParseReplayLine(std::string_view line);
// The same in place: `line` keeps only its monitor line, without copying it. False (and
// `line` unspecified) for a comment or blank line.
bool ParseReplayLine(std::string& line, std::optional<double>& time_s);

// Reads a whole replay file.
std::vector<ReplayLine> ReadReplay(std::istream& in);

// The next line of a replay file, past comments and blank lines; nothing at its end.
std::optional<ReplayLine> ReadReplayLine(std::istream& in);

// Seconds to wait before `next`, given the last timestamp seen before it.
double ReplayDelay_s(std::optional<double> lastTime_s, const ReplayLine& next);

}  // namespace decode
