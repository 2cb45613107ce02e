// The dashboard's view of the incident book: what operators may do to an incident, and when
// not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "app/WatchBoard.h"
#include "fakes/FakePorts.h"

namespace app {
namespace {

namespace dash = qt_host::dashboard;

// The board over a host whose frames the book hears as the program wires it.
struct Watched {
    fakes::SettableClock clock;
    builtin_host::BuiltinHost host{clock, {45.5, 9.2}};
    forms::FrmMain form;
    incidents::IncidentBook book;
    std::int64_t now_s = 1000;
    platform::ProgramValues values;
    WatchBoard board{host, form, book, "N0CALL", [this] { return now_s; }};
    Watched() {
        values.CodiceLingua = 2000;
        board.SetProgramValues(values);
        host.SetEpochClock([this] { return now_s; });
        host.SetSightingListener([this](const sighting::Sighting& frame) { book.Observe(frame); });
    }
};

constexpr char kEmergency[] = R"(Q7MOB-9>453UU0,WIDE1-1,WIDE2-1:`~SZl I>/"5\}Car off the road)";

TEST(WatchBoard, ActionsMoveAnIncidentAlongAndRefuseWhatMakesNoSense) {
    Watched w;
    w.host.OnTnc2Line(kEmergency);
    const std::string id = w.board.Current().incidents.at(0).id;
    int changes = 0;
    w.board.SetChangeListener([&changes] { ++changes; });

    using K = dash::ActionKind;
    struct Step {
        dash::Action action;
        bool ok;
        const char* state;  // afterwards
    };
    const Step steps[] = {
        {{K::Take, "Q0NONE", "Anna", ""}, false, "new"},
        {{K::Acknowledge, id, "", ""}, true, "acknowledged"},
        {{K::Take, id, "", ""}, false, "acknowledged"},  // nobody named
        {{K::Take, id, "Anna", ""}, true, "being handled"},
        {{K::Note, id, "Anna", ""}, false, "being handled"},
        {{K::Note, id, "Anna", "on the phone"}, true, "being handled"},
        {{K::Close, id, "Anna", ""}, false, "being handled"},  // closing says why
        // A hand-over: Bea takes over with a note, and gives it back.
        {{K::Take, id, "Bea", ""}, false, "being handled"},
        {{K::Close, id, "Bea", "gone home"}, false, "being handled"},
        {{K::TakeOver, id, "Bea", ""}, false, "being handled"},
        {{K::TakeOver, id, "Bea", "Anna's shift ended"}, true, "being handled"},
        {{K::Release, id, "Anna", ""}, false, "being handled"},
        {{K::Release, id, "", ""}, false, "being handled"},
        {{K::Release, id, "Bea", ""}, true, "acknowledged"},
        {{K::Take, id, "Anna", ""}, true, "being handled"},
        {{K::Close, id, "Anna", "all well"}, true, "closed"},
        {{K::Note, id, "Bea", "late"}, false, "closed"},
    };
    int accepted = 0;
    for (const Step& step : steps) {
        const auto result = w.board.Act(step.action);
        EXPECT_EQ(result.ok, step.ok) << step.state << ": " << result.reason;
        EXPECT_EQ(result.reason.empty(), step.ok);
        const auto snapshot = w.board.Current();
        ASSERT_EQ(snapshot.incidents.size(), 1u);
        EXPECT_EQ(snapshot.incidents[0].state, step.state);
        accepted += step.ok;
    }
    EXPECT_EQ(changes, accepted);
    const auto closed = w.board.Current().incidents[0];
    EXPECT_EQ(closed.operatorName, "Anna");
    ASSERT_EQ(closed.notes.size(), 3u);
    EXPECT_EQ(closed.notes[1].text, "Anna's shift ended");
    EXPECT_EQ(closed.notes[1].operatorName, "Bea");
    EXPECT_EQ(closed.notes[2].text, "all well");

    // The station calls again later: a new incident.
    w.now_s += 300;
    w.host.OnTnc2Line(std::string(kEmergency) + " again");
    const auto reopened = w.board.Current().incidents[0];
    EXPECT_EQ(reopened.state, "new");
    EXPECT_NE(reopened.id, id);
    EXPECT_TRUE(reopened.notes.empty());
    EXPECT_TRUE(w.board.Act({K::Take, reopened.id, "Bea", ""}).ok);
}

TEST(WatchBoard, GradesTheEvidenceAndShowsCommentsWithoutTheCallsign) {
    Watched w;
    incidents::WatchList watch;
    watch.ignore = {{"Q9XSS", "test beacon"}};
    w.book.SetWatchList(watch);
    w.host.OnTnc2Line(kEmergency);
    w.host.OnTnc2Line("Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! <b>help</b>");
    w.host.OnTnc2Line("Q8MOV>APRS:!4531.00N/00912.00E>on my way");
    std::map<std::string, std::string> grades, heldBack, comments;
    const auto snapshot = w.board.Current();
    ASSERT_EQ(snapshot.incidents.size(), 2u) << "a frame without an emergency opens none";
    EXPECT_EQ(snapshot.home_deg, std::make_pair(45.5, 9.2));
    for (const auto& i : snapshot.incidents) {
        grades[i.callsign] = i.grade;
        heldBack[i.callsign] = i.heldBack;
    }
    for (const auto& s : snapshot.stations) comments[s.callsign] = s.comment;
    EXPECT_EQ(grades["Q7MOB-9"], "Mic-E Emergency");
    EXPECT_EQ(grades["Q9XSS"], "!EMERGENCY! in the comment");
    EXPECT_EQ(comments["Q9XSS"], "!EMERGENCY! <b>help</b>");
    EXPECT_EQ(heldBack["Q7MOB-9"], "");
    EXPECT_NE(heldBack["Q9XSS"].find("test beacon"), std::string::npos) << heldBack["Q9XSS"];
}

TEST(WatchBoard, ACardSaysWhereTheStationIsFromHomeInTheAddOnsUnitAndLanguage) {
    Watched w;
    w.host.OnTnc2Line("Q9XSS>APRS:!4531.00N/00912.00E>!EMERGENCY! <b>fell</b>, leg broken");
    auto card = w.board.Current().incidents.at(0);
    EXPECT_EQ(card.comment, "!EMERGENCY! <b>fell</b>, leg broken");
    ASSERT_TRUE(card.latitude_deg && card.distance && card.bearing_deg);
    EXPECT_NEAR(*card.latitude_deg, 45.5167, 0.0001);
    EXPECT_NEAR(*card.distance, 1.85, 0.05);
    EXPECT_NEAR(*card.bearing_deg, 0, 0.5) << "due north of home";
    EXPECT_EQ(card.state, "new");
    EXPECT_EQ(card.grade, "!EMERGENCY! in the comment");

    w.values.UnitaMisura = 2;
    w.values.CodiceLingua = 1000;
    const auto snapshot = w.board.Current();
    card = snapshot.incidents.at(0);
    EXPECT_TRUE(snapshot.miles);
    EXPECT_EQ(snapshot.languageCode, 1000);
    EXPECT_NEAR(*card.distance, 1.85 / 1.609344, 0.05);
    EXPECT_EQ(card.stateKey, "new");
    EXPECT_EQ(card.state, "nuovo");
    EXPECT_EQ(card.grade, "!EMERGENCY! nel commento");

    // A refusal is worded in the same language, the book's as the board's own.
    using K = dash::ActionKind;
    ASSERT_TRUE(w.board.Act({K::Take, card.id, "Anna", ""}).ok);
    EXPECT_EQ(w.board.Act({K::Take, card.id, "Bea", ""}).reason,
              "in gestione a Anna: prima subentra, con una nota");
    EXPECT_EQ(w.board.Act({K::Close, card.id, "Anna", ""}).reason,
              "per chiudere serve una nota: cosa è successo");
    EXPECT_EQ(w.board.Act({K::Note, "Q0NONE", "Anna", "x"}).reason,
              "nessun intervento con quel numero");
}

TEST(WatchBoard, CirclesGoAroundTheOpenIncidentsShownAndNoMore) {
    Watched w;
    const int stations = int(WatchBoard::kMaxIncidents) + 50;
    for (int n = 0; n < stations; ++n) {
        const std::string call = "Q" + std::to_string(n);
        char position[32];
        std::snprintf(position, sizeof position, "!45%02d.%02dN/009%02d.00E>", n % 60, n / 60,
                      n % 50);
        w.host.OnTnc2Line(call + ">APRS:" + position + "!EMERGENCY! help");
        // The add-on draws one circle per station in its table.
        w.host.MapState().DrawCircle(float(9 * 60 + n % 50), float(45 * 60 + n % 60), 2.0f, 255,
                                     0.0f, 6.2832f, 1.0f);
    }
    ASSERT_EQ(w.host.MapState().Circles().size(), std::size_t(stations));
    auto snapshot = w.board.Current();
    EXPECT_EQ(snapshot.circles.size(), WatchBoard::kMaxCircles);
    EXPECT_EQ(snapshot.circles[0].color, "#ff0000") << "in the add-on's colour";
    EXPECT_NEAR(snapshot.circles[0].radius_km, 2.0 / 60 * 111.2, 0.01) << "and size";

    // A closed incident keeps its card but loses its circle.
    const std::string id = snapshot.incidents.at(0).id;
    ASSERT_TRUE(w.board.Act({dash::ActionKind::Close, id, "Anna", "false alarm"}).ok);
    snapshot = w.board.Current();
    for (const auto& i : snapshot.incidents) {
        if (i.id != id) continue;
        const bool circled =
            std::any_of(snapshot.circles.begin(), snapshot.circles.end(), [&](const auto& c) {
                return c.latitude_deg == *i.latitude_deg && c.longitude_deg == *i.longitude_deg;
            });
        EXPECT_FALSE(circled) << "the closed incident is circled";
    }
}

TEST(WatchBoard, FramesWithoutAnEmergencyMarkStillReachTheStationsOpenIncident) {
    Watched w;
    w.host.OnTnc2Line(kEmergency);
    w.now_s += 10;
    w.host.OnTnc2Line("Q7MOB-9>APRS:!4531.00N/00912.00E>moving on");
    const auto moved = w.board.Current().incidents.at(0);
    EXPECT_EQ(moved.lastHeard_s, 1010);
    ASSERT_TRUE(moved.latitude_deg.has_value());
    EXPECT_NEAR(*moved.latitude_deg, 45.5167, 1e-3);
    EXPECT_EQ(moved.state, "new");

    w.now_s += 10;
    w.host.OnTnc2Line(R"(Q7MOB-9>SU3UU0:`~SZl I>/"5\})");  // a Mic-E message, not Emergency
    EXPECT_EQ(w.board.Current().incidents.at(0).state, "stood down");
}

}  // namespace
}  // namespace app
