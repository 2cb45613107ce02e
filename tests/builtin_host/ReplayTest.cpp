// Replay files: timestamps in both forms, comments and blanks, pacing delays.
#include <gtest/gtest.h>

#include <sstream>

#include "builtin_host/Replay.h"
#include "builtin_host/TestNames.h"

namespace builtin_host {
namespace {

struct ReplayCase {
    const char* text;
    std::optional<double> time_s = {};
    const char* tnc2 = nullptr;  // none: the line is skipped
};

void PrintTo(const ReplayCase& c, std::ostream* os) {
    PrintSafe(c.text, os);
}

class ReplayLines : public ::testing::TestWithParam<ReplayCase> {};

TEST_P(ReplayLines, Parse) {
    const auto line = ParseReplayLine(GetParam().text);
    ASSERT_EQ(line.has_value(), GetParam().tnc2 != nullptr) << GetParam().text;
    if (!line) return;
    EXPECT_EQ(line->time_s, GetParam().time_s);
    EXPECT_EQ(line->tnc2, GetParam().tnc2);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ReplayLines,
    ::testing::Values(ReplayCase{"A>B:x", {}, "A>B:x"}, ReplayCase{"12.5 A>B:x y", 12.5, "A>B:x y"},
                      ReplayCase{"0 A>B:x\r", 0.0, "A>B:x"},
                      ReplayCase{"1970-01-02T00:00:01Z A>B:x", 86401.0, "A>B:x"},
                      ReplayCase{"2026-12-06T10:00:00.5Z  A>B:x", 1796551200.5, "A>B:x"},
                      // A callsign that starts with digits is never a timestamp.
                      ReplayCase{"2E0ABC>APRS:>hi there", {}, "2E0ABC>APRS:>hi there"},
                      ReplayCase{"3.5 2E0ABC>APRS:>hi", 3.5, "2E0ABC>APRS:>hi"},
                      // Not a timestamp: kept as part of the line, the decoder will judge it.
                      ReplayCase{"2026-13-01T00:00:00Z A>B:x", {}, "2026-13-01T00:00:00Z A>B:x"},
                      ReplayCase{"-3 A>B:x", {}, "-3 A>B:x"},
                      // Comments and blank lines give no line at all.
                      ReplayCase{""}, ReplayCase{"   "}, ReplayCase{"\r"},
                      ReplayCase{"# recorded 2026-12-06"}, ReplayCase{"  # indented"},
                      ReplayCase{"12.5 "}));

TEST(Replay, FileAndDelays) {
    std::istringstream file("# demo\n0 A>B:1\r\n\n2.5 A>B:2\nA>B:3\n1.0 A>B:4\n");
    const auto lines = ReadReplay(file);
    ASSERT_EQ(lines.size(), 4u);
    std::optional<double> last;
    std::vector<double> delays;
    for (const auto& line : lines) {
        delays.push_back(ReplayDelay_s(last, line));
        if (line.time_s) last = line.time_s;
    }
    EXPECT_EQ(delays, (std::vector<double>{0.0, 2.5, 0.0, 0.0}));  // never backwards
}

}  // namespace
}  // namespace builtin_host
