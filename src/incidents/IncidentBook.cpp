// The incident book: which frames open, re-open or stand down an incident, which operator
// actions each state allows, and the change records they leave.
#include "incidents/IncidentBook.h"

#include <algorithm>

#include "incidents/Events.h"
#include "platform/NumberText.h"

namespace incidents {
namespace {

bool IsOpen(State state) {
    return state == State::New || state == State::Acknowledged || state == State::BeingHandled;
}

using Outcome = IncidentBook::Outcome;
using Refusal = IncidentBook::Refusal;

Outcome Refused(Refusal refusal, const Incident& incident) {
    return {false, refusal, incident.handler, incident.id};
}

// Why an operator action that needs a new or acknowledged incident cannot be done in `state`.
Outcome RefusedByState(const Incident& incident) {
    switch (incident.state) {
        case State::Acknowledged:
            return Refused(Refusal::AlreadyAcknowledged, incident);
        case State::BeingHandled:
            return Refused(Refusal::AlreadyHandled, incident);
        case State::StoodDown:
            return Refused(Refusal::StoodDown, incident);
        case State::Closed:
            return Refused(Refusal::Closed, incident);
        case State::New:
            break;
    }
    return {};
}

// The same operator, however the name was typed this time.
bool SameOperator(std::string_view a, std::string_view b) {
    return platform::UCase(a) == platform::UCase(b);
}

std::string Italian(const Outcome& o) {
    switch (o.refusal) {
        case Refusal::NoSuchIncident:
            return o.incident ? "nessun intervento " + std::to_string(o.incident)
                              : "nessun intervento con quel numero";
        case Refusal::OperatorNotNamed:
            return "di' chi sei: il nome dell'operatore";
        case Refusal::AlreadyAcknowledged:
            return "già riconosciuto";
        case Refusal::AlreadyHandled:
            return "già in gestione a " + o.handler;
        case Refusal::HandledByAnother:
            return "in gestione a " + o.handler + ": prima subentra, con una nota";
        case Refusal::StoodDown:
            return "la stazione è rientrata";
        case Refusal::Closed:
            return "l'intervento è chiuso";
        case Refusal::NoteEmpty:
            return "la nota è vuota";
        case Refusal::CloseNeedsNote:
            return "per chiudere serve una nota: cosa è successo";
        case Refusal::TakeOverNeedsNote:
            return "per subentrare serve una nota: perché";
        case Refusal::NobodyHandlesYet:
            return "nessuno lo gestisce ancora: prendilo in carico";
        case Refusal::NobodyHandles:
            return "nessuno lo gestisce";
        case Refusal::OnlyHandlerReleases:
            return "solo " + o.handler + " può rilasciarlo; subentra con una nota";
        case Refusal::None:
            break;
    }
    return {};
}

std::string English(const Outcome& o) {
    switch (o.refusal) {
        case Refusal::NoSuchIncident:
            return o.incident ? "no incident " + std::to_string(o.incident) : "no such incident";
        case Refusal::OperatorNotNamed:
            return "say who you are: the operator's name";
        case Refusal::AlreadyAcknowledged:
            return "already acknowledged";
        case Refusal::AlreadyHandled:
            return "already being handled by " + o.handler;
        case Refusal::HandledByAnother:
            return "being handled by " + o.handler + ": take it over first, with a note";
        case Refusal::StoodDown:
            return "the station stood down";
        case Refusal::Closed:
            return "the incident is closed";
        case Refusal::NoteEmpty:
            return "the note is empty";
        case Refusal::CloseNeedsNote:
            return "closing needs a note: what happened";
        case Refusal::TakeOverNeedsNote:
            return "taking over needs a note: why";
        case Refusal::NobodyHandlesYet:
            return "nobody handles it yet: take it";
        case Refusal::NobodyHandles:
            return "nobody handles it";
        case Refusal::OnlyHandlerReleases:
            return "only " + o.handler + " can release it; take it over with a note";
        case Refusal::None:
            break;
    }
    return {};
}

// Every value a scoped enumeration may take is a valid value of it, so the keys are found by
// trying the first few: a value added later is found without a list to keep up to date.
template <typename Enum, typename KeyOf>
std::optional<Enum> FromKey(std::string_view key, KeyOf keyOf) {
    constexpr int kEnoughValues = 64;
    for (int value = 0; value < kEnoughValues; ++value)
        if (keyOf(static_cast<Enum>(value)) == key) return static_cast<Enum>(value);
    return std::nullopt;
}

}  // namespace

std::string_view StateKey(State state) {
    switch (state) {
        case State::Acknowledged:
            return "acknowledged";
        case State::BeingHandled:
            return "being_handled";
        case State::StoodDown:
            return "stood_down";
        case State::Closed:
            return "closed";
        case State::New:
            break;
    }
    return "new";
}

std::string_view ActionKey(Action action) {
    switch (action) {
        case Action::Reopen:
            return "reopen";
        case Action::Acknowledge:
            return "acknowledge";
        case Action::Take:
            return "take";
        case Action::Note:
            return "note";
        case Action::StandDown:
            return "stand_down";
        case Action::Close:
            return "close";
        case Action::TakeOver:
            return "take_over";
        case Action::Release:
            return "release";
        case Action::Open:
            break;
    }
    return "open";
}

std::string_view OperatorActionKey(OperatorAction action) {
    switch (action) {
        case OperatorAction::Acknowledge:
            return ActionKey(Action::Acknowledge);
        case OperatorAction::Take:
            return ActionKey(Action::Take);
        case OperatorAction::Note:
            return ActionKey(Action::Note);
        case OperatorAction::Close:
            return ActionKey(Action::Close);
        case OperatorAction::TakeOver:
            return ActionKey(Action::TakeOver);
        case OperatorAction::Release:
            break;
    }
    return ActionKey(Action::Release);
}

std::optional<State> StateFromKey(std::string_view key) {
    return FromKey<State>(key, StateKey);
}

std::optional<Action> ActionFromKey(std::string_view key) {
    return FromKey<Action>(key, ActionKey);
}

std::optional<EvidenceGrade> GradeFromKey(std::string_view key) {
    return FromKey<EvidenceGrade>(key, GradeKey);
}

std::string RefusalText(const IncidentBook::Outcome& outcome, bool english) {
    return english ? English(outcome) : Italian(outcome);
}

IncidentBook::Answer IncidentBook::Observe(const Sighting& observation) {
    Answer answer;
    const std::string callsign = platform::UCase(observation.callsign);
    const auto latest = latest_.find(callsign);
    Incident* incident = latest == latest_.end() ? nullptr : &byId_.at(latest->second);

    if (observation.Grade() == EvidenceGrade::None) {
        if (incident == nullptr || incident->state == State::Closed) return answer;
        answer.incident = incident->id;
        if (observation.time_s < incident->lastHeard_s) return answer;  // an older frame
        incident->lastHeard_s = observation.time_s;
        if (observation.position) incident->position = observation.position;
        if (!IsOpen(incident->state)) return answer;
        if (observation.micEOtherMessage) {
            Move(*incident, Action::StandDown, State::StoodDown, observation.time_s, {},
                 "the station reports a Mic-E message other than Emergency");
        } else if (observation.time_s - incident->lastEmergency_s >= standDownAfter_s_) {
            Move(*incident, Action::StandDown, State::StoodDown, observation.time_s, {},
                 "no emergency mark for " + std::to_string(standDownAfter_s_ / 60) + " min");
        }
        return answer;
    }

    if (incident != nullptr) {
        // A copy of a frame already heard, or a frame older than what was heard since: it
        // belongs to this incident's evidence and changes nothing.
        answer.arrival = Arrival::Fresh;
        for (const Incident::Seen& seen : incident->seen) {
            if (observation.CopyKey().empty() || seen.key != observation.CopyKey()) continue;
            answer.arrival = observation.time_s - seen.time_s < sighting::kCopyWindow_s
                                 ? Arrival::Copy
                                 : Arrival::Late;
        }
        if (answer.arrival == Arrival::Fresh && observation.time_s < incident->lastHeard_s) {
            answer.arrival = Arrival::Late;
        }
        if (answer.arrival != Arrival::Fresh) {
            answer.incident = incident->id;
            if (incident->state == State::Closed) return answer;  // kept as it was closed
            ++incident->copies;
            incident->grade = std::max(incident->grade, observation.Grade());
            return answer;
        }
    }

    answer.arrival = Arrival::Fresh;
    const bool opens = incident == nullptr || incident->state == State::Closed;
    const bool reopens = !opens && incident->state == State::StoodDown;
    if (opens) incident = &Open(observation);
    AddEmergency(*incident, observation);
    answer.incident = incident->id;
    if (opens || reopens) {
        const Decision decision = Decide(watch_, observation);
        answer.sound = decision.sound;
        answer.heldBackReason = decision.heldBackReason;
        incident->heldBackReason = decision.heldBackReason;
        Move(*incident, opens ? Action::Open : Action::Reopen, State::New, observation.time_s, {},
             {});
    }
    Prune();
    return answer;
}

IncidentBook::Outcome IncidentBook::Apply(const OperatorCommand& command) {
    const auto found = byId_.find(command.incident);
    if (found == byId_.end()) return {false, Refusal::NoSuchIncident, {}, command.incident};
    Incident& incident = found->second;
    if (incident.state == State::Closed) return RefusedByState(incident);
    if (command.operatorName.empty()) return Refused(Refusal::OperatorNotNamed, incident);
    if (gate_) {
        const Outcome verdict = gate_(command);
        if (!verdict.done) return verdict;
    }

    switch (command.action) {
        case OperatorAction::Acknowledge:
            if (incident.state != State::New) return RefusedByState(incident);
            Move(incident, Action::Acknowledge, State::Acknowledged, command.time_s,
                 command.operatorName, {});
            break;
        case OperatorAction::Take:
            if (incident.state == State::BeingHandled &&
                !SameOperator(incident.handler, command.operatorName)) {
                return Refused(Refusal::HandledByAnother, incident);
            }
            if (incident.state != State::New && incident.state != State::Acknowledged) {
                return RefusedByState(incident);
            }
            incident.handler = command.text.empty() ? command.operatorName : command.text;
            Move(incident, Action::Take, State::BeingHandled, command.time_s, command.operatorName,
                 {});
            break;
        case OperatorAction::Note:
            if (command.text.empty()) return Refused(Refusal::NoteEmpty, incident);
            Move(incident, Action::Note, incident.state, command.time_s, command.operatorName,
                 command.text);
            break;
        case OperatorAction::Close:
            if (command.text.empty()) return Refused(Refusal::CloseNeedsNote, incident);
            if (incident.state == State::BeingHandled &&
                !SameOperator(incident.handler, command.operatorName)) {
                return Refused(Refusal::HandledByAnother, incident);
            }
            Move(incident, Action::Close, State::Closed, command.time_s, command.operatorName,
                 command.text);
            break;
        case OperatorAction::TakeOver:
            return TakeOver(incident, command);
        case OperatorAction::Release:
            return Release(incident, command);
    }
    return {true, Refusal::None, incident.handler, incident.id};
}

bool IncidentBook::NeedsOwnName(OperatorAction action) {
    return action == OperatorAction::Take || action == OperatorAction::TakeOver ||
           action == OperatorAction::Release;
}

std::vector<OperatorAction> IncidentBook::ActionsOffered(State state) {
    using enum OperatorAction;
    switch (state) {
        case State::New:
            return {Acknowledge, Take, Note, Close};
        case State::Acknowledged:
            return {Take, Note, Close};
        case State::BeingHandled:
            return {TakeOver, Release, Note, Close};
        case State::StoodDown:
            return {Note, Close};
        case State::Closed:
            break;
    }
    return {};
}

void IncidentBook::AcknowledgeAllNew(std::int64_t time_s, const std::string& operatorName) {
    std::vector<std::uint64_t> fresh;
    for (const auto& [id, incident] : byId_)
        if (incident.state == State::New) fresh.push_back(id);
    for (const std::uint64_t id : fresh)
        Apply({.action = OperatorAction::Acknowledge,
               .incident = id,
               .time_s = time_s,
               .operatorName = operatorName,
               .text = {}});
}

// A hand-over: the incident keeps being handled, by the operator now, and the note says why.
IncidentBook::Outcome IncidentBook::TakeOver(Incident& incident, const OperatorCommand& command) {
    if (incident.state != State::BeingHandled) {
        return incident.state == State::StoodDown ? RefusedByState(incident)
                                                  : Refused(Refusal::NobodyHandlesYet, incident);
    }
    if (SameOperator(incident.handler, command.operatorName))
        return Refused(Refusal::AlreadyHandled, incident);
    if (command.text.empty()) return Refused(Refusal::TakeOverNeedsNote, incident);
    incident.handler = command.operatorName;
    Move(incident, Action::TakeOver, State::BeingHandled, command.time_s, command.operatorName,
         command.text);
    return {true, Refusal::None, incident.handler, incident.id};
}

// The handler lets go: nobody handles it, and anyone may take it again.
IncidentBook::Outcome IncidentBook::Release(Incident& incident, const OperatorCommand& command) {
    if (incident.state != State::BeingHandled) return Refused(Refusal::NobodyHandles, incident);
    if (!SameOperator(incident.handler, command.operatorName))
        return Refused(Refusal::OnlyHandlerReleases, incident);
    incident.handler.clear();
    Move(incident, Action::Release, State::Acknowledged, command.time_s, command.operatorName,
         command.text);
    return {true, Refusal::None, {}, incident.id};
}

void IncidentBook::NoteEvidence(std::string_view callsign, const Evidence& evidence) {
    const auto latest = latest_.find(platform::UCase(callsign));
    if (latest == latest_.end()) return;
    Incident& incident = byId_.at(latest->second);
    if (incident.state == State::Closed) return;
    auto own = std::make_shared<Evidence>(evidence);
    // The station program counts since it first heard the station; an incident counts its own.
    own->count = incident.frames;
    own->firstHeard_s = incident.opened_s;
    incident.evidence = std::move(own);
}

namespace {

// The action that takes an incident from `from` to `to` as an operator or the station would.
Action FollowingAction(std::optional<State> from, State to) {
    switch (to) {
        case State::New:
            return from ? Action::Reopen : Action::Open;
        case State::Acknowledged:
            return from == State::BeingHandled ? Action::Release : Action::Acknowledge;
        case State::BeingHandled:
            return from == State::BeingHandled ? Action::TakeOver : Action::Take;
        case State::StoodDown:
            return Action::StandDown;
        case State::Closed:
            break;
    }
    return Action::Close;
}

}  // namespace

void IncidentBook::Follow(const Incident& shared, std::vector<std::string> sites,
                          std::int64_t time_s, const std::string& by, const std::string& note) {
    auto found = byId_.find(shared.id);
    std::optional<State> before;
    if (found == byId_.end()) {
        Incident opened;
        opened.id = shared.id;
        opened.callsign = platform::UCase(shared.callsign);
        opened.opened_s = shared.opened_s;
        opened.lastEmergency_s = shared.lastEmergency_s;
        opened.lastHeard_s = shared.lastHeard_s;
        nextId_ = std::max(nextId_, opened.id + 1);
        auto& latest = latest_[opened.callsign];
        latest = std::max(latest, opened.id);
        found = byId_.emplace(opened.id, std::move(opened)).first;
    } else {
        before = found->second.state;
    }
    Incident& incident = found->second;
    incident.grade = std::max(incident.grade, shared.grade);
    incident.lastHeard_s = std::max(incident.lastHeard_s, shared.lastHeard_s);
    incident.sites = std::move(sites);
    if (before == shared.state && incident.handler == shared.handler) return;
    incident.handler = shared.handler;
    if (shared.state != State::Closed) closed_.erase(incident.id);
    Move(incident, FollowingAction(before, shared.state), shared.state, time_s, by, note);
    Prune();
}

void IncidentBook::NoteSites(std::uint64_t id, std::vector<std::string> sites) {
    const auto found = byId_.find(id);
    if (found != byId_.end()) found->second.sites = std::move(sites);
}

void IncidentBook::Restore(std::vector<Incident> incidents, std::uint64_t nextNumber) {
    nextId_ = std::max(nextId_, nextNumber);
    for (Incident& incident : incidents) {
        const std::uint64_t id = incident.id;
        nextId_ = std::max(nextId_, id + 1);
        if (incident.state == State::Closed) closed_.insert(id);
        auto& latest = latest_[incident.callsign];
        latest = std::max(latest, id);
        byId_.insert_or_assign(id, std::move(incident));
    }
    while (byId_.size() > kMaxIncidents && !closed_.empty()) Prune();
}

const Incident* IncidentBook::Find(std::uint64_t id) const {
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : &found->second;
}

const Incident* IncidentBook::Latest(std::string_view callsign) const {
    const auto found = latest_.find(platform::UCase(callsign));
    return found == latest_.end() ? nullptr : Find(found->second);
}

void IncidentBook::ForEach(const std::function<void(const Incident&)>& visit) const {
    for (const auto& [id, incident] : byId_) visit(incident);
}

Incident& IncidentBook::Open(const Sighting& observation) {
    Incident incident;
    incident.id = nextId_++;
    incident.callsign = platform::UCase(observation.callsign);
    incident.opened_s = observation.time_s;
    latest_[incident.callsign] = incident.id;
    return byId_.emplace(incident.id, std::move(incident)).first->second;
}

void IncidentBook::AddEmergency(Incident& incident, const Sighting& observation) {
    ++incident.frames;
    incident.grade = std::max(incident.grade, observation.Grade());
    incident.lastEmergency_s = observation.time_s;
    incident.lastHeard_s = std::max(incident.lastHeard_s, observation.time_s);
    if (observation.position) incident.position = observation.position;
    const std::string& key = observation.CopyKey();
    if (key.empty()) return;
    if (incident.seen.size() >= kMaxSeen) incident.seen.erase(incident.seen.begin());
    incident.seen.push_back({key, observation.time_s});
}

void IncidentBook::Move(Incident& incident, Action action, State to, std::int64_t time_s,
                        std::string operatorName, std::string note) {
    Change change{.incident = incident.id,
                  .callsign = incident.callsign,
                  .time_s = time_s,
                  .action = action,
                  .from = incident.state,
                  .to = to,
                  .operatorName = std::move(operatorName),
                  .note = std::move(note),
                  .handler = incident.handler,
                  .grade = incident.grade,
                  .heldBackReason = incident.heldBackReason};
    incident.state = to;
    if (to == State::Closed) closed_.insert(incident.id);
    incident.history.push_back(change);
    if (sink_) sink_(change);
}

void IncidentBook::Prune() {
    if (byId_.size() <= kMaxIncidents || closed_.empty()) return;
    const auto oldest = byId_.find(*closed_.begin());
    closed_.erase(closed_.begin());
    if (oldest == byId_.end()) return;
    const auto latest = latest_.find(oldest->second.callsign);
    if (latest != latest_.end() && latest->second == oldest->first) latest_.erase(latest);
    byId_.erase(oldest);
}

}  // namespace incidents
