// The messages watchers on one net exchange about incidents: one change, or an incident's whole
// change log (what a watcher that was away catches up from), as small versioned JSON objects.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "incidents/Observation.h"

namespace net_book {

inline constexpr int kFormatVersion = 1;
inline constexpr std::size_t kMaxWatcherBytes = 32;  // letters, digits, '-' and '_'
inline constexpr std::size_t kMaxCallsignBytes = 16;
inline constexpr std::size_t kMaxOperatorBytes = 64;
inline constexpr std::size_t kMaxNoteBytes = 500;
inline constexpr std::size_t kMaxSnapshotChanges = 400;
inline constexpr std::size_t kMaxChangeBytes = 2048;
inline constexpr std::size_t kMaxSnapshotBytes = 512 * 1024;
inline constexpr std::uint64_t kMaxSequence = 1ULL << 53;  // what any JSON reader keeps exact

// Which incident on the net: the watcher that opened it and that watcher's own number for it,
// written "CENTRE/12".
struct NetKey {
    std::string watcher;
    std::uint64_t number = 0;
    auto operator<=>(const NetKey&) const = default;
};
std::string KeyText(const NetKey& key);
std::optional<NetKey> KeyFromText(std::string_view text);

// The station's own changes (its emergency opened an incident, was heard at one more site, it
// stood down) and an operator's.
enum class Kind { Open, Heard, StandDown, Operator };

struct NetChange {
    NetKey key;
    std::string watcher;         // who made the change
    std::uint64_t sequence = 0;  // the watcher's own count: (watcher, sequence) names a change
    std::int64_t time_s = 0;     // Unix time, by the watcher's clock
    std::string callsign;
    Kind kind = Kind::Open;
    incidents::OperatorAction action = incidents::OperatorAction::Acknowledge;  // for Operator
    std::string operatorName;
    std::string note;  // an operator's note; for a take, who handles it when not the operator
    incidents::EvidenceGrade grade = incidents::EvidenceGrade::None;  // for Open and Heard
    bool operator==(const NetChange&) const = default;
};

// The one order every watcher replays an incident's changes in: time, then watcher, then the
// watcher's sequence.
bool SortsBefore(const NetChange& a, const NetChange& b);
// The change's name in the messages: "open", "heard", "stand_down" or an operator action's key.
std::string_view ActionText(const NetChange& change);

// An incident's whole change log, as one watcher has it.
struct Snapshot {
    std::string watcher;  // who published it
    NetKey key;
    std::vector<NetChange> changes;
};

std::string FormatChange(const NetChange& change);
std::string FormatSnapshot(const Snapshot& snapshot);

using Message = std::variant<NetChange, Snapshot>;
struct Parsed {
    std::optional<Message> message;
    std::string error;  // why the payload was refused, when it was
};
// Never throws: a payload that is not JSON, too big, of another version or with a field out of
// bounds is refused with the reason.
Parsed ParseMessage(std::string_view payload);

// Watcher names are compared and sent in capitals; nothing when the name is not one.
std::optional<std::string> WatcherName(std::string_view name);

}  // namespace net_book
