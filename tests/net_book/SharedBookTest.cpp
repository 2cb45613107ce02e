// Watchers of one net keeping one incident book: actions anywhere apply everywhere, concurrent
// ones resolve alike, a watcher that was away catches up, the siren follows, and hostile
// messages change nothing.
#include <gtest/gtest.h>

#include "SimulatedNet.h"
#include "net_book/SharedBook.h"

namespace net_book {
namespace {

using incidents::EvidenceGrade;
using incidents::OperatorAction;
using incidents::State;

constexpr std::int64_t kT = 1'796'000'000;
constexpr auto kMicE = EvidenceGrade::MicEEmergency;

incidents::OperatorCommand Command(OperatorAction action, std::uint64_t incident, std::int64_t t,
                                   std::string who, std::string text = {}) {
    return {action, incident, t, std::move(who), std::move(text)};
}

void ExpectSameBook(SimulatedNet& net) {
    for (std::size_t i = 1; i < net.size(); ++i)
        EXPECT_EQ(Picture(net[i].book), Picture(net[0].book)) << net[i].book.Watcher();
}

struct ThreeWatchers : ::testing::Test {
    SimulatedNet net{{"CENTRE", "SHACK", "IGATE"}};
    SimWatcher& centre = net[0];
    SimWatcher& shack = net[1];
    SimWatcher& igate = net[2];

    // The incident an emergency heard at `at` (as that watcher's local incident `local`) opens.
    const NetIncident& OpenAt(std::size_t at, std::uint64_t local, std::int64_t t) {
        net.Send(at, net[at].book.Heard(local, "iz1abc-9", t, kMicE));
        net.Deliver();
        return *net[at].book.Find(local);
    }
    std::uint64_t LocalAt(SimWatcher& w, const NetKey& key) {
        return w.book.FindKey(key)->incident.id;
    }
};

TEST_F(ThreeWatchers, OpenedAtOneAcknowledgedAtAnotherTakenAtTheThird) {
    const NetKey key = OpenAt(0, 7, kT).key;
    EXPECT_EQ(KeyText(key), "CENTRE/7");

    auto acked =
        shack.book.Act(Command(OperatorAction::Acknowledge, LocalAt(shack, key), kT + 5, "Bea"));
    ASSERT_TRUE(acked.outcome.done) << acked.why;
    net.Send(1, acked.out);
    net.Deliver();
    auto taken =
        igate.book.Act(Command(OperatorAction::Take, LocalAt(igate, key), kT + 9, "Carlo"));
    ASSERT_TRUE(taken.outcome.done) << taken.why;
    net.Send(2, taken.out);
    net.Deliver();

    ExpectSameBook(net);
    const auto& incident = centre.book.Find(7)->incident;
    EXPECT_EQ(incident.state, State::BeingHandled);
    EXPECT_EQ(incident.handler, "Carlo");
    EXPECT_EQ(incident.history.size(), 3u);
}

TEST_F(ThreeWatchers, ConcurrentTakesHaveTheSameWinnerEverywhere) {
    const NetKey key = OpenAt(0, 1, kT).key;
    // Both take before hearing of the other: each is right at home, one is refused on the net.
    auto byShack =
        shack.book.Act(Command(OperatorAction::Take, LocalAt(shack, key), kT + 20, "Bea"));
    auto byIgate =
        igate.book.Act(Command(OperatorAction::Take, LocalAt(igate, key), kT + 20, "Carlo"));
    ASSERT_TRUE(byShack.outcome.done && byIgate.outcome.done);
    net.Send(1, byShack.out);
    net.Send(2, byIgate.out);
    net.Deliver();

    ExpectSameBook(net);
    const NetIncident& shared = *centre.book.FindKey(key);
    EXPECT_EQ(shared.incident.handler, "Carlo");  // the same second: "IGATE" sorts first
    EXPECT_FALSE(shared.log.back().applied);
    EXPECT_EQ(shared.log.back().refusal, "being handled by Carlo: take it over first, with a note");
    // The shack learns its take did not hold: still handled, by another.
    EXPECT_EQ(shack.notices.back().handler, "Carlo");
    EXPECT_EQ(shack.notices.back().now, State::BeingHandled);
}

TEST_F(ThreeWatchers, OneEmergencyHeardAtTwoSitesIsOneIncidentWithBothSites) {
    const NetKey key = OpenAt(0, 3, kT).key;
    net.Send(1, shack.book.Heard(9, "IZ1ABC-9", kT + 2, EvidenceGrade::CommentText));
    net.Deliver();

    ExpectSameBook(net);
    const NetIncident& shared = *igate.book.FindKey(key);
    ASSERT_EQ(shared.sites.size(), 2u);
    EXPECT_EQ(shared.sites[0].watcher, "CENTRE");
    EXPECT_EQ(shared.sites[1].watcher, "SHACK");
    EXPECT_EQ(shack.book.Find(9), shack.book.FindKey(key));  // its own number for it
    // Heard again at the same site: nothing new to tell the net.
    EXPECT_TRUE(shack.book.Heard(9, "IZ1ABC-9", kT + 60, EvidenceGrade::CommentText).empty());
}

TEST_F(ThreeWatchers, ConcurrentOpeningsEndAsOneIncidentTheEarlierWins) {
    net.Send(1, shack.book.Heard(4, "IZ1ABC-9", kT + 1, kMicE));
    net.Send(0, centre.book.Heard(8, "IZ1ABC-9", kT + 1, kMicE));
    net.Deliver();

    ExpectSameBook(net);
    int count = 0;
    igate.book.ForEach([&](const NetIncident&) { ++count; });
    EXPECT_EQ(count, 1);
    const NetIncident* shared = shack.book.Find(4);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(KeyText(shared->key), "CENTRE/8");
    EXPECT_EQ(shared->incident.id, 4u);  // the shack keeps its own number for it
    EXPECT_EQ(shared->sites.size(), 2u);
    EXPECT_EQ(centre.book.Find(8), centre.book.FindKey(NetKey{"SHACK", 4}));
}

TEST_F(ThreeWatchers, AWatcherAwayCatchesUpFromSnapshots) {
    const NetKey key = OpenAt(0, 1, kT).key;
    net.GoOffline(2);
    net.Send(
        1, shack.book.Act(Command(OperatorAction::Acknowledge, LocalAt(shack, key), kT + 5, "Bea"))
               .out);
    net.Send(0, centre.book.Act(Command(OperatorAction::Take, 1, kT + 6, "Anna")).out);
    net.Send(0, centre.book.Heard(2, "IK2XYZ", kT + 7, kMicE));  // a second station meanwhile
    net.Deliver();
    EXPECT_EQ(igate.book.FindKey(key)->incident.state, State::New);

    net.ComeBack(2);
    ExpectSameBook(net);
    EXPECT_TRUE(igate.refusals.empty()) << igate.refusals.front();
}

TEST_F(ThreeWatchers, TheSirenFollowsTheSharedState) {
    const NetKey key = OpenAt(0, 1, kT).key;
    ASSERT_EQ(shack.notices.size(), 1u);  // heard elsewhere: it sounds here too
    EXPECT_TRUE(shack.notices[0].sound);
    EXPECT_TRUE(centre.notices.empty() || !centre.notices.back().sound);  // its own alarm did

    net.Send(
        1, shack.book.Act(Command(OperatorAction::Acknowledge, LocalAt(shack, key), kT + 5, "Bea"))
               .out);
    net.Deliver();
    ASSERT_FALSE(centre.notices.empty());
    EXPECT_TRUE(centre.notices.back().silence);
    EXPECT_EQ(centre.notices.back().by, "SHACK");
    EXPECT_EQ(centre.notices.back().incident, 1u);

    net.Send(0,
             centre.book.Act(Command(OperatorAction::Close, 1, kT + 9, "Anna", "found safe")).out);
    net.Deliver();
    EXPECT_EQ(igate.book.FindKey(key)->incident.state, State::Closed);
    EXPECT_EQ(net.Retained(), 1u);  // only the closer's snapshot stays, for a day
    // The station's next emergency is a fresh incident: it sounds again elsewhere.
    net.Send(1, shack.book.Heard(5, "IZ1ABC-9", kT + 100, kMicE));
    net.Deliver();
    EXPECT_TRUE(igate.notices.back().sound);
    EXPECT_EQ(KeyText(igate.notices.back().key), "SHACK/5");
    net.now_s = kT + SharedBook::kKeepClosed_s + 10;
    net.Send(0, centre.book.Expire(net.now_s));
    EXPECT_EQ(net.Retained(), 1u);  // the open one's
}

TEST_F(ThreeWatchers, HostileMessagesNeitherCrashNorMislead) {
    const NetKey key = OpenAt(0, 1, kT).key;
    const std::string before = Picture(igate.book);
    NetChange close;
    close.key = key;
    close.watcher = "SHACK";
    close.sequence = kT * 1000 + 77;
    close.time_s = kT + 30;
    close.callsign = "IZ1ABC-9";
    close.kind = Kind::Operator;
    close.action = OperatorAction::Close;
    close.operatorName = "Mallory";
    close.note = "nothing to see";

    auto forged = [&](auto change) { return FormatChange(change); };
    NetChange future = close, farSequence = close, unknown = close, otherStation = close;
    future.time_s = kT + 3600;
    farSequence.sequence = kMaxSequence;
    unknown.key = {"SHACK", 999};
    otherStation.callsign = "IK2XYZ";
    struct Case {
        std::string payload;
        std::string topic;
        std::string why;
    };
    const Case cases[] = {
        {"{not json", "SHACK", "not JSON"},
        {std::string(1 << 20, '{'), "SHACK", "longer than"},
        {forged(close), "IGATE", "a change of SHACK sent by IGATE"},
        {forged(close), "../#", "names no watcher"},
        {forged(future), "SHACK", "ahead of this watcher's clock"},
        {forged(farSequence), "SHACK", "far ahead"},
        {forged(otherStation), "SHACK", "is an incident of IZ1ABC-9"},
    };
    for (const Case& c : cases) {
        const auto received = igate.book.Receive(c.payload, c.topic, kT + 40);
        EXPECT_FALSE(received.accepted) << c.why;
        EXPECT_NE(received.why.find(c.why), std::string::npos) << received.why;
    }
    // An action for an incident nobody opened waits, changes nothing, and goes in time.
    EXPECT_TRUE(igate.book.Receive(forged(unknown), "SHACK", kT + 40).accepted);
    EXPECT_EQ(Picture(igate.book), before);
    igate.book.Expire(kT + 40 + SharedBook::kPendingFor_s);
    NetChange opening = unknown;
    opening.watcher = "SHACK";
    opening.kind = Kind::Open;
    opening.sequence = 5;
    opening.time_s = kT + 1000;
    ASSERT_TRUE(igate.book.Receive(forged(opening), "SHACK", kT + 1000).accepted);
    // It joins the station's open incident; the close that waited for it was dropped.
    EXPECT_EQ(igate.book.FindKey(unknown.key)->incident.state, State::New) << Picture(igate.book);
}

TEST(SharedBook, AFloodedLogKeepsTheFirstChangesInTheOrder) {
    SharedBook book("IGATE", {});
    NetChange change;
    change.key = {"CENTRE", 1};
    change.watcher = "CENTRE";
    change.callsign = "IZ1ABC-9";
    change.sequence = 1;
    change.time_s = kT;
    ASSERT_TRUE(book.Receive(FormatChange(change), "CENTRE", kT).accepted);
    change.kind = Kind::Operator;
    change.action = OperatorAction::Note;
    change.operatorName = "Anna";
    change.note = "n";
    auto send = [&](std::uint64_t sequence, std::int64_t t) {
        change.sequence = sequence;
        change.time_s = t;
        return book.Receive(FormatChange(change), "CENTRE", kT + 1000);
    };
    for (std::uint64_t i = 2; i <= SharedBook::kMaxChangesPerKey; ++i)
        ASSERT_TRUE(send(i, kT + 10).accepted);
    const auto later = send(5000, kT + 20);
    EXPECT_FALSE(later.accepted);
    EXPECT_NE(later.why.find("full"), std::string::npos);
    EXPECT_TRUE(send(6000, kT + 5).accepted);  // earlier: it takes the last one's place
    const NetIncident& net = *book.FindKey(change.key);
    EXPECT_EQ(net.log.size(), SharedBook::kMaxChangesPerKey);
    EXPECT_EQ(net.log[1].change.sequence, 6000u);
    EXPECT_EQ(net.log.back().change.sequence, SharedBook::kMaxChangesPerKey - 1);

    // Closed, and a day later, the station is forgotten: the book stays bounded.
    change.action = OperatorAction::Close;
    ASSERT_TRUE(send(7000, kT + 1).accepted);
    book.Expire(kT + 1 + SharedBook::kKeepClosed_s);
    EXPECT_EQ(book.FindKey(change.key), nullptr);
}

TEST(SharedBook, AnOversizedNoteIsCutToWhatTheNetCarries) {
    SimulatedNet net{{"CENTRE", "SHACK"}};
    net.Send(0, net[0].book.Heard(1, "IZ1ABC-9", kT, kMicE));
    net.Deliver();
    const auto acted = net[0].book.Act(
        Command(OperatorAction::Note, 1, kT + 5, "Anna", std::string(5000, 'x') + "\nline"));
    ASSERT_TRUE(acted.outcome.done);
    net.Send(0, acted.out);
    net.Deliver();
    EXPECT_TRUE(net[1].refusals.empty());
    EXPECT_EQ(net[1].book.FindKey({"CENTRE", 1})->log.back().change.note.size(), kMaxNoteBytes);
}

// Every delivery order, with duplicates, gives the same book at every watcher and for every order.
TEST(SharedBook, EveryDeliveryOrderGivesTheSameBook) {
    std::string first;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SimulatedNet net({"CENTRE", "SHACK", "IGATE"}, seed);
        // Concurrent openings of one station, one more station, and actions crossing in flight.
        net.Send(0, net[0].book.Heard(1, "IZ1ABC-9", kT + 1, kMicE));
        net.Send(1, net[1].book.Heard(1, "IZ1ABC-9", kT + 1, EvidenceGrade::CommentText));
        net.Send(2, net[2].book.Heard(1, "IK2XYZ", kT + 2, kMicE));
        net.Send(0, net[0].book.Act(Command(OperatorAction::Take, 1, kT + 3, "Anna")).out);
        net.Send(1, net[1].book.Act(Command(OperatorAction::Acknowledge, 1, kT + 3, "Bea")).out);
        net.Send(1, net[1].book.Act(Command(OperatorAction::Take, 1, kT + 3, "Bea")).out);
        net.Send(2,
                 net[2].book.Act(Command(OperatorAction::Note, 1, kT + 3, "Carlo", "on air")).out);
        net.Deliver();
        // The igate away meanwhile: it catches up from the snapshots left on the net.
        net.GoOffline(2);
        net.Send(1, net[1].book.Heard(2, "IK2XYZ", kT + 4, kMicE));
        net.Send(1, net[1].book.Act(Command(OperatorAction::Close, 2, kT + 5, "Bea", "ok")).out);
        net.Send(0, net[0].book.StoodDown(1, kT + 5));
        net.Deliver();
        net.ComeBack(2);
        ExpectSameBook(net);
        if (first.empty()) first = Picture(net[0].book);
        ASSERT_EQ(Picture(net[0].book), first) << "seed " << seed;
    }
    EXPECT_NE(first.find("REFUSED"), std::string::npos) << first;
    EXPECT_NE(first.find("IK2XYZ closed"), std::string::npos) << first;
}

}  // namespace
}  // namespace net_book
