// Writing and reading the net's incident messages: every field checked against its bounds, so
// what a hostile publisher sends is refused with a reason and never reaches the book.
#include "net_book/NetMessages.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <nlohmann/json.hpp>
#include <tuple>

#include "incidents/IncidentBook.h"
#include "platform/NumberText.h"

namespace net_book {
namespace {

using incidents::OperatorAction;
using nlohmann::json;

constexpr std::array kOperatorActions = {OperatorAction::Acknowledge, OperatorAction::Take,
                                         OperatorAction::Note,        OperatorAction::Close,
                                         OperatorAction::TakeOver,    OperatorAction::Release};

// Thrown inside the parser only, caught at its boundary.
struct Refused {
    std::string why;
};

bool IsWatcherCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

const json& Field(const json& object, const char* name) {
    const auto found = object.find(name);
    if (found == object.end()) throw Refused{std::string("no \"") + name + "\""};
    return *found;
}

std::string Text(const json& object, const char* name, std::size_t maxBytes, bool optional) {
    if (optional && !object.contains(name)) return {};
    const json& value = Field(object, name);
    if (!value.is_string()) throw Refused{std::string("\"") + name + "\" is not text"};
    std::string text = value.get<std::string>();
    if (text.size() > maxBytes)
        throw Refused{std::string("\"") + name + "\" longer than " + std::to_string(maxBytes)};
    if (HasControlCharacter(text))
        throw Refused{std::string("\"") + name + "\" holds control characters"};
    return text;
}

std::string Watcher(const json& object, const char* name) {
    const auto watcher = WatcherName(Text(object, name, kMaxWatcherBytes, false));
    if (!watcher) throw Refused{std::string("\"") + name + "\" is not a watcher's name"};
    return *watcher;
}

NetKey Key(const json& object) {
    const auto key = KeyFromText(Text(object, "key", kMaxWatcherBytes + 21, false));
    if (!key) throw Refused{"\"key\" is not WATCHER/NUMBER"};
    return *key;
}

std::uint64_t Sequence(const json& object) {
    const json& value = Field(object, "seq");
    if (!value.is_number_unsigned() || value.get<std::uint64_t>() == 0 ||
        value.get<std::uint64_t>() > kMaxSequence) {
        throw Refused{"\"seq\" is not a whole number from 1 to 2^53"};
    }
    return value.get<std::uint64_t>();
}

std::int64_t Time(const json& object) {
    const json& value = Field(object, "time");
    if (!value.is_number_integer() || value.get<std::int64_t>() < 0)
        throw Refused{"\"time\" is not a Unix time"};
    return value.get<std::int64_t>();
}

void ReadAction(const json& object, NetChange& change) {
    const std::string action = Text(object, "action", 32, false);
    if (action == "open")
        change.kind = Kind::Open;
    else if (action == "heard")
        change.kind = Kind::Heard;
    else if (action == "stand_down")
        change.kind = Kind::StandDown;
    else {
        const auto known = std::find_if(
            kOperatorActions.begin(), kOperatorActions.end(),
            [&](OperatorAction a) { return incidents::OperatorActionKey(a) == action; });
        if (known == kOperatorActions.end()) throw Refused{"unknown action \"" + action + "\""};
        change.kind = Kind::Operator;
        change.action = *known;
    }
}

NetChange ReadChange(const json& object) {
    if (!object.is_object()) throw Refused{"a change is not an object"};
    NetChange change;
    change.key = Key(object);
    change.watcher = Watcher(object, "watcher");
    change.sequence = Sequence(object);
    change.time_s = Time(object);
    change.callsign = platform::UCase(Text(object, "callsign", kMaxCallsignBytes, false));
    if (change.callsign.empty()) throw Refused{"\"callsign\" is empty"};
    ReadAction(object, change);
    change.operatorName = Text(object, "operator", kMaxOperatorBytes, true);
    change.note = Text(object, "note", kMaxNoteBytes, true);
    const std::string grade = Text(object, "grade", 32, true);
    if (!grade.empty()) {
        const auto known = incidents::GradeFromKey(grade);
        if (!known) throw Refused{"unknown grade \"" + grade + "\""};
        change.grade = *known;
    }
    if (change.kind == Kind::Open && change.key.watcher != change.watcher)
        throw Refused{"only " + change.key.watcher + " opens " + KeyText(change.key)};
    return change;
}

json ChangeObject(const NetChange& change) {
    json object = {{"key", KeyText(change.key)},  {"watcher", change.watcher},
                   {"seq", change.sequence},      {"time", change.time_s},
                   {"callsign", change.callsign}, {"action", ActionText(change)}};
    if (!change.operatorName.empty()) object["operator"] = change.operatorName;
    if (!change.note.empty()) object["note"] = change.note;
    if (change.grade != incidents::EvidenceGrade::None)
        object["grade"] = incidents::GradeKey(change.grade);
    return object;
}

std::string Dump(const json& object) {
    return object.dump(-1, ' ', false, json::error_handler_t::replace);
}

Message ReadMessage(const json& object) {
    if (!object.is_object()) throw Refused{"not a JSON object"};
    const json& version = Field(object, "v");
    if (!version.is_number_integer() || version.get<std::int64_t>() != kFormatVersion)
        throw Refused{"not version " + std::to_string(kFormatVersion)};
    const std::string type = Text(object, "type", 16, false);
    if (type == "change") return ReadChange(object);
    if (type != "snapshot") throw Refused{"unknown type \"" + type + "\""};
    Snapshot snapshot{Watcher(object, "watcher"), Key(object), {}};
    const json& changes = Field(object, "changes");
    if (!changes.is_array() || changes.size() > kMaxSnapshotChanges)
        throw Refused{"\"changes\" is not a list of at most " +
                      std::to_string(kMaxSnapshotChanges)};
    for (const json& change : changes) snapshot.changes.push_back(ReadChange(change));
    return snapshot;
}

}  // namespace

std::string KeyText(const NetKey& key) {
    return key.watcher + "/" + std::to_string(key.number);
}

std::optional<NetKey> KeyFromText(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto watcher = WatcherName(text.substr(0, slash));
    const std::string_view digits = text.substr(slash + 1);
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (!watcher || digits.empty() || error != std::errc{} ||
        end != digits.data() + digits.size() || number == 0) {
        return std::nullopt;
    }
    return NetKey{*watcher, number};
}

std::optional<std::string> WatcherName(std::string_view name) {
    if (name.empty() || name.size() > kMaxWatcherBytes ||
        !std::all_of(name.begin(), name.end(), IsWatcherCharacter)) {
        return std::nullopt;
    }
    return platform::UCase(name);
}

bool SortsBefore(const NetChange& a, const NetChange& b) {
    return std::tie(a.time_s, a.watcher, a.sequence) < std::tie(b.time_s, b.watcher, b.sequence);
}

std::string_view ActionText(const NetChange& change) {
    switch (change.kind) {
        case Kind::Open:
            return "open";
        case Kind::Heard:
            return "heard";
        case Kind::StandDown:
            return "stand_down";
        case Kind::Operator:
            break;
    }
    return incidents::OperatorActionKey(change.action);
}

std::string FormatChange(const NetChange& change) {
    json object = ChangeObject(change);
    object["v"] = kFormatVersion;
    object["type"] = "change";
    return Dump(object);
}

std::string FormatSnapshot(const Snapshot& snapshot) {
    json changes = json::array();
    for (const NetChange& change : snapshot.changes) changes.push_back(ChangeObject(change));
    return Dump({{"v", kFormatVersion},
                 {"type", "snapshot"},
                 {"watcher", snapshot.watcher},
                 {"key", KeyText(snapshot.key)},
                 {"changes", std::move(changes)}});
}

Parsed ParseMessage(std::string_view payload) {
    if (payload.size() > kMaxSnapshotBytes)
        return {std::nullopt, "longer than " + std::to_string(kMaxSnapshotBytes) + " bytes"};
    const json object = json::parse(payload, nullptr, false);
    if (object.is_discarded()) return {std::nullopt, "not JSON"};
    try {
        Message message = ReadMessage(object);
        if (std::holds_alternative<NetChange>(message) && payload.size() > kMaxChangeBytes)
            return {std::nullopt, "a change longer than " + std::to_string(kMaxChangeBytes)};
        return {std::move(message), {}};
    } catch (const Refused& refused) {
        return {std::nullopt, refused.why};
    } catch (const json::exception& error) {
        return {std::nullopt, error.what()};
    }
}

}  // namespace net_book
