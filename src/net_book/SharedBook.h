// One watcher's share of the net's incident book: what its own station and operators do goes
// out as changes; what other watchers send comes in; every watcher holding the same changes
// holds the same incidents, whatever order they came in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "incidents/IncidentBook.h"
#include "net_book/NetIncident.h"
#include "net_book/NetMessages.h"

namespace net_book {

class SharedBook {
public:
    static constexpr std::size_t kMaxChangesPerKey = 200;   // the first in the order are kept
    static constexpr std::size_t kMaxKeys = 2000;           // incidents opened on the net
    static constexpr std::size_t kMaxPending = 1000;        // changes of incidents not opened yet
    static constexpr std::int64_t kPendingFor_s = 10 * 60;  // then they are dropped
    static constexpr std::int64_t kMaxAhead_s = 10 * 60;    // of this watcher's clock
    static constexpr std::uint64_t kSequenceSlack = 1000000;
    static constexpr std::int64_t kKeepClosed_s = 24 * 60 * 60;

    // What to publish: a change (once, not retained) or an incident's snapshot (retained under
    // the watcher's topic for the key; an empty payload clears the retained one).
    struct Outgoing {
        enum class Kind { Change, Snapshot } kind = Kind::Change;
        NetKey key;
        std::string payload;
    };
    using Out = std::vector<Outgoing>;

    // An incident held here changed state or handler by the shared book: the siren follows it,
    // the screens show it again.
    struct Notice {
        std::uint64_t incident = 0;  // this watcher's number
        NetKey key;
        std::string callsign;
        std::optional<incidents::State> before;  // nothing: first heard of here
        incidents::State now = incidents::State::New;
        std::string handler;
        std::string by;        // the watcher whose change did it
        bool sound = false;    // new (or back) through another watcher
        bool silence = false;  // no longer new: acknowledged, taken, stood down or closed
    };

    struct Acted {
        incidents::IncidentBook::Outcome outcome;
        std::string why;  // in words, when not done
        Out out;
    };
    struct Received {
        bool accepted = false;
        std::string why;  // when refused
        Out out;
    };

    // `watcher` is this watcher's name; `newLocalNumber` gives a number for an incident opened
    // elsewhere (the local incident book's ReserveNumber, so numbers are never reused).
    SharedBook(std::string watcher, std::function<std::uint64_t()> newLocalNumber);

    void SetNoticeSink(std::function<void(const Notice&)> sink) { noticeSink_ = std::move(sink); }

    // This watcher's own station side: an emergency frame of the local incident `incident`
    // (opens it on the net, or joins the station's open one), and its standing down.
    Out Heard(std::uint64_t incident, std::string_view callsign, std::int64_t time_s,
              incidents::EvidenceGrade grade);
    Out StoodDown(std::uint64_t incident, std::int64_t time_s);
    // An operator here, on a local number: refused at once by the book's rules, or sent.
    Acted Act(incidents::OperatorCommand command);

    // A payload from the net and the watcher its topic names; `now_s` by this watcher's clock.
    Received Receive(std::string_view payload, std::string_view topicWatcher, std::int64_t now_s);
    // Drops changes of incidents never opened, clears snapshots of incidents long closed.
    Out Expire(std::int64_t now_s);
    // Every open incident's snapshot, to publish retained on (re)connecting.
    Out Snapshots();

    const NetIncident* Find(std::uint64_t incident) const;
    const NetIncident* FindKey(const NetKey& key) const;
    void ForEach(const std::function<void(const NetIncident&)>& visit) const;
    const std::string& Watcher() const { return watcher_; }

private:
    using ChangeId = std::pair<std::string, std::uint64_t>;  // watcher, sequence
    struct Stored {
        NetChange change;
        std::int64_t arrived_s = 0;
    };
    enum class Admission { Added, Duplicate, Refused };

    Admission Admit(const NetChange& change, std::int64_t now_s, std::string& why);
    bool MakeRoom(const NetChange& change);
    void Forget(const ChangeId& id);
    void ForgetLongClosed(std::int64_t now_s);
    void Derive(const std::string& callsign);
    void Number(NetIncident& net);
    struct Held {
        incidents::State state;
        std::string handler;
    };
    std::optional<Notice> NoticeOf(const NetIncident& net,
                                   const std::map<NetKey, Held>& before) const;
    void ClearClosed(const NetIncident& net, Out& out);
    Out Publish(NetChange change);
    Outgoing SnapshotOf(const NetIncident& net) const;
    NetChange NewChange(const NetKey& key, std::string callsign, std::int64_t time_s, Kind kind);
    const NetIncident* OpenOf(const std::string& callsign) const;
    void Bind(std::uint64_t incident, const NetKey& key);

    std::string watcher_;
    std::function<std::uint64_t()> newLocalNumber_;
    std::function<void(const Notice&)> noticeSink_;
    std::uint64_t nextSequence_ = 1;
    std::uint64_t spareNumber_ = 1ULL << 40;  // numbers when nobody gives them
    std::map<ChangeId, Stored> changes_;
    std::map<std::string, std::set<ChangeId>, std::less<>> byStation_;
    std::map<NetKey, std::vector<ChangeId>> byKey_;  // kept in the net's order
    std::map<NetKey, std::string> stationOf_;        // fixed by the key's opening
    std::map<ChangeId, std::int64_t> pending_;       // changes of keys not opened: since when
    std::map<std::string, std::vector<NetIncident>, std::less<>> incidents_;
    std::map<NetKey, std::uint64_t> localOfKey_;
    std::map<std::uint64_t, NetKey> keyOfLocal_;
    std::set<NetKey> retained_;  // snapshots this watcher left retained
    Out cleared_;                // retained snapshots to clear, gathered while deriving
};

}  // namespace net_book
