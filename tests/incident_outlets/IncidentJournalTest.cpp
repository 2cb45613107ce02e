// Taking the incident book up again from its checkpoint and the incident log: what an operator
// did, the evidence and the numbers come back; a line cut short by a crash is left out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <tuple>

#include "fakes/TempFolder.h"
#include "incident_outlets/IncidentJournal.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/JsonLines.h"

namespace incidents {
namespace {

constexpr std::int64_t kT0 = 1'796'637'600;  // 7 December 2026, 10:00 UTC

// A watch wired as the program wires it: the book's changes and the emergencies with their
// evidence go to the incident log, and each incident keeps its own evidence.
struct LoggedBook {
    fakes::TempFolder dir;
    std::string folder = dir.Path() + "/incidents";
    IncidentLog log{folder};
    IncidentBook book;

    LoggedBook() {
        book.SetChangeSink([this](const Change& c) { log.Append({c.time_s, IncidentChange{c}}); });
    }
    // In emergency by its Mic-E code, or by "!EMERGENCY!" in its comment.
    void Heard(const std::string& call, std::int64_t time_s, double latitude_deg,
               bool micE = true) {
        Sighting o;
        std::tie(o.callsign, o.time_s) = std::tuple(call, time_s);
        (micE ? o.micEEmergency : o.commentText) = true;
        o.position = GeoPoint{latitude_deg, 9.1};
        const std::string information = ":help " + std::to_string(time_s);
        o.frameKey = call + ">APRS" + information;
        book.Observe(o);
        Emergency e;
        e.panel.text[0] = call;
        e.evidence = Evidence{.frame = call + ">APRS,WIDE1-1" + information,
                              .cause = micE ? "Mic-E message bits 000 (Emergency)"
                                            : "\"!EMERGENCY!\" at the start of the comment",
                              // By radio, or through an iGate: the card says which.
                              .path = {.digipeaters = {"WIDE1-1"},
                                       .heardFrom = call,
                                       .viaInternet = !micE,
                                       .gateway = micE ? "" : "IGATE-1"},
                              .firstHeard_s = time_s,
                              .lastHeard_s = time_s,
                              .count = 1,
                              .place = Place{latitude_deg, 9.1}};
        book.NoteEvidence(call, *e.evidence);
        log.Append({time_s, e});
    }
    // A frame without the emergency mark, from a new place.
    void Moved(const std::string& call, std::int64_t time_s, double latitude_deg) {
        Sighting o;
        std::tie(o.callsign, o.time_s) = std::tuple(call, time_s);
        o.position = GeoPoint{latitude_deg, 9.1};
        book.Observe(o);
        log.Append({time_s, Position{call, {latitude_deg, 9.1}}});
    }
    void Act(OperatorAction action, std::uint64_t id, std::int64_t time_s, const char* text) {
        ASSERT_TRUE(book.Apply({action, id, time_s, "Mario", text}).done);
    }
    std::string DayFile() const { return folder + "/" + IncidentFileName(IsoTime(kT0)); }
};

// What an operator sees of an incident, and what the book decides by (copies by their keys).
auto Seen(const Incident& i) {
    std::string notes, keys;
    for (const Change& c : i.history)
        notes += std::string(ActionKey(c.action)) + ":" + c.note + ";";
    for (const Incident::Seen& frame : i.seen)
        keys += frame.key + "@" + std::to_string(frame.time_s) + ";";
    return std::tuple(
        i.id, i.callsign, i.state, i.handler, i.grade, i.heldBackReason, notes, keys, i.frames,
        i.evidence ? i.evidence->frame : "", i.evidence ? i.evidence->count : 0,
        i.evidence ? std::tuple(i.evidence->path.digipeaters, i.evidence->path.heardFrom,
                                i.evidence->path.viaInternet, i.evidence->path.gateway)
                   : decltype(std::tuple(std::vector<std::string>{}, std::string{}, false,
                                         std::string{})){},
        i.position ? i.position->latitude_deg : 0, i.opened_s, i.lastHeard_s, i.lastEmergency_s);
}

std::vector<decltype(Seen(Incident{}))> Book(const IncidentBook& book) {
    std::vector<decltype(Seen(Incident{}))> seen;
    book.ForEach([&seen](const Incident& i) { seen.push_back(Seen(i)); });
    return seen;
}

// Q7MOB-9 taken by Mario with a note, Q1ONE closed, Q9XSS left new (its Mic-E code heard after
// its comment), Q7MOB-9 heard again and moving; the checkpoint written after `checkpointAfter` of
// these steps (never when 0), and no clean stop: the watch was killed.
TEST(IncidentJournal, TheBookComesBackFromItsCheckpointAndTheLinesAfterIt) {
    for (int checkpointAfter : {0, 2, 4}) {
        SCOPED_TRACE(checkpointAfter);
        LoggedBook w;
        const std::function<void()> steps[] = {
            [&] { w.Heard("Q7MOB-9", kT0, 45.5); },
            [&] {
                w.Act(OperatorAction::Take, 1, kT0 + 10, "");
                w.Act(OperatorAction::Note, 1, kT0 + 20, "called his wife");
            },
            [&] {
                w.Heard("Q1ONE", kT0 + 30, 45.6);
                w.Act(OperatorAction::Close, 2, kT0 + 40, "false alarm");
            },
            [&] { w.Heard("Q9XSS", kT0 + 50, 45.7, false); },
            [&] {
                w.Heard("Q9XSS", kT0 + 55, 45.7);
                w.Heard("Q7MOB-9", kT0 + 60, 45.51);
                w.Moved("Q7MOB-9", kT0 + 70, 45.52);
            },
        };
        IncidentJournal journal(w.folder);
        for (int step = 0; step < 5; ++step) {
            steps[step]();
            if (step + 1 == checkpointAfter) {
                EXPECT_TRUE(journal.Save(w.book, kT0 + 45, false));
            }
        }

        // Nothing new to save later: the checkpoint says the watch still ran.
        if (checkpointAfter == 4) journal.StillRunning(kT0 + 90);

        IncidentBook restored;
        const TakenUp taken = IncidentJournal(w.folder).Restore(restored);
        EXPECT_EQ(Book(restored), Book(w.book));
        EXPECT_EQ(restored.NextNumber(), 4u);
        EXPECT_TRUE(taken.problems.empty()) << taken.problems.front();
        EXPECT_EQ(std::tie(taken.incidents, taken.open, taken.unsounded), std::tuple(3u, 2u, 1u));
        EXPECT_FALSE(taken.stoppedCleanly);
        EXPECT_EQ(taken.lastAlive_s, checkpointAfter == 4 ? kT0 + 90 : kT0 + 70);
    }
}

// The book saved at a clean stop covers the whole log: nothing is read again, the numbers go
// on even when every day file has gone since, and the stop is known to have been clean.
TEST(IncidentJournal, AfterACleanStopNothingIsReadAgainAndNumbersGoOnWithoutTheLog) {
    LoggedBook w;
    w.Heard("Q7MOB-9", kT0, 45.5);
    w.Heard("Q9XSS", kT0 + 5, 45.6);
    w.log.Append({kT0 + 60, WatchStopped{}});
    ASSERT_TRUE(IncidentJournal(w.folder).Save(w.book, kT0 + 61, true));

    IncidentBook restored;
    const TakenUp taken = IncidentJournal(w.folder).Restore(restored);
    EXPECT_EQ(taken.linesRead, 0u);
    EXPECT_TRUE(taken.stoppedCleanly);
    EXPECT_EQ(taken.lastAlive_s, kT0 + 61);

    ASSERT_TRUE(std::filesystem::remove(w.DayFile()));
    IncidentBook later;
    IncidentJournal(w.folder).Restore(later);
    EXPECT_EQ(Book(later), Book(w.book));
    EXPECT_EQ(later.NextNumber(), 3u);
}

// The log of a newer program may hold an action this one does not know: its state, handler
// and note are kept. A line that cannot be read, and a last line cut short by a crash, are
// left out and told; the lines around them are taken up.
TEST(IncidentJournal, UnknownActionsAreTakenUpAndBrokenLinesLeftOut) {
    LoggedBook w;
    w.Heard("Q7MOB-9", kT0, 45.5);
    std::ofstream(w.DayFile(), std::ios::app | std::ios::binary)
        << (R"({"event":"incident","incident":1,"callsign":"Q7MOB-9","time":"2026-12-07T10:01:00Z",)"
            R"("action":"take_over","from":"new","to":"being_handled","operator":"Bea",)"
            R"("note":"mine now","handler":"Bea","grade":"mic_e","held_back":""})"
            "\n{\"event\":\"alarm\",\"sta\xff\n"
            R"({"event":"incident","incident":1,"callsign":"Q7MO)");

    IncidentBook restored;
    const TakenUp taken = IncidentJournal(w.folder).Restore(restored);
    const Incident& incident = *restored.Find(1);
    EXPECT_EQ(incident.state, State::BeingHandled);
    EXPECT_EQ(incident.handler, "Bea");
    EXPECT_EQ(incident.history.back().note, "mine now");
    ASSERT_EQ(taken.problems.size(), 2u);
    EXPECT_NE(taken.problems[0].find("a line that cannot be read"), std::string::npos);
    EXPECT_NE(taken.problems[1].find("a line cut short"), std::string::npos) << taken.problems[1];
}

// A change as the log and the journal keep it, every key; "from" is null on opening. Text from
// the air stays valid UTF-8: broken sequences become U+FFFD, whole ones stay.
TEST(ChangeObject, WritesEveryKeyAndKeepsTheTextValid) {
    Change take{.incident = 1,
                .callsign = "IZ2ABC-9",
                .time_s = 1796472100,
                .action = Action::Take,
                .from = State::New,
                .to = State::BeingHandled,
                .operatorName = "Anna",
                .note = std::string("a\xff") + "b\xc3\xa9" + "\xc3(" + "\xf4\x8f\xbf\xbf",
                .handler = "Bruno \"B\"\n",
                .grade = EvidenceGrade::MicEEmergency,
                .heldBackReason = ""};
    const std::string note =
        std::string("a\xEF\xBF\xBD") + "b\xc3\xa9" + "\xEF\xBF\xBD" + "(" + "\xf4\x8f\xbf\xbf";
    EXPECT_EQ(JsonText(ChangeObject(take)),
              R"({"action":"take","callsign":"IZ2ABC-9","from":"new","grade":"mic_e",)"
              R"("grade_text":"Mic-E Emergency code","handler":"Bruno \"B\"\n","held_back":"",)"
              R"("incident":1,"note":")" +
                  note + R"(","operator":"Anna","time":1796472100,"to":"being_handled"})");
    take.action = Action::Open;
    EXPECT_TRUE(ChangeObject(take)["from"].is_null());
}

}  // namespace
}  // namespace incidents
