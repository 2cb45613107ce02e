// What a watch left alone for months relies on: its lines' priorities in the journal (the
// incident log that keeps only the days asked for is IncidentLogTest's).
#include <gtest/gtest.h>

#include "app/JournalLevels.h"

namespace app {
namespace {

TEST(JournalLevel, EmergenciesAreCriticalSilenceAWarning) {
    struct Case {
        const char* line;
        bool errorStream;
        int level;
    };
    for (const Case& c : {
             Case{"EMERGENCY\tQ7MOB-9\tEMERGENCY\tCar off the road", false, 2},
             Case{"ALARM\ton", false, 2},
             Case{"ALARM\toff", false, 5},
             Case{"FEED\tsilent\t900\tKISS 127.0.0.1:8001", false, 4},
             Case{"FEED\tback", false, 5},
             Case{"FEED\tdown\tConnection refused\tKISS 127.0.0.1:8001", false, 4},
             Case{R"({"callsign":"Q7MOB-9","event":"emergency","new":true})", false, 2},
             Case{R"({"event":"alarm","state":"on"})", false, 2},
             Case{R"({"event":"feed","state":"silent"})", false, 4},
             Case{R"({"event":"feed","state":"back"})", false, 5},
             Case{R"({"event":"feed","state":"down"})", false, 4},
             Case{R"({"event":"position","callsign":"EMERGENCY"})", false, 6},
             Case{"Q1ALFA EMERGENCY", false, 6},  // only the first word counts
             Case{"feed: connected to 127.0.0.1:8001", true, 6},
             Case{"sirenwatch: host set-up: Cannot write", true, 4},
         }) {
        EXPECT_EQ(JournalLevel(c.line, c.errorStream), c.level) << c.line;
    }
}

}  // namespace
}  // namespace app
