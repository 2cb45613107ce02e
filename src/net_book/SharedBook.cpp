// The shared book's bookkeeping: which changes are known (each once, by watcher and sequence),
// which incident each belongs to, this watcher's numbers for them, and what it must publish.
#include "net_book/SharedBook.h"

#include <algorithm>

#include "platform/NumberText.h"

namespace net_book {
namespace {

using incidents::IncidentBook;
using incidents::OperatorAction;
using incidents::State;

// At most `maxBytes`, cut between characters, with control characters made spaces: what the
// parser at the other watchers accepts.
std::string Bounded(std::string text, std::size_t maxBytes) {
    if (text.size() > maxBytes) {
        std::size_t end = maxBytes;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
        text.resize(end);
    }
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return text;
}

const Entry* ClosingEntry(const NetIncident& net) {
    for (auto entry = net.log.rbegin(); entry != net.log.rend(); ++entry) {
        if (entry->applied && entry->change.kind == Kind::Operator &&
            entry->change.action == OperatorAction::Close) {
            return &*entry;
        }
    }
    return nullptr;
}

}  // namespace

SharedBook::SharedBook(std::string watcher, std::function<std::uint64_t()> newLocalNumber)
    : watcher_(WatcherName(watcher).value_or("WATCHER")),
      newLocalNumber_(std::move(newLocalNumber)) {}

SharedBook::Out SharedBook::Heard(std::uint64_t incident, std::string_view callsign,
                                  std::int64_t time_s, incidents::EvidenceGrade grade) {
    const std::string station = Bounded(platform::UCase(callsign), kMaxCallsignBytes);
    const auto bound = keyOfLocal_.find(incident);
    const NetIncident* net = bound == keyOfLocal_.end() ? OpenOf(station) : FindKey(bound->second);
    if (net == nullptr) {
        if (bound != keyOfLocal_.end() || station.empty()) return {};
        const NetKey key{watcher_, incident};
        Bind(incident, key);
        NetChange opening = NewChange(key, station, time_s, Kind::Open);
        opening.grade = grade;
        return Publish(std::move(opening));
    }
    if (bound == keyOfLocal_.end()) Bind(incident, net->key);
    if (net->incident.state == State::Closed) return {};  // a late copy
    const auto site = std::find_if(net->sites.begin(), net->sites.end(),
                                   [&](const Site& s) { return s.watcher == watcher_; });
    const bool news =
        site == net->sites.end() || site->grade < grade || net->incident.state == State::StoodDown;
    if (!news) return {};
    NetChange heard = NewChange(net->key, net->incident.callsign, time_s, Kind::Heard);
    heard.grade = grade;
    return Publish(std::move(heard));
}

SharedBook::Out SharedBook::StoodDown(std::uint64_t incident, std::int64_t time_s) {
    const NetIncident* net = Find(incident);
    if (net == nullptr || net->incident.state == State::StoodDown ||
        net->incident.state == State::Closed) {
        return {};
    }
    return Publish(NewChange(net->key, net->incident.callsign, time_s, Kind::StandDown));
}

SharedBook::Acted SharedBook::Act(incidents::OperatorCommand command) {
    const std::uint64_t local = command.incident;
    const NetIncident* net = Find(local);
    if (net == nullptr) {
        IncidentBook::Outcome none{false, IncidentBook::Refusal::NoSuchIncident, {}, local};
        return {none, incidents::RefusalText(none), {}};
    }
    command.text = Bounded(std::move(command.text), kMaxNoteBytes);
    command.operatorName = Bounded(std::move(command.operatorName), kMaxOperatorBytes);

    // The book's own rules, on the incident as the net has it now.
    IncidentBook rules;
    incidents::Incident now = net->incident;
    now.id = 1;
    now.history.clear();
    rules.Restore({std::move(now)}, 2);
    IncidentBook::Outcome outcome =
        rules.Apply({command.action, 1, command.time_s, command.operatorName, command.text});
    outcome.incident = local;
    if (!outcome.done) return {outcome, incidents::RefusalText(outcome), {}};
    const auto logged = byKey_.find(net->key);
    if (logged != byKey_.end() && logged->second.size() >= kMaxChangesPerKey) {
        outcome.done = false;
        return {outcome, "the incident's log is full: close it", {}};
    }

    // After every change known here, so that it is replayed where it was judged.
    std::int64_t time_s = command.time_s;
    for (const Entry& entry : net->log) time_s = std::max(time_s, entry.change.time_s);
    NetChange change = NewChange(net->key, net->incident.callsign, time_s, Kind::Operator);
    change.action = command.action;
    change.operatorName = command.operatorName;
    change.note = command.text;
    const ChangeId id{change.watcher, change.sequence};
    Acted acted{outcome, {}, Publish(std::move(change))};
    if (acted.out.empty()) {
        acted.outcome.done = false;
        acted.why = "not taken into the book";
    }
    if (const NetIncident* after = Find(local)) {
        for (const Entry& entry : after->log) {
            if (entry.change.watcher != id.first || entry.change.sequence != id.second) continue;
            acted.outcome.done = entry.applied;
            acted.outcome.handler = after->incident.handler;
            acted.why = entry.refusal;
        }
    }
    return acted;
}

SharedBook::Received SharedBook::Receive(std::string_view payload, std::string_view topicWatcher,
                                         std::int64_t now_s) {
    Parsed parsed = ParseMessage(payload);
    if (!parsed.message) return {false, "refused: " + parsed.error, {}};
    const auto sender = WatcherName(topicWatcher);
    if (!sender) return {false, "refused: the topic names no watcher", {}};

    if (const auto* change = std::get_if<NetChange>(&*parsed.message)) {
        if (change->watcher != *sender)
            return {false, "refused: a change of " + change->watcher + " sent by " + *sender, {}};
        std::string why;
        const Admission admission = Admit(*change, now_s, why);
        if (admission == Admission::Refused) return {false, "refused: " + why, {}};
        if (admission == Admission::Added) Derive(change->callsign);
    } else {
        const Snapshot& snapshot = std::get<Snapshot>(*parsed.message);
        if (snapshot.watcher != *sender)
            return {
                false, "refused: a snapshot of " + snapshot.watcher + " sent by " + *sender, {}};
        std::set<std::string> touched;
        std::size_t refused = 0;
        for (const NetChange& change : snapshot.changes) {
            std::string why;
            const Admission admission = Admit(change, now_s, why);
            if (admission == Admission::Added) touched.insert(change.callsign);
            if (admission == Admission::Refused) ++refused;
        }
        for (const std::string& station : touched) Derive(station);
        if (refused > 0) {
            Received partly{true, std::to_string(refused) + " of its changes refused", {}};
            partly.out = std::exchange(cleared_, {});
            return partly;
        }
    }
    return {true, {}, std::exchange(cleared_, {})};
}

SharedBook::Out SharedBook::Expire(std::int64_t now_s) {
    std::vector<ChangeId> stale;
    for (const auto& [id, since_s] : pending_)
        if (since_s + kPendingFor_s <= now_s) stale.push_back(id);
    for (const ChangeId& id : stale) Forget(id);
    ForgetLongClosed(now_s);

    Out out;
    for (auto key = retained_.begin(); key != retained_.end();) {
        const NetIncident* net = FindKey(*key);
        const Entry* closing = net ? ClosingEntry(*net) : nullptr;
        const bool old = net == nullptr || (net->incident.state == State::Closed && closing &&
                                            closing->change.time_s + kKeepClosed_s <= now_s);
        if (!old) {
            ++key;
            continue;
        }
        out.push_back({Outgoing::Kind::Snapshot, *key, {}});
        key = retained_.erase(key);
    }
    return out;
}

SharedBook::Out SharedBook::Snapshots() {
    Out out;
    for (const auto& [station, nets] : incidents_) {
        for (const NetIncident& net : nets) {
            if (net.incident.state == State::Closed) continue;
            out.push_back(SnapshotOf(net));
            retained_.insert(net.key);
        }
    }
    return out;
}

const NetIncident* SharedBook::Find(std::uint64_t incident) const {
    const auto bound = keyOfLocal_.find(incident);
    return bound == keyOfLocal_.end() ? nullptr : FindKey(bound->second);
}

const NetIncident* SharedBook::FindKey(const NetKey& key) const {
    const auto station = stationOf_.find(key);
    if (station == stationOf_.end()) return nullptr;
    const auto nets = incidents_.find(station->second);
    if (nets == incidents_.end()) return nullptr;
    for (const NetIncident& net : nets->second)
        if (net.Holds(key)) return &net;
    return nullptr;
}

void SharedBook::ForEach(const std::function<void(const NetIncident&)>& visit) const {
    for (const auto& [station, nets] : incidents_)
        for (const NetIncident& net : nets) visit(net);
}

SharedBook::Admission SharedBook::Admit(const NetChange& change, std::int64_t now_s,
                                        std::string& why) {
    const ChangeId id{change.watcher, change.sequence};
    if (changes_.contains(id)) return Admission::Duplicate;
    const auto station = stationOf_.find(change.key);
    if (change.time_s > now_s + kMaxAhead_s)
        why = "its time is ahead of this watcher's clock";
    else if (change.sequence >
             static_cast<std::uint64_t>(std::max<std::int64_t>(0, now_s + kMaxAhead_s)) * 1000 +
                 kSequenceSlack)
        why = "its sequence number is far ahead";
    else if (station != stationOf_.end() && station->second != change.callsign)
        why = KeyText(change.key) + " is an incident of " + station->second;
    else if (station == stationOf_.end() && change.kind == Kind::Open &&
             stationOf_.size() >= kMaxKeys)
        why = "too many incidents on the net";
    else if (station == stationOf_.end() && change.kind != Kind::Open &&
             pending_.size() >= kMaxPending)
        why = "too many changes of incidents nobody opened";
    else if (!MakeRoom(change))
        why = "the log of " + KeyText(change.key) + " is full";
    if (!why.empty()) return Admission::Refused;

    if (change.kind == Kind::Open && station == stationOf_.end()) {
        stationOf_.emplace(change.key, change.callsign);
        for (const ChangeId& waiting : byKey_[change.key])
            if (changes_.at(waiting).change.callsign == change.callsign) pending_.erase(waiting);
    } else if (station == stationOf_.end()) {
        pending_.emplace(id, now_s);
    }
    changes_.emplace(id, Stored{change, now_s});
    byStation_[change.callsign].insert(id);
    auto& ofKey = byKey_[change.key];
    const auto place = std::upper_bound(ofKey.begin(), ofKey.end(), change,
                                        [&](const NetChange& c, const ChangeId& other) {
                                            return SortsBefore(c, changes_.at(other).change);
                                        });
    ofKey.insert(place, id);
    return Admission::Added;
}

// A full log keeps the first changes in the order: a later one is refused, an earlier one
// takes the place of the last.
bool SharedBook::MakeRoom(const NetChange& change) {
    const auto ofKey = byKey_.find(change.key);
    if (ofKey == byKey_.end() || ofKey->second.size() < kMaxChangesPerKey) return true;
    const ChangeId last = ofKey->second.back();
    if (!SortsBefore(change, changes_.at(last).change)) return false;
    Forget(last);
    return true;
}

// Stations whose incidents are all closed, the last a day ago or more, are forgotten, so the
// book stays bounded on a watch that runs for months; this watcher's numbers stay unused.
void SharedBook::ForgetLongClosed(std::int64_t now_s) {
    std::vector<std::string> done;
    for (const auto& [station, nets] : incidents_) {
        const bool old = std::all_of(nets.begin(), nets.end(), [&](const NetIncident& net) {
            const Entry* closing = ClosingEntry(net);
            return closing != nullptr && closing->change.time_s + kKeepClosed_s <= now_s;
        });
        if (old) done.push_back(station);
    }
    for (const std::string& station : done) {
        const auto ids = byStation_[station];
        for (const ChangeId& id : ids) Forget(id);
        std::erase_if(stationOf_, [&](const auto& key) { return key.second == station; });
        incidents_.erase(station);
    }
}

void SharedBook::Forget(const ChangeId& id) {
    const auto stored = changes_.find(id);
    if (stored == changes_.end()) return;
    const NetChange& change = stored->second.change;
    byStation_[change.callsign].erase(id);
    if (byStation_[change.callsign].empty()) byStation_.erase(change.callsign);
    auto& ofKey = byKey_[change.key];
    ofKey.erase(std::remove(ofKey.begin(), ofKey.end(), id), ofKey.end());
    if (ofKey.empty()) byKey_.erase(change.key);
    pending_.erase(id);
    changes_.erase(stored);
}

void SharedBook::Derive(const std::string& callsign) {
    std::map<NetKey, Held> before;
    for (const NetIncident& net : incidents_[callsign]) {
        const Held held{net.incident.state, net.incident.handler};
        before.emplace(net.key, held);
        for (const NetKey& key : net.merged) before.emplace(key, held);
    }
    std::vector<const NetChange*> known;
    for (const ChangeId& id : byStation_[callsign]) known.push_back(&changes_.at(id).change);
    std::vector<NetIncident> derived = Replay(std::move(known));
    for (NetIncident& net : derived) Number(net);
    auto& held = incidents_[callsign];
    held = std::move(derived);
    std::vector<Notice> notices;
    for (const NetIncident& net : held) {
        ClearClosed(net, cleared_);
        if (auto notice = NoticeOf(net, before)) notices.push_back(std::move(*notice));
    }
    // Last, so that a sink acting on the book at once finds it whole.
    if (noticeSink_)
        for (const Notice& notice : notices) noticeSink_(notice);
}

// This watcher's number for the incident: the lowest it gave any of the incident's openings;
// a new one when it has none.
void SharedBook::Number(NetIncident& net) {
    std::optional<std::uint64_t> lowest;
    auto consider = [&](const NetKey& key) {
        if (key.watcher == watcher_ && !localOfKey_.contains(key)) Bind(key.number, key);
        const auto local = localOfKey_.find(key);
        if (local != localOfKey_.end())
            lowest = std::min(lowest.value_or(local->second), local->second);
    };
    consider(net.key);
    for (const NetKey& key : net.merged) consider(key);
    if (!lowest) {
        do lowest = newLocalNumber_ ? newLocalNumber_() : spareNumber_++;
        while (keyOfLocal_.contains(*lowest));  // given already: never two incidents to one
        Bind(*lowest, net.key);
    }
    net.incident.id = *lowest;
    for (auto& change : net.incident.history) change.incident = *lowest;
}

std::optional<SharedBook::Notice> SharedBook::NoticeOf(const NetIncident& net,
                                                       const std::map<NetKey, Held>& before) const {
    std::optional<Held> held;
    for (const auto& [key, then] : before)
        if (net.Holds(key) && (!held || key == net.key)) held = then;
    const State now = net.incident.state;
    if (held && held->state == now && held->handler == net.incident.handler) return std::nullopt;
    const std::optional<State> was = held ? std::optional(held->state) : std::nullopt;
    std::string by;
    for (const Entry& entry : net.log)
        if (entry.applied) by = entry.change.watcher;
    Notice notice{net.incident.id,      net.key, net.incident.callsign, was, now,
                  net.incident.handler, by};
    notice.sound = now == State::New && by != watcher_;
    notice.silence = was == State::New && now != State::New;
    return notice;
}

// Closed by another watcher: this one's retained snapshots of it go; the closer keeps its own
// for a day, so a watcher that was away learns of the closing.
void SharedBook::ClearClosed(const NetIncident& net, Out& out) {
    if (net.incident.state != State::Closed) return;
    const Entry* closing = ClosingEntry(net);
    if (closing == nullptr || closing->change.watcher == watcher_) return;
    for (auto key = retained_.begin(); key != retained_.end();) {
        if (!net.Holds(*key)) {
            ++key;
            continue;
        }
        out.push_back({Outgoing::Kind::Snapshot, *key, {}});
        key = retained_.erase(key);
    }
}

SharedBook::Out SharedBook::Publish(NetChange change) {
    std::string why;
    if (Admit(change, change.time_s, why) != Admission::Added) return {};
    Out out{{Outgoing::Kind::Change, change.key, FormatChange(change)}};
    Derive(change.callsign);
    if (const NetIncident* net = FindKey(change.key)) {
        out.push_back(SnapshotOf(*net));
        retained_.insert(net->key);
    }
    for (Outgoing& clear : std::exchange(cleared_, {})) out.push_back(std::move(clear));
    return out;
}

SharedBook::Outgoing SharedBook::SnapshotOf(const NetIncident& net) const {
    std::vector<NetChange> changes;
    for (const auto& [key, ids] : byKey_) {
        if (!net.Holds(key)) continue;
        for (const ChangeId& id : ids) changes.push_back(changes_.at(id).change);
    }
    std::sort(changes.begin(), changes.end(), SortsBefore);
    if (changes.size() > kMaxSnapshotChanges) changes.resize(kMaxSnapshotChanges);
    return {Outgoing::Kind::Snapshot, net.key, FormatSnapshot({watcher_, net.key, changes})};
}

NetChange SharedBook::NewChange(const NetKey& key, std::string callsign, std::int64_t time_s,
                                Kind kind) {
    // Counted from the clock in milliseconds: still rising after a restart, with nothing kept.
    const auto fromClock = static_cast<std::uint64_t>(std::max<std::int64_t>(time_s, 0)) * 1000;
    const std::uint64_t sequence = std::max(nextSequence_, fromClock);
    nextSequence_ = sequence + 1;
    NetChange change;
    change.key = key;
    change.watcher = watcher_;
    change.sequence = sequence;
    change.time_s = time_s;
    change.callsign = std::move(callsign);
    change.kind = kind;
    return change;
}

const NetIncident* SharedBook::OpenOf(const std::string& callsign) const {
    const auto nets = incidents_.find(callsign);
    if (nets == incidents_.end() || nets->second.empty()) return nullptr;
    const NetIncident& latest = nets->second.back();
    return latest.incident.state == State::Closed ? nullptr : &latest;
}

void SharedBook::Bind(std::uint64_t incident, const NetKey& key) {
    keyOfLocal_.emplace(incident, key);
    localOfKey_.emplace(key, incident);
}

}  // namespace net_book
