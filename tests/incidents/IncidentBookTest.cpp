// The incident book: the states an incident goes through, who may move it, late copies, and
// the records its changes leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "incidents/Events.h"
#include "incidents/IncidentBook.h"

namespace incidents {
namespace {

constexpr std::int64_t kT0 = 1'796'472'000;  // 5 December 2026, 12:00 UTC (about)

Sighting Emergency(std::int64_t time_s, std::string key = "", std::string call = "IZ2ABC-9") {
    Sighting o;
    o.callsign = std::move(call);
    o.time_s = time_s;
    o.micEEmergency = true;
    o.frameKey = key.empty() ? "k" + std::to_string(time_s) : std::move(key);
    return o;
}

Sighting Beacon(std::int64_t time_s, bool micEOther = false) {
    Sighting o;
    o.callsign = "IZ2ABC-9";
    o.time_s = time_s;
    o.micEOtherMessage = micEOther;
    o.frameKey = "b" + std::to_string(time_s);
    return o;
}

OperatorCommand Command(OperatorAction action, std::string text = "", std::string who = "Anna") {
    return {action, 1, kT0 + 100, std::move(who), std::move(text)};
}

struct World {
    IncidentBook book;
    std::vector<Change> changes;
    World() {
        book.SetChangeSink([this](const Change& c) { changes.push_back(c); });
    }
    // Incident 1 of IZ2ABC-9, brought to `state` the usual way.
    void Reach(State state) {
        book.Observe(Emergency(kT0));
        if (state == State::Acknowledged) book.Apply(Command(OperatorAction::Acknowledge));
        if (state == State::BeingHandled) book.Apply(Command(OperatorAction::Take));
        if (state == State::StoodDown) book.Observe(Beacon(kT0 + 10, true));
        if (state == State::Closed) book.Apply(Command(OperatorAction::Close, "false alarm"));
        ASSERT_EQ(book.Find(1)->state, state);
    }
};

TEST(IncidentBook, OperatorActionsAllowedAndRefusedByState) {
    using A = OperatorAction;
    const struct {
        State from;
        OperatorCommand command;
        State to;  // New with a refusal: refused, the state unchanged
        const char* refusal;
    } cases[] = {
        {State::New, Command(A::Acknowledge), State::Acknowledged, ""},
        {State::New, Command(A::Take), State::BeingHandled, ""},
        {State::Acknowledged, Command(A::Take, "Bruno"), State::BeingHandled, ""},
        {State::New, Command(A::Note, "called him"), State::New, ""},
        {State::BeingHandled, Command(A::Note, "on his way"), State::BeingHandled, ""},
        {State::StoodDown, Command(A::Note, "ok"), State::StoodDown, ""},
        {State::New, Command(A::Close, "done"), State::Closed, ""},
        {State::BeingHandled, Command(A::Close, "rescued"), State::Closed, ""},
        {State::StoodDown, Command(A::Close, "fine"), State::Closed, ""},
        {State::Acknowledged, Command(A::Acknowledge), State::Acknowledged, "already acknowledged"},
        {State::BeingHandled, Command(A::Acknowledge), State::BeingHandled,
         "already being handled by Anna"},
        {State::BeingHandled, Command(A::Take, "", "Carla"), State::BeingHandled,
         "being handled by Anna: take it over first, with a note"},
        {State::BeingHandled, Command(A::Close, "gone", "Carla"), State::BeingHandled,
         "being handled by Anna: take it over first, with a note"},
        {State::BeingHandled, Command(A::Close, "gone", "ANNA"), State::Closed, ""},
        {State::BeingHandled, Command(A::Note, "seen him", "Carla"), State::BeingHandled, ""},
        // The hand-over: another operator takes over with a note; the handler releases.
        {State::BeingHandled, Command(A::TakeOver, "Anna's shift ended", "Carla"),
         State::BeingHandled, ""},
        {State::BeingHandled, Command(A::TakeOver, "", "Carla"), State::BeingHandled,
         "taking over needs a note: why"},
        {State::BeingHandled, Command(A::TakeOver, "mine", "anna"), State::BeingHandled,
         "already being handled by Anna"},
        {State::Acknowledged, Command(A::TakeOver, "mine", "Carla"), State::Acknowledged,
         "nobody handles it yet: take it"},
        {State::BeingHandled, Command(A::Release, "off duty"), State::Acknowledged, ""},
        {State::BeingHandled, Command(A::Release, "", "Carla"), State::BeingHandled,
         "only Anna can release it; take it over with a note"},
        {State::New, Command(A::Release), State::New, "nobody handles it"},
        {State::Closed, Command(A::TakeOver, "late", "Carla"), State::Closed,
         "the incident is closed"},
        {State::StoodDown, Command(A::Take), State::StoodDown, "the station stood down"},
        {State::StoodDown, Command(A::Acknowledge), State::StoodDown, "the station stood down"},
        {State::Closed, Command(A::Note, "late"), State::Closed, "the incident is closed"},
        {State::Closed, Command(A::Close, "again"), State::Closed, "the incident is closed"},
        {State::New, Command(A::Close), State::New, "closing needs a note: what happened"},
        {State::New, Command(A::Note), State::New, "the note is empty"},
        {State::New, Command(A::Take, "", ""), State::New, "say who you are: the operator's name"},
    };
    for (const auto& c : cases) {
        World w;
        w.Reach(c.from);
        const std::size_t before = w.changes.size();
        const auto outcome = w.book.Apply(c.command);
        const std::string label = std::string(StateKey(c.from)) + " " + c.refusal;
        EXPECT_EQ(RefusalText(outcome), c.refusal) << label;
        EXPECT_EQ(outcome.done, *c.refusal == '\0') << label;
        EXPECT_EQ(w.book.Find(1)->state, c.to) << label;
        EXPECT_EQ(w.changes.size(), before + (outcome.done ? 1 : 0)) << label;
    }
    World w;
    EXPECT_EQ(RefusalText(w.book.Apply(Command(OperatorAction::Acknowledge))), "no incident 1");
}

// What the window and the page offer is what the book accepts: an action is offered in a state
// exactly when some operator, with a note, can do it there (Anna handles when anyone does).
TEST(IncidentBook, TheActionsOfferedAreTheOnesSomeOperatorCanDo) {
    using A = OperatorAction;
    for (const State state :
         {State::New, State::Acknowledged, State::BeingHandled, State::StoodDown, State::Closed}) {
        const auto offered = IncidentBook::ActionsOffered(state);
        for (const A action :
             {A::Acknowledge, A::Take, A::Note, A::Close, A::TakeOver, A::Release}) {
            bool someoneCan = false;
            for (const char* who : {"Anna", "Carla"}) {
                World w;
                w.Reach(state);
                someoneCan = someoneCan || w.book.Apply(Command(action, "a note", who)).done;
            }
            const bool isOffered = std::ranges::find(offered, action) != offered.end();
            EXPECT_EQ(isOffered, someoneCan) << StateKey(state) << " " << OperatorActionKey(action);
        }
    }
}

TEST(IncidentBook, AHandOverNamesTheNewHandlerAndAReleaseLeavesNone) {
    World w;
    w.Reach(State::BeingHandled);
    ASSERT_TRUE(
        w.book.Apply(Command(OperatorAction::TakeOver, "Anna's shift ended", "Carla")).done);
    EXPECT_EQ(w.book.Find(1)->handler, "Carla");
    EXPECT_EQ(w.changes.back().action, Action::TakeOver);
    EXPECT_EQ(w.changes.back().note, "Anna's shift ended");
    EXPECT_FALSE(w.book.Apply(Command(OperatorAction::Close, "done", "Anna")).done)
        << "Anna no longer handles it";
    ASSERT_TRUE(w.book.Apply(Command(OperatorAction::Release, "", "Carla")).done);
    EXPECT_EQ(w.book.Find(1)->handler, "");
    EXPECT_EQ(std::tie(w.changes.back().action, w.changes.back().from, w.changes.back().to),
              std::tuple(Action::Release, State::BeingHandled, State::Acknowledged));
    EXPECT_TRUE(w.book.Apply(Command(OperatorAction::Take, "", "Bruno")).done) << "free again";
}

TEST(IncidentBook, TakingForSomeoneElseNamesThemAndTheRecordSaysWhoDidIt) {
    World w;
    w.Reach(State::New);
    w.book.Apply(Command(OperatorAction::Take, "Bruno \"B\"\n", "Anna"));
    EXPECT_EQ(w.book.Find(1)->handler, "Bruno \"B\"\n");
    EXPECT_EQ(
        std::tie(w.changes.back().action, w.changes.back().operatorName, w.changes.back().handler),
        std::tuple(Action::Take, "Anna", "Bruno \"B\"\n"));
}

// Silencing the alarm acknowledges what is new, for every station, and nothing else.
TEST(IncidentBook, AcknowledgingAllNewLeavesTheOthersAsTheyAre) {
    World w;
    w.Reach(State::BeingHandled);
    w.book.Observe(Emergency(kT0 + 1, "", "IZ2BBB-1"));
    w.book.Observe(Emergency(kT0 + 2, "", "IZ2CCC-2"));
    w.book.AcknowledgeAllNew(kT0 + 50, "the station's operator");
    EXPECT_EQ(w.book.Find(1)->state, State::BeingHandled);
    EXPECT_EQ(w.book.Find(2)->state, State::Acknowledged);
    EXPECT_EQ(w.book.Find(3)->state, State::Acknowledged);
    EXPECT_EQ(w.changes.back().operatorName, "the station's operator");
}

TEST(IncidentBook, BeyondItsSizeTheOldestClosedIncidentGoes) {
    World w;
    std::int64_t t = kT0;
    const auto emergency = [&](const std::string& call) {
        return w.book.Observe(Emergency(++t, "", call));
    };
    const auto close = [&](std::uint64_t id) {
        ASSERT_TRUE(w.book.Apply({OperatorAction::Close, id, ++t, "Anna", "over"}).done);
    };
    emergency("S0");
    close(1);
    emergency("S0");  // 2, open
    emergency("S1");  // 3
    close(3);
    for (int i = 2; i < 1000; ++i) emergency("S" + std::to_string(i));  // up to 1001
    EXPECT_EQ(w.book.Find(1), nullptr);
    EXPECT_EQ(w.book.Latest("S0")->id, 2u);
    emergency("S1000");  // 1002: incident 3 goes, and with it S1's latest
    EXPECT_EQ(w.book.Latest("S1"), nullptr);
    const auto again = emergency("S1");
    EXPECT_TRUE(again.sound);
    EXPECT_EQ(again.incident, 1003u);
}

TEST(IncidentBook, TheStationStandsDownAndAFreshEmergencyReopensIt) {
    World w;
    w.Reach(State::BeingHandled);
    // Beacons without the mark stand it down only once the set time has gone by.
    EXPECT_FALSE(w.book.Observe(Beacon(kT0 + 29 * 60 + 59)).sound);
    EXPECT_EQ(w.book.Find(1)->state, State::BeingHandled);
    w.book.Observe(Beacon(kT0 + 30 * 60));
    EXPECT_EQ(w.book.Find(1)->state, State::StoodDown);
    EXPECT_EQ(w.changes.back().note, "no emergency mark for 30 min");
    EXPECT_EQ(w.changes.back().operatorName, "");

    const auto again = w.book.Observe(Emergency(kT0 + 31 * 60));
    EXPECT_TRUE(again.sound);
    EXPECT_EQ(again.incident, 1u);
    EXPECT_EQ(w.book.Find(1)->state, State::New);
    EXPECT_EQ(w.changes.back().action, Action::Reopen);

    // A Mic-E message other than Emergency stands it down at once, even in the emergency's own
    // second (frames arrive in order; only an older one is stale); a set time is kept.
    w.book.SetStandDownAfter(60);
    w.book.Observe(Beacon(kT0 + 31 * 60, true));
    EXPECT_EQ(w.book.Find(1)->state, State::StoodDown);
    w.book.Observe(Emergency(kT0 + 40 * 60));
    w.book.Observe(Beacon(kT0 + 41 * 60));
    EXPECT_EQ(w.book.Find(1)->state, State::StoodDown);

    // Closed, the station's next emergency is a new incident that sounds.
    w.book.Apply({OperatorAction::Close, 1, kT0 + 50 * 60, "Anna", "back home"});
    const auto next = w.book.Observe(Emergency(kT0 + 60 * 60));
    EXPECT_TRUE(next.sound);
    EXPECT_EQ(next.incident, 2u);
    EXPECT_EQ(w.book.Latest("iz2abc-9")->id, 2u);
    EXPECT_EQ(w.book.Find(1)->history.size(), 8u);  // open..close, each kept for the export
}

TEST(IncidentBook, LateCopiesAndDuplicatesAddEvidenceButDoNotSound) {
    World w;
    EXPECT_TRUE(w.book.Observe(Emergency(kT0, "A")).sound);
    const struct {
        Sighting frame;
        IncidentBook::Arrival arrival;
        bool sounds;
    } frames[] = {
        {Emergency(kT0 + 29, "A"), IncidentBook::Arrival::Copy, false},
        {Emergency(kT0 + 60, "B"), IncidentBook::Arrival::Fresh, false},  // open already
        {Emergency(kT0 + 45, "C"), IncidentBook::Arrival::Late, false},   // older than B
        {Emergency(kT0 + 120, "A"), IncidentBook::Arrival::Late, false},  // past the window
    };
    for (const auto& f : frames) {
        const auto answer = w.book.Observe(f.frame);
        EXPECT_EQ(answer.arrival, f.arrival) << f.frame.frameKey << f.frame.time_s;
        EXPECT_EQ(answer.sound, f.sounds) << f.frame.frameKey << f.frame.time_s;
        EXPECT_EQ(answer.incident, 1u);
    }
    const Incident& incident = *w.book.Find(1);
    EXPECT_EQ(incident.frames, 2u);
    EXPECT_EQ(incident.copies, 3u);
    EXPECT_EQ(incident.lastHeard_s, kT0 + 60);

    // Neither a stood-down nor a closed incident comes back for an old frame.
    w.book.Observe(Beacon(kT0 + 200, true));
    EXPECT_FALSE(w.book.Observe(Emergency(kT0 + 150, "D")).sound);
    EXPECT_EQ(w.book.Find(1)->state, State::StoodDown);
    w.book.Apply(Command(OperatorAction::Close, "ok"));
    EXPECT_FALSE(w.book.Observe(Emergency(kT0 + 300, "B")).sound);
    EXPECT_EQ(w.book.Latest("IZ2ABC-9")->id, 1u);
    EXPECT_EQ(w.book.Find(1)->copies, 4u) << "a closed incident stays as it was closed";
}

// The station program counts a station's packets since it first heard it; each incident shows
// its own, and a closed one what it had when it was closed.
TEST(IncidentBook, AClosedIncidentKeepsItsEvidenceAndTheNextCountsItsOwn) {
    World w;
    const auto heard = [&](std::int64_t time_s, std::uint64_t stationCount, const char* frame) {
        w.book.Observe(Emergency(time_s, frame));
        w.book.NoteEvidence("iz2abc-9",
                            Evidence{.frame = frame, .lastHeard_s = time_s, .count = stationCount});
    };
    heard(kT0, 1, "first");
    w.book.Apply(Command(OperatorAction::Close, "found him"));
    w.book.NoteEvidence("IZ2ABC-9", Evidence{.frame = "late", .count = 9});
    heard(kT0 + 600, 2, "second");

    ASSERT_NE(w.book.Find(2), nullptr);
    const Evidence& closed = *w.book.Find(1)->evidence;
    const Evidence& next = *w.book.Find(2)->evidence;
    EXPECT_EQ(std::tie(closed.frame, closed.count), std::tuple("first", 1u));
    EXPECT_EQ(std::tie(next.frame, next.count, next.firstHeard_s),
              std::tuple("second", 1u, kT0 + 600));
}

// Incidents kept from the watch before are taken up as they were: their frames go on joining
// them, nothing is told again, and no number is given twice.
TEST(IncidentBook, IncidentsTakenUpKeepTheirNumbersAndNoneIsGivenAgain) {
    World w;
    Incident open, closed;
    std::tie(open.id, open.callsign, open.state, open.handler) =
        std::tuple(7, "IZ2ABC-9", State::BeingHandled, "Mario");
    std::tie(closed.id, closed.callsign, closed.state) = std::tuple(3, "IZ2XYZ", State::Closed);
    w.book.Restore({open, closed}, 9);
    EXPECT_EQ(w.book.NextNumber(), 9u);

    const auto again = w.book.Observe(Emergency(kT0));
    EXPECT_EQ(again.incident, 7u);
    EXPECT_FALSE(again.sound);
    EXPECT_TRUE(w.changes.empty());
    EXPECT_EQ(w.book.Observe(Emergency(kT0, "x", "IZ2XYZ")).incident, 9u);
    EXPECT_EQ(w.book.ReserveNumber(), 10u);  // an incident opened elsewhere on the net
    EXPECT_EQ(w.book.Observe(Emergency(kT0, "y", "IZ2NEW")).incident, 11u);

    // The closed one taken up is the first to go when the book is full.
    for (int i = 0; i < 997; ++i) w.book.Observe(Emergency(kT0, "z", "S" + std::to_string(i)));
    EXPECT_EQ(w.book.Find(3), nullptr);
    EXPECT_NE(w.book.Find(7), nullptr);
}

TEST(IncidentBook, TheGradeIsTheStrongestEvidenceHeard) {
    const struct {
        bool micE, custom, comment;
        EvidenceGrade grade;
    } grades[] = {
        {false, false, false, EvidenceGrade::None},
        {false, false, true, EvidenceGrade::CommentText},
        {false, true, true, EvidenceGrade::CustomType},
        {true, true, true, EvidenceGrade::MicEEmergency},
        {true, false, false, EvidenceGrade::MicEEmergency},
    };
    for (const auto& g : grades) EXPECT_EQ(GradeOf(g.micE, g.custom, g.comment), g.grade);

    World w;
    const auto weaker = [&](std::int64_t time_s, bool custom, bool comment) {
        Sighting frame = Emergency(time_s);
        frame.micEEmergency = false;
        frame.customType = custom;
        frame.commentText = comment;
        w.book.Observe(frame);
    };
    weaker(kT0, false, true);
    EXPECT_EQ(w.book.Find(1)->grade, EvidenceGrade::CommentText);
    weaker(kT0 + 5, true, false);
    weaker(kT0 + 10, false, true);
    EXPECT_EQ(w.book.Find(1)->grade, EvidenceGrade::CustomType);
    w.book.Observe(Emergency(kT0 + 1));  // late, but evidence all the same
    EXPECT_EQ(w.book.Find(1)->grade, EvidenceGrade::MicEEmergency);
    EXPECT_EQ(GradeText(EvidenceGrade::CustomType), "the message type set as emergency");
}

TEST(IncidentBook, AHeldBackEmergencyIsListedWithItsReasonButDoesNotSound) {
    World w;
    WatchList list;
    list.ignore = {{"IZ2ABC*", "test beacon"}};
    w.book.SetWatchList(list);
    const auto answer = w.book.Observe(Emergency(kT0));
    EXPECT_FALSE(answer.sound);
    EXPECT_EQ(answer.heldBackReason, "ignored (test beacon)");
    EXPECT_EQ(w.changes.at(0).heldBackReason, "ignored (test beacon)");
    EXPECT_TRUE(w.book.Observe(Emergency(kT0, "x", "IZ2XYZ")).sound);
}

}  // namespace
}  // namespace incidents

namespace incidents {
namespace {

// What another watcher of the net did: the local book takes the state and handler once, as a
// change named after who did it, and opens an incident it did not hold under the net's number.
TEST(IncidentBook, FollowingTheNetRecordsEachChangeOnceAsWhoMadeIt) {
    struct Case {
        std::optional<State> held;  // nothing: not held here yet
        State now;
        std::string handler;
        Action recorded;
    };
    const Case cases[] = {
        {std::nullopt, State::New, "", Action::Open},
        {State::New, State::Acknowledged, "", Action::Acknowledge},
        {State::Acknowledged, State::BeingHandled, "Carl", Action::Take},
        {State::BeingHandled, State::BeingHandled, "Carl", Action::TakeOver},
        {State::BeingHandled, State::Acknowledged, "", Action::Release},
        {State::New, State::StoodDown, "", Action::StandDown},
        {State::New, State::Closed, "", Action::Close},
    };
    for (const Case& c : cases) {
        World w;
        if (c.held) w.Reach(*c.held);
        const std::uint64_t id = c.held ? 1 : w.book.ReserveNumber();
        Incident shared;
        shared.id = id;
        shared.callsign = "IZ2ABC-9";
        shared.state = c.now;
        shared.handler = c.handler;
        w.changes.clear();
        w.book.Follow(shared, {"N0CALL", "N1CALL"}, kT0 + 200, "Bea at N1CALL", "");
        w.book.Follow(shared, {"N0CALL", "N1CALL"}, kT0 + 200, "Bea at N1CALL", "");  // a copy
        ASSERT_EQ(w.changes.size(), 1u) << ActionKey(c.recorded);
        EXPECT_EQ(w.changes[0].action, c.recorded);
        EXPECT_EQ(w.changes[0].operatorName, "Bea at N1CALL");
        const Incident* local = w.book.Latest("IZ2ABC-9");
        ASSERT_NE(local, nullptr);
        EXPECT_EQ(local->id, id);
        EXPECT_EQ(local->state, c.now);
        EXPECT_EQ(local->handler, c.handler);
        EXPECT_EQ(local->sites.size(), 2u);
    }
}

// The net judges an operator's action first: what it refuses is not done here either.
TEST(IncidentBook, TheOperatorGateRefusesBeforeTheBookActs) {
    World w;
    w.Reach(State::New);
    w.book.SetOperatorGate([](const OperatorCommand& command) {
        return IncidentBook::Outcome{
            false, IncidentBook::Refusal::AlreadyAcknowledged, {}, command.incident};
    });
    w.book.AcknowledgeAllNew(kT0 + 50, "Anna");
    EXPECT_EQ(w.book.Find(1)->state, State::New);
    EXPECT_EQ(w.book.Apply(Command(OperatorAction::Take)).refusal,
              IncidentBook::Refusal::AlreadyAcknowledged);
}

}  // namespace
}  // namespace incidents
