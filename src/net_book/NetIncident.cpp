// Replaying one station's changes: openings, evidence from sites, standing down and operators'
// actions, the last through a scratch IncidentBook so that its Apply says what an operator may do.
#include "net_book/NetIncident.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace net_book {
namespace {

using incidents::Action;
using incidents::Incident;
using incidents::IncidentBook;
using incidents::State;

bool IsOpen(State state) {
    return state == State::New || state == State::Acknowledged || state == State::BeingHandled;
}

// When a change takes effect: never before its incident's opening.
using Place = std::tuple<std::int64_t, std::string, std::uint64_t>;

class Replayer {
public:
    explicit Replayer(std::vector<const NetChange*> changes) : changes_(std::move(changes)) {
        for (const NetChange* change : changes_)
            if (change->kind == Kind::Open) NoteOpening(*change);
        std::sort(changes_.begin(), changes_.end(), [&](const NetChange* a, const NetChange* b) {
            return PlaceOf(*a) < PlaceOf(*b);
        });
    }

    std::vector<NetIncident> Run() {
        for (const NetChange* change : changes_) Take(*change);
        for (std::size_t i = 0; i < incidents_.size(); ++i) {
            incidents_[i].incident = *scratch_.Find(i + 1);
            incidents_[i].incident.id = 0;
            for (auto& change : incidents_[i].incident.history) change.incident = 0;
        }
        return std::move(incidents_);
    }

private:
    void NoteOpening(const NetChange& change) {
        const auto [found, added] = opened_s_.emplace(change.key, change.time_s);
        if (!added) found->second = std::min(found->second, change.time_s);
    }

    Place PlaceOf(const NetChange& change) const {
        const auto opening = opened_s_.find(change.key);
        const std::int64_t opened_s = opening == opened_s_.end() ? 0 : opening->second;
        return {std::max(change.time_s, opened_s), change.watcher, change.sequence};
    }

    void Take(const NetChange& change) {
        if (change.kind == Kind::Open && !where_.contains(change.key)) return Open(change);
        const auto found = where_.find(change.key);
        if (found == where_.end()) return;  // never opened: waits outside the book
        NetIncident& net = incidents_[found->second];
        const std::uint64_t id = found->second + 1;
        Entry entry{change, true, {}};
        switch (change.kind) {
            case Kind::Open:
            case Kind::Heard:
                entry.applied = Heard(net, id, change);
                if (!entry.applied) entry.refusal = "the incident is closed";
                break;
            case Kind::StandDown:
                entry.applied = StandDown(id, change);
                if (!entry.applied) entry.refusal = "not open";
                break;
            case Kind::Operator:
                entry = Operate(id, change);
                break;
        }
        net.log.push_back(std::move(entry));
    }

    void Open(const NetChange& change) {
        if (current_ && scratch_.Find(*current_ + 1)->state != State::Closed) {
            where_[change.key] = *current_;
            incidents_[*current_].merged.push_back(change.key);
            Take(change);  // evidence of the one open
            return;
        }
        const std::size_t index = incidents_.size();
        if (index + 1 >= IncidentBook::kMaxIncidents) return;  // the scratch book keeps no more
        current_ = index;
        where_[change.key] = index;
        Incident incident;
        incident.id = index + 1;
        incident.callsign = change.callsign;
        incident.opened_s = change.time_s;
        incident.grade = change.grade;
        incident.lastEmergency_s = incident.lastHeard_s = change.time_s;
        incident.frames = 1;
        incident.history.push_back(Record(incident, Action::Open, State::New, change.time_s));
        scratch_.Restore({std::move(incident)}, 0);
        NetIncident net;
        net.key = change.key;
        net.sites.push_back({change.watcher, change.time_s, change.grade});
        net.log.push_back({change, true, {}});
        incidents_.push_back(std::move(net));
    }

    // One more site heard it, or the same again: evidence; a station that stood down is back.
    // A closed incident's evidence stays as it was closed.
    bool Heard(NetIncident& net, std::uint64_t id, const NetChange& change) {
        if (scratch_.Find(id)->state == State::Closed) return false;
        const auto site = std::find_if(net.sites.begin(), net.sites.end(),
                                       [&](const Site& s) { return s.watcher == change.watcher; });
        if (site == net.sites.end())
            net.sites.push_back({change.watcher, change.time_s, change.grade});
        else
            site->grade = std::max(site->grade, change.grade);
        Incident incident = *scratch_.Find(id);
        incident.grade = std::max(incident.grade, change.grade);
        ++incident.frames;
        incident.lastEmergency_s = std::max(incident.lastEmergency_s, change.time_s);
        incident.lastHeard_s = std::max(incident.lastHeard_s, change.time_s);
        if (incident.state == State::StoodDown) Move(incident, Action::Reopen, State::New, change);
        scratch_.Restore({std::move(incident)}, 0);
        return true;
    }

    bool StandDown(std::uint64_t id, const NetChange& change) {
        Incident incident = *scratch_.Find(id);
        if (!IsOpen(incident.state)) return false;
        incident.handler.clear();
        Move(incident, Action::StandDown, State::StoodDown, change);
        scratch_.Restore({std::move(incident)}, 0);
        return true;
    }

    Entry Operate(std::uint64_t id, const NetChange& change) {
        const auto outcome = scratch_.Apply({.action = change.action,
                                             .incident = id,
                                             .time_s = change.time_s,
                                             .operatorName = change.operatorName,
                                             .text = change.note});
        return {change, outcome.done, incidents::RefusalText(outcome)};
    }

    static incidents::Change Record(const Incident& incident, Action action, State to,
                                    std::int64_t time_s) {
        incidents::Change record;
        record.incident = incident.id;
        record.callsign = incident.callsign;
        record.time_s = time_s;
        record.action = action;
        record.from = incident.state;
        record.to = to;
        record.handler = incident.handler;
        record.grade = incident.grade;
        return record;
    }

    static void Move(Incident& incident, Action action, State to, const NetChange& change) {
        incident.history.push_back(Record(incident, action, to, change.time_s));
        incident.state = to;
    }

    std::vector<const NetChange*> changes_;
    std::map<NetKey, std::int64_t> opened_s_;
    std::map<NetKey, std::size_t> where_;
    std::optional<std::size_t> current_;
    std::vector<NetIncident> incidents_;
    IncidentBook scratch_;
};

}  // namespace

bool NetIncident::Holds(const NetKey& other) const {
    return key == other || std::find(merged.begin(), merged.end(), other) != merged.end();
}

std::vector<NetIncident> Replay(std::vector<const NetChange*> changes) {
    return Replayer(std::move(changes)).Run();
}

}  // namespace net_book
