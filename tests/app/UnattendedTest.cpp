// What a watch left alone for months relies on: its lines' priorities in the journal (the
// incident log that keeps only the days asked for is IncidentLogTest's).
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "incident_outlets/JsonLines.h"
#include "incidents/TabLines.h"
#include "platform/Log.h"

namespace app {
namespace {

using namespace incidents;

// Turns the journal's priorities on while it lives.
struct JournalOn {
    JournalOn() { platform::SetJournalPriorities(true); }
    ~JournalOn() { platform::SetJournalPriorities(false); }
};

template <typename MakePrinter>
std::string Printed(MakePrinter makePrinter, What what) {
    std::ostringstream out;
    makePrinter(out)(Event{0, std::move(what)});
    return out.str();
}

TEST(JournalLevel, EmergenciesAreCriticalSilenceAWarning) {
    const JournalOn journal;
    Emergency emergency;
    emergency.panel.text[static_cast<std::size_t>(Box::Callsign)] = "Q7MOB-9";
    struct Case {
        What what;
        const char* tabLine;  // its start
    };
    for (const Case& c : {
             Case{emergency, "<2>EMERGENCY\tQ7MOB-9\t"},
             Case{AlarmOn{}, "<2>ALARM\ton\n"},
             Case{Acknowledged{}, "<5>ALARM\toff\n"},
             Case{FeedSilent{"KISS 127.0.0.1:8001", 900, 0}, "<4>FEED\tsilent\t900\tKISS"},
             Case{FeedBack{}, "<5>FEED\tback\n"},
             Case{FeedDown{"KISS 127.0.0.1:8001", "Connection refused"}, "<4>FEED\tdown\t"},
             Case{FeedUp{}, "<5>FEED\tup\n"},
         }) {
        const std::string tab = Printed(TabLinePrinter, c.what);
        const std::string json = Printed(JsonLinePrinter, c.what);
        EXPECT_TRUE(tab.starts_with(c.tabLine)) << tab;
        EXPECT_EQ(json.substr(0, 4), tab.substr(0, 3) + "{") << json;
    }
    EXPECT_TRUE(Printed(JsonLinePrinter, WatchStarted{}).starts_with("<6>{"));
    EXPECT_EQ(Printed(TabLinePrinter, Position{"EMERGENCY", {}}), "");  // not printed at all
}

TEST(JournalLevel, LogLinesCarryTheirLevelAndWhoSpeaks) {
    const JournalOn journal;
    std::ostringstream err;
    std::streambuf* const old = std::cerr.rdbuf(err.rdbuf());
    platform::Log(platform::Level::Error, "host set-up: Cannot write");
    platform::Log(platform::Level::Info, "connected to 127.0.0.1:8001", "feed");
    std::cerr.rdbuf(old);
    EXPECT_EQ(err.str(),
              "<4>sirenwatch: host set-up: Cannot write\n<6>feed: connected to 127.0.0.1:8001\n");
}

}  // namespace
}  // namespace app
