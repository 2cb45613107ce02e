// Incidents an operator works through: one per station in emergency, from its first emergency
// frame until an operator closes it, with every change of state recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "incidents/Observation.h"
#include "incidents/WatchList.h"

namespace incidents {

enum class State { New, Acknowledged, BeingHandled, StoodDown, Closed };

enum class Action { Open, Reopen, Acknowledge, Take, Note, StandDown, Close, TakeOver, Release };

std::string_view StateKey(State state);
std::string_view ActionKey(Action action);
// "acknowledge", "take", "note", "close", "take_over", "release": the same keys as Action's.
std::string_view OperatorActionKey(OperatorAction action);
// Back from the keys: nothing for a key this program does not know (a newer one wrote it).
std::optional<State> StateFromKey(std::string_view key);
std::optional<Action> ActionFromKey(std::string_view key);
std::optional<EvidenceGrade> GradeFromKey(std::string_view key);

// One change of an incident, for the incident log and the export.
struct Change {
    std::uint64_t incident = 0;
    std::string callsign;
    std::int64_t time_s = 0;
    Action action = Action::Open;
    State from = State::New;
    State to = State::New;
    std::string operatorName;  // empty when the station itself caused it
    std::string note;
    std::string handler;  // who handles the incident after the change
    EvidenceGrade grade = EvidenceGrade::None;
    std::string heldBackReason;
};

struct Incident {
    std::uint64_t id = 0;
    std::string callsign;
    State state = State::New;
    EvidenceGrade grade = EvidenceGrade::None;  // the strongest heard
    std::int64_t opened_s = 0;
    std::int64_t lastEmergency_s = 0;  // the newest emergency frame's time
    std::int64_t lastHeard_s = 0;      // the newest frame's time, emergency or not
    std::uint64_t frames = 0;          // emergency frames, each once
    std::uint64_t copies = 0;          // copies of them, and frames that came late
    std::optional<GeoPoint> position;  // the newest known
    std::string handler;               // who handles it
    std::string heldBackReason;        // why it did not sound, when it did not
    std::vector<Change> history;       // every change, oldest first
    std::vector<std::string> sites;    // the watchers of the net that heard it, when shared
    // Why it alarmed, counted for this incident alone; once closed it stays as it was then.
    std::shared_ptr<const Evidence> evidence;

    struct Seen {
        std::string key;
        std::int64_t time_s = 0;
    };
    std::vector<Seen> seen;  // the latest emergency frames, to know copies by
};

class IncidentBook {
public:
    static constexpr std::size_t kMaxSeen = 64;
    static constexpr std::size_t kMaxIncidents = 1000;  // the oldest closed ones go beyond

    enum class Arrival { NotEmergency, Fresh, Copy, Late };

    struct Answer {
        std::uint64_t incident = 0;  // 0: the frame belongs to none
        Arrival arrival = Arrival::NotEmergency;
        bool sound = false;
        std::string heldBackReason;  // why a frame that opened an incident did not sound
    };

    // Why an operator's action is refused; RefusalText words it.
    enum class Refusal {
        None,
        NoSuchIncident,
        OperatorNotNamed,
        AlreadyAcknowledged,
        AlreadyHandled,    // by `handler`, who asks again
        HandledByAnother,  // `handler` handles it: take it over first
        StoodDown,
        Closed,
        NoteEmpty,
        CloseNeedsNote,
        TakeOverNeedsNote,
        NobodyHandlesYet,  // nothing to take over: take it
        NobodyHandles,     // nothing to release
        OnlyHandlerReleases,
    };

    struct Outcome {
        bool done = false;
        Refusal refusal = Refusal::None;  // why not, when not done
        std::string handler;              // who handles the incident, when the refusal names them
        std::uint64_t incident = 0;       // the incident asked for; 0 when it has no number
    };

    void SetWatchList(WatchList list) { watch_ = std::move(list); }
    // Beacons without the emergency mark for this long stand the incident down.
    void SetStandDownAfter(std::int64_t seconds) { standDownAfter_s_ = seconds; }
    void SetChangeSink(std::function<void(const Change&)> sink) { sink_ = std::move(sink); }
    // Asked before an operator's action is applied here (the net judges it first): a refusal
    // stops it.
    void SetOperatorGate(std::function<Outcome(const OperatorCommand&)> gate) {
        gate_ = std::move(gate);
    }

    Answer Observe(const Sighting& observation);
    // What an operator may do, and why not: every rule on operators' actions is here; a window
    // or a page only forwards what the operator asked.
    Outcome Apply(const OperatorCommand& command);
    // Whether the action needs the operator's own name: taking, taking over and releasing make
    // or unmake the handler. The others may be done by an operator who gives no name, under the
    // name of the place they act from.
    static bool NeedsOwnName(OperatorAction action);
    // The actions an incident in `state` offers an operator, in the order they are shown. Apply
    // may still refuse one for who asks (only the handler releases).
    static std::vector<OperatorAction> ActionsOffered(State state);
    // Acknowledges every new incident at once, as silencing the alarm does.
    void AcknowledgeAllNew(std::int64_t time_s, const std::string& operatorName);
    // The station's evidence as the station program has it now, for its incident unless that
    // is closed; the count and first time become the incident's own.
    void NoteEvidence(std::string_view callsign, const Evidence& evidence);

    // An incident as the watchers of a net hold it: its state, handler, grade and sites become
    // this book's, as one change made by `by` at `time_s`; one not held here is opened under
    // its number (a number reserved for it).
    void Follow(const Incident& shared, std::vector<std::string> sites, std::int64_t time_s,
                const std::string& by, const std::string& note);

    // The watchers of the net that heard the incident, as the net knows them now.
    void NoteSites(std::uint64_t id, std::vector<std::string> sites);

    // Takes up incidents kept from an earlier watch as they were: their changes are not passed
    // on again. Numbers go on from the highest of `nextNumber` and those taken up.
    void Restore(std::vector<Incident> incidents, std::uint64_t nextNumber);
    // The number the next incident gets; never one given before, also across restarts.
    std::uint64_t NextNumber() const { return nextId_; }
    // A number no incident of this book will get: for one opened at another watcher of the net.
    std::uint64_t ReserveNumber() { return nextId_++; }

    const Incident* Find(std::uint64_t id) const;
    // The station's latest incident, closed or not.
    const Incident* Latest(std::string_view callsign) const;
    void ForEach(const std::function<void(const Incident&)>& visit) const;

private:
    Incident& Open(const Sighting& observation);
    void Move(Incident& incident, Action action, State to, std::int64_t time_s,
              std::string operatorName, std::string note);
    void AddEmergency(Incident& incident, const Sighting& observation);
    Outcome TakeOver(Incident& incident, const OperatorCommand& command);
    Outcome Release(Incident& incident, const OperatorCommand& command);
    void Prune();

    WatchList watch_;
    std::int64_t standDownAfter_s_ = 30 * 60;
    std::function<void(const Change&)> sink_;
    std::function<Outcome(const OperatorCommand&)> gate_;
    std::uint64_t nextId_ = 1;
    std::map<std::uint64_t, Incident> byId_;
    std::map<std::string, std::uint64_t, std::less<>> latest_;
    std::set<std::uint64_t> closed_;  // the closed incidents, oldest first: what Prune removes
};

// Why an action was refused, in words for the operator: English (the log's language) unless
// `english` is false, then Italian. Empty for an action done.
std::string RefusalText(const IncidentBook::Outcome& outcome, bool english = true);

}  // namespace incidents
