// The dashboard's view of today's watch: what operators may do to an incident, and when not.
#include <gtest/gtest.h>

#include <map>

#include "app/WatchBoard.h"
#include "fakes/FakePorts.h"

namespace app {
namespace {

namespace dash = qt_host::dashboard;

constexpr char kEmergency[] = R"(Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/"5\}Car off the road)";

TEST(WatchBoard, ActionsMoveAnIncidentAlongAndRefuseWhatMakesNoSense) {
    fakes::SettableClock clock;
    builtin_host::BuiltinHost host(clock, {45.5, 9.2});
    forms::FrmMain form;
    std::int64_t now_s = 1000;
    host.SetEpochClock([&now_s] { return now_s; });
    WatchBoard board(host, form, "N0CALL", [&now_s] { return now_s; });
    host.OnTnc2Line(kEmergency);
    int changes = 0;
    board.SetChangeListener([&changes] { ++changes; });

    using K = dash::ActionKind;
    struct Step {
        dash::Action action;
        bool ok;
        const char* state;  // afterwards
    };
    const Step steps[] = {
        {{K::Take, "Q0NONE", "Anna", ""}, false, "new"},
        {{K::Acknowledge, "Q7MOB-9", "", ""}, true, "acknowledged"},
        {{K::Take, "Q7MOB-9", "", ""}, false, "acknowledged"},  // nobody named
        {{K::Take, "Q7MOB-9", "Anna", ""}, true, "being handled"},
        {{K::Note, "Q7MOB-9", "Anna", ""}, false, "being handled"},
        {{K::Note, "Q7MOB-9", "Anna", "on the phone"}, true, "being handled"},
        {{K::Close, "Q7MOB-9", "Anna", ""}, false, "being handled"},  // closing says why
        {{K::Close, "Q7MOB-9", "Anna", "all well"}, true, "closed"},
        {{K::Note, "Q7MOB-9", "Bea", "late"}, false, "closed"},
    };
    int accepted = 0;
    for (const Step& step : steps) {
        const auto result = board.Act(step.action);
        EXPECT_EQ(result.ok, step.ok) << step.state << ": " << result.reason;
        EXPECT_EQ(result.reason.empty(), step.ok);
        const auto snapshot = board.Current();
        ASSERT_EQ(snapshot.incidents.size(), 1u);
        EXPECT_EQ(snapshot.incidents[0].state, step.state);
        accepted += step.ok;
    }
    EXPECT_EQ(changes, accepted);
    const auto closed = board.Current().incidents[0];
    EXPECT_EQ(closed.operatorName, "Anna");
    ASSERT_EQ(closed.notes.size(), 2u);
    EXPECT_EQ(closed.notes[1].text, "all well");

    // The station calls again later: a new incident.
    now_s += 300;
    host.OnTnc2Line(kEmergency);
    const auto reopened = board.Current().incidents[0];
    EXPECT_EQ(reopened.state, "new");
    EXPECT_TRUE(reopened.notes.empty());
    EXPECT_TRUE(board.Act({K::Take, "Q7MOB-9", "Bea", ""}).ok);
}

TEST(WatchBoard, GradesTheEvidenceAndShowsCommentsWithoutTheCallsign) {
    fakes::SettableClock clock;
    builtin_host::BuiltinHost host(clock, {45.5, 9.2});
    forms::FrmMain form;
    WatchBoard board(host, form, "N0CALL", [] { return std::int64_t{1000}; });
    host.OnTnc2Line(kEmergency);
    host.OnTnc2Line("Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! <b>help</b>");
    std::map<std::string, std::string> grades, comments;
    const auto snapshot = board.Current();
    for (const auto& i : snapshot.incidents) grades[i.callsign] = i.grade;
    for (const auto& s : snapshot.stations) comments[s.callsign] = s.comment;
    EXPECT_EQ(grades["Q7MOB-9"], "Mic-E Emergency");
    EXPECT_EQ(grades["Q9XSS"], "!EMERGENCY! in the comment");
    EXPECT_EQ(comments["Q9XSS"], "!EMERGENCY! <b>help</b>");
}

}  // namespace
}  // namespace app
