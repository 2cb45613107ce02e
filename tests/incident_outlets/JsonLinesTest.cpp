// The lines of --json and of the incident log, pinned byte for byte where a writer goes wrong
// most easily: whole and tiny numbers, control characters, bytes that are not UTF-8, null; and
// the times they carry, written and read back.
#include <gtest/gtest.h>

#include "incident_outlets/JsonLines.h"

namespace incidents {
namespace {

constexpr std::int64_t kT0 = 1'796'637'600;  // 2026-12-07T10:00:00Z

TEST(JsonLines, TrickyLinesAreWrittenByteForByte) {
    Change opened;
    opened.incident = 3;
    opened.callsign = "Q7MOB-9";
    opened.time_s = kT0;
    opened.action = Action::Open;
    opened.to = State::New;
    opened.grade = EvidenceGrade::MicEEmergency;
    const struct {
        Event event;
        std::string line;
    } cases[] = {
        {{kT0, Position{"Q7MOB-9", {45.0, -0.0}}},
         R"({"callsign":"Q7MOB-9","event":"position","latitude_deg":45,"longitude_deg":0,)"
         R"("time":"2026-12-07T10:00:00Z"})"},
        {{kT0, Position{"Q7MOB-9", {1e-05, 0.0001}}},
         R"({"callsign":"Q7MOB-9","event":"position","latitude_deg":1e-05,"longitude_deg":1e-04,)"
         R"("time":"2026-12-07T10:00:00Z"})"},
        {{kT0, Position{"Q7MOB-9", {45.59166666666667, -0.00012345}}},
         R"({"callsign":"Q7MOB-9","event":"position","latitude_deg":45.59166666666667,)"
         R"("longitude_deg":-0.00012345,"time":"2026-12-07T10:00:00Z"})"},
        // A control character, a byte that starts nothing, a sequence cut short, a byte order
        // mark at the start, a quote and a backslash.
        {{0, FeedDown{"KISS\x01 \xff\xc3 \xc3\xa9", "\xef\xbb\xbf\"refused\"\\"}},
         "{\"event\":\"feed\",\"feed\":\"KISS\\u0001 \xef\xbf\xbd\xef\xbf\xbd \xc3\xa9\","
         "\"reason\":\"\\\"refused\\\"\\\\\",\"state\":\"down\",\"time\":\"1970-01-01T00:00:"
         "00Z\"}"},
        {{kT0, IncidentChange{opened}},
         R"({"action":"open","callsign":"Q7MOB-9","event":"incident","from":null,"grade":"mic_e",)"
         R"("grade_text":"Mic-E Emergency code","handler":"","held_back":"","incident":3,"note":"",)"
         R"("operator":"","time":"2026-12-07T10:00:00Z","to":"new"})"},
        {{kT0, WatchStarted{.lastAlive_s = kT0 - 60, .home = Place{45.5, 9.25}}},
         R"({"event":"watch","last_alive":"2026-12-07T09:59:00Z","latitude_deg":45.5,)"
         R"("longitude_deg":9.25,"state":"started","stopped_cleanly":true,)"
         R"("time":"2026-12-07T10:00:00Z"})"},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonLine(c.event), c.line);
}

TEST(JsonLines, TimesAreWrittenAndReadBack) {
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {{0, "1970-01-01T00:00:00Z"},
                 {-1, "1969-12-31T23:59:59Z"},
                 {1'709'251'199, "2024-02-29T23:59:59Z"},
                 {-62'135'596'800, "0001-01-01T00:00:00Z"},
                 {253'402'300'799, "9999-12-31T23:59:59Z"},
                 {253'402'300'800, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(IsoTime(c.seconds), c.text);
        if (*c.text != 0) {
            EXPECT_EQ(ParseIsoTime(c.text), c.seconds) << c.text;
        }
    }
    EXPECT_EQ(ParseIsoTime("2026-12-07T11:00:00.250+01:00"), kT0);
    EXPECT_EQ(ParseIsoTime("2026-12-07 10:00"), kT0);
    for (const char* bad :
         {"yesterday", "2026-13-01T00:00", "2026-02-30T00:00", "2026-12-07T25:00", "2026-12-07Tfoo",
          "2026-12-07T10:05Zjunk", "2026-12-07T10:00+15:00", "2026-12-07T10", "2026-12-07T10:00:0"})
        EXPECT_FALSE(ParseIsoTime(bad)) << bad;
}

}  // namespace
}  // namespace incidents
