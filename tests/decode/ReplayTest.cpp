// Replay files: timestamps in both forms, comments and blanks, pacing delays.
#include <gtest/gtest.h>

#include <sstream>

#include "decode/Replay.h"

namespace decode {
namespace {

TEST(Replay, LineForms) {
    struct Case {
        const char* text;
        std::optional<double> time_s = {};
        const char* tnc2 = nullptr;  // none: the line is skipped
    };
    const Case cases[] = {
        {"A>B:x", {}, "A>B:x"},
        {"12.5 A>B:x y", 12.5, "A>B:x y"},
        {"0 A>B:x\r", 0.0, "A>B:x"},
        {"1970-01-02T00:00:01Z A>B:x", 86401.0, "A>B:x"},
        {"2026-12-06T10:00:00.5Z  A>B:x", 1796551200.5, "A>B:x"},
        // A callsign that starts with digits is never a timestamp.
        {"2E0ABC>APRS:>hi there", {}, "2E0ABC>APRS:>hi there"},
        {"3.5 2E0ABC>APRS:>hi", 3.5, "2E0ABC>APRS:>hi"},
        // Not a timestamp: kept as part of the line, the decoder will judge it.
        {"2026-13-01T00:00:00Z A>B:x", {}, "2026-13-01T00:00:00Z A>B:x"},
        {"-3 A>B:x", {}, "-3 A>B:x"},
        // Comments and blank lines give no line at all.
        {""},
        {"   "},
        {"\r"},
        {"# recorded 2026-12-06"},
        {"  # indented"},
        {"12.5 "},
    };
    for (const Case& c : cases) {
        const auto line = ParseReplayLine(c.text);
        std::string inPlace = c.text;  // the form that keeps the line's own string
        std::optional<double> time_s = 99.0;
        ASSERT_EQ(line.has_value(), c.tnc2 != nullptr) << c.text;
        ASSERT_EQ(ParseReplayLine(inPlace, time_s), c.tnc2 != nullptr) << c.text;
        if (!line) continue;
        EXPECT_EQ(line->time_s, c.time_s) << c.text;
        EXPECT_EQ(line->tnc2, c.tnc2);
        EXPECT_EQ(time_s, c.time_s) << c.text;
        EXPECT_EQ(inPlace, c.tnc2);
    }
}

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
}  // namespace decode
