// Reading the incident log back into the book, and writing the book's checkpoint.
#include "incident_outlets/IncidentJournal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "incident_outlets/DiskFiles.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/JsonLines.h"
#include "incident_outlets/JsonRead.h"
#include "incidents/Events.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"

namespace incidents {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr int kCheckpointFormat = 1;

// Unix seconds from a number (the book's own records) or an ISO time (the log's lines).
std::optional<std::int64_t> Seconds(const json& value) {
    if (value.is_number()) return Integer(value);
    if (!value.is_string()) return std::nullopt;
    return ParseIsoTime(value.get_ref<const std::string&>(), true);
}

std::uint64_t Count(const json& value) {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(0, Integer(value)));
}

// The elements of an array; none for anything else.
const json& Elements(const json& value) {
    static const json none = json::array();
    return value.is_array() ? value : none;
}

std::vector<std::string> Texts(const json& value) {
    std::vector<std::string> texts;
    if (value.is_array())
        for (const json& text : value) texts.push_back(Std(text));
    return texts;
}

std::optional<Place> PlaceOf(const json& object) {
    const json &lat = At(object, "latitude_deg"), &lon = At(object, "longitude_deg");
    if (!lat.is_number() || !lon.is_number()) return std::nullopt;
    return Place{lat.get<double>(), lon.get<double>()};
}

// A change as ChangeObject writes it, or an incident line of the log. An action this program does
// not know (a newer one wrote it) is taken as a note: its state, handler and words stay.
std::optional<Change> ChangeOf(const json& object) {
    const auto time = Seconds(At(object, "time"));
    const auto to = StateFromKey(Std(At(object, "to")));
    const std::int64_t id = Integer(At(object, "incident"));
    if (!time || !to || id <= 0 || !At(object, "callsign").is_string()) return std::nullopt;
    return Change{.incident = static_cast<std::uint64_t>(id),
                  .callsign = platform::UCase(Std(At(object, "callsign"))),
                  .time_s = *time,
                  .action = ActionFromKey(Std(At(object, "action"))).value_or(Action::Note),
                  .from = StateFromKey(Std(At(object, "from"))).value_or(*to),
                  .to = *to,
                  .operatorName = Std(At(object, "operator")),
                  .note = Std(At(object, "note")),
                  .handler = Std(At(object, "handler")),
                  .grade = GradeFromKey(Std(At(object, "grade"))).value_or(EvidenceGrade::None),
                  .heldBackReason = Std(At(object, "held_back"))};
}

// The evidence as EvidenceJson writes it.
std::optional<Evidence> EvidenceOf(const json& value) {
    if (!value.is_object()) return std::nullopt;
    const json& object = value;
    const json& path = At(object, "path");
    return Evidence{.frame = Std(At(object, "frame")),
                    .messageType = Std(At(object, "message_type")),
                    .cause = Std(At(object, "cause")),
                    .path = {.digipeaters = Texts(At(path, "digipeaters")),
                             .heardFrom = Std(At(path, "heard_from")),
                             .viaInternet = At(path, "via") == "internet",
                             .gateway = Std(At(path, "gateway"))},
                    .firstHeard_s = Seconds(At(object, "first_heard")).value_or(0),
                    .lastHeard_s = Seconds(At(object, "last_heard")).value_or(0),
                    .count = Count(At(object, "count")),
                    .heard = Count(At(object, "heard")),
                    .heardVia = Texts(At(object, "heard_via")),
                    .place = PlaceOf(object)};
}

json IncidentJson(const Incident& incident) {
    json history = json::array(), seen = json::array();
    for (const Change& change : incident.history) history.push_back(ChangeObject(change));
    for (const Incident::Seen& frame : incident.seen)
        seen.push_back({{"key", frame.key}, {"time", std::int64_t(frame.time_s)}});
    json object{{"incident", std::int64_t(incident.id)},
                {"callsign", incident.callsign},
                {"state", std::string(StateKey(incident.state))},
                {"grade", std::string(GradeKey(incident.grade))},
                {"opened", std::int64_t(incident.opened_s)},
                {"last_emergency", std::int64_t(incident.lastEmergency_s)},
                {"last_heard", std::int64_t(incident.lastHeard_s)},
                {"frames", std::int64_t(incident.frames)},
                {"copies", std::int64_t(incident.copies)},
                {"handler", incident.handler},
                {"held_back", incident.heldBackReason},
                {"history", history},
                {"seen", seen}};
    if (incident.position) {
        object["latitude_deg"] = incident.position->latitude_deg;
        object["longitude_deg"] = incident.position->longitude_deg;
    }
    if (incident.evidence) object["evidence"] = EvidenceJson(*incident.evidence);
    return object;
}

std::optional<Incident> IncidentOf(const json& object) {
    Incident incident;
    const std::int64_t id = Integer(At(object, "incident"));
    const auto state = StateFromKey(Std(At(object, "state")));
    if (id <= 0 || !state || !At(object, "callsign").is_string()) return std::nullopt;
    incident.id = static_cast<std::uint64_t>(id);
    incident.callsign = platform::UCase(Std(At(object, "callsign")));
    incident.state = *state;
    incident.grade = GradeFromKey(Std(At(object, "grade"))).value_or(EvidenceGrade::None);
    incident.opened_s = Integer(At(object, "opened"));
    incident.lastEmergency_s = Integer(At(object, "last_emergency"));
    incident.lastHeard_s = Integer(At(object, "last_heard"));
    incident.frames = Count(At(object, "frames"));
    incident.copies = Count(At(object, "copies"));
    if (const auto place = PlaceOf(object))
        incident.position = GeoPoint{place->latitude_deg, place->longitude_deg};
    incident.handler = Std(At(object, "handler"));
    incident.heldBackReason = Std(At(object, "held_back"));
    for (const json& change : Elements(At(object, "history")))
        if (auto read = ChangeOf(change)) incident.history.push_back(std::move(*read));
    for (const json& frame : Elements(At(object, "seen")))
        incident.seen.push_back({Std(At(frame, "key")), Integer(At(frame, "time"))});
    if (auto evidence = EvidenceOf(At(object, "evidence")))
        incident.evidence = std::make_shared<const Evidence>(std::move(*evidence));
    return incident;
}

// The grade of an emergency line, from the words the built-in host gives its cause.
EvidenceGrade GradeOfCause(std::string_view cause) {
    if (cause.starts_with("Mic-E")) return EvidenceGrade::MicEEmergency;
    if (cause.starts_with("message type ")) return EvidenceGrade::CustomType;
    if (cause.find("!EMERGENCY!") != std::string_view::npos) return EvidenceGrade::CommentText;
    return EvidenceGrade::None;
}

// The book's copy key of a monitor line "SRC>DST,PATH:information": the source, destination
// and information, without the path, which differs between copies.
std::string CopyKeyOf(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return {};
    const std::string_view header = line.substr(0, colon);
    return std::string(header.substr(0, header.find(','))) + std::string(line.substr(colon));
}

bool SameChange(const Change& a, const Change& b) {
    return a.time_s == b.time_s && a.action == b.action && a.to == b.to &&
           a.operatorName == b.operatorName && a.note == b.note;
}

// The book as the lines of the log left it, from a checkpoint on. Lines read a second time (a
// checkpoint that covered less than it could) change nothing.
class Rebuild {
public:
    std::map<std::uint64_t, Incident> byId;
    std::uint64_t next = 1;
    std::optional<std::int64_t> lastAlive_s;
    bool stoppedCleanly = true;

    void Keep(Incident incident) {
        next = std::max(next, incident.id + 1);
        Latest(incident.callsign, incident.id);
        byId.insert_or_assign(incident.id, std::move(incident));
    }

    // False when the line is not one of the log's events.
    bool Take(const json& line) {
        const auto time = Seconds(At(line, "time"));
        const std::string kind = Std(At(line, "event"));
        if (!time || kind.empty()) return false;
        lastAlive_s = std::max(lastAlive_s.value_or(*time), *time);
        stoppedCleanly = kind == "watch" && At(line, "state") == "stopped";
        if (kind == "incident") return TakeChange(line);
        if (kind == "emergency") TakeEmergency(line, *time);
        if (kind == "position") TakePosition(line, *time);
        return true;  // other events say nothing of incidents
    }

private:
    std::map<std::string, std::uint64_t> latest_;

    void Latest(const std::string& callsign, std::uint64_t id) {
        std::uint64_t& latest = latest_[callsign];
        latest = std::max(latest, id);
    }

    Incident* OpenOf(const json& callsign) {
        const auto latest = latest_.find(platform::UCase(Std(callsign)));
        if (latest == latest_.end()) return nullptr;
        Incident& incident = byId.at(latest->second);
        return incident.state == State::Closed ? nullptr : &incident;
    }

    bool TakeChange(const json& line) {
        auto change = ChangeOf(line);
        if (!change) return false;
        auto [entry, fresh] = byId.try_emplace(change->incident);
        Incident& incident = entry->second;
        const auto& history = incident.history;
        if (!fresh && std::any_of(history.begin(), history.end(),
                                  [&](const Change& c) { return SameChange(c, *change); }))
            return true;
        // A number opened again: a version that gave numbers again after a restart wrote it,
        // and the newer incident is the one still known.
        if (!fresh && change->action == Action::Open) incident = Incident{};
        if (incident.id == 0) {
            incident.id = change->incident;
            incident.callsign = change->callsign;
            incident.opened_s = change->time_s;
        }
        next = std::max(next, incident.id + 1);
        Latest(incident.callsign, incident.id);
        const bool emergency = change->action == Action::Open || change->action == Action::Reopen;
        if (emergency || change->action == Action::StandDown)
            incident.lastHeard_s = std::max(incident.lastHeard_s, change->time_s);
        if (emergency)
            incident.lastEmergency_s = std::max(incident.lastEmergency_s, change->time_s);
        incident.state = change->to;
        incident.handler = change->handler;
        incident.grade = std::max(incident.grade, change->grade);
        incident.heldBackReason = change->heldBackReason;
        incident.history.push_back(std::move(*change));
        return true;
    }

    // The emergency frames an incident heard: their count, grade and copy keys, the last one's
    // evidence and place; what was heard since the last change line is not lost in a crash.
    void TakeEmergency(const json& line, std::int64_t time_s) {
        auto evidence = EvidenceOf(At(line, "evidence"));
        Incident* incident = OpenOf(At(line, "callsign"));
        if (!evidence || incident == nullptr) return;
        const std::int64_t heard = evidence->lastHeard_s ? evidence->lastHeard_s : time_s;
        if (const auto& known = incident->evidence) {
            if (heard < known->lastHeard_s) return;
            if (heard == known->lastHeard_s && evidence->frame == known->frame) return;
        }
        ++incident->frames;
        incident->grade = std::max(incident->grade, GradeOfCause(evidence->cause));
        if (std::string key = CopyKeyOf(evidence->frame); !key.empty()) {
            auto& seen = incident->seen;
            if (seen.size() >= IncidentBook::kMaxSeen) seen.erase(seen.begin());
            seen.push_back({std::move(key), heard});
        }
        incident->lastEmergency_s = std::max(incident->lastEmergency_s, heard);
        incident->lastHeard_s = std::max(incident->lastHeard_s, heard);
        if (evidence->place)
            incident->position =
                GeoPoint{evidence->place->latitude_deg, evidence->place->longitude_deg};
        evidence->count = incident->frames;
        evidence->firstHeard_s = incident->opened_s;
        evidence->lastHeard_s = heard;
        incident->evidence = std::make_shared<const Evidence>(std::move(*evidence));
    }

    void TakePosition(const json& line, std::int64_t time_s) {
        Incident* incident = OpenOf(At(line, "callsign"));
        const auto place = PlaceOf(line);
        if (incident == nullptr || !place) return;
        incident->position = GeoPoint{place->latitude_deg, place->longitude_deg};
        incident->lastHeard_s = std::max(incident->lastHeard_s, time_s);
    }
};

// Seconds of a file time.
std::int64_t UnixSeconds(fs::file_time_type time) {
    const auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(platform::FilePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The checkpoint taken up into the rebuild; how far it covered each day file in `from`.
void ReadCheckpoint(const std::string& path, Rebuild& rebuild,
                    std::map<std::string, std::int64_t>& from, TakenUp& taken) {
    std::error_code error;
    if (!fs::exists(platform::FilePath(path), error)) return;
    const json object = json::parse(ReadAll(path), nullptr, false);
    const auto saved = Seconds(At(object, "saved"));
    if (Integer(At(object, "format")) != kCheckpointFormat || !saved) {
        taken.problems.push_back(path + " cannot be read; the incident log is read from its start");
        return;
    }
    for (const json& value : Elements(At(object, "incidents"))) {
        if (auto incident = IncidentOf(value)) {
            rebuild.Keep(std::move(*incident));
        } else {
            taken.problems.push_back(path + " holds an incident that cannot be read");
        }
    }
    rebuild.next = std::max<std::uint64_t>(rebuild.next, Count(At(object, "next_incident")));
    // A watch with nothing new to save only moves the checkpoint's time on.
    const auto modified = fs::last_write_time(platform::FilePath(path), error);
    rebuild.lastAlive_s = error ? *saved : std::max(*saved, UnixSeconds(modified));
    const json& stopped = At(object, "stopped_cleanly");
    rebuild.stoppedCleanly = stopped.is_boolean() && stopped.get<bool>();
    const json& journal = At(object, "journal");
    if (journal.is_object())
        for (const auto& [name, size] : journal.items()) from[name] = Integer(size);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The lines of one day file from byte `from` on.
void ReadDay(const std::string& folder, const std::string& name, std::int64_t from,
             Rebuild& rebuild, TakenUp& taken) {
    errno = 0;
    std::ifstream file(platform::FilePath(folder + '/' + name), std::ios::binary);
    if (!file) {
        taken.problems.push_back(name + ": " + std::strerror(errno != 0 ? errno : EIO));
        return;
    }
    file.seekg(0, std::ios::end);
    if (static_cast<std::int64_t>(file.tellg()) < from) {
        taken.problems.push_back(name +
                                 " is shorter than when the book was saved; it is not read again");
        return;
    }
    file.seekg(from);
    std::int64_t at = from;
    for (std::string line; std::getline(file, line);) {
        const bool whole = !file.eof();  // the last line may lack its end: cut short by a crash
        const std::int64_t start = at;
        at += static_cast<std::int64_t>(line.size()) + (whole ? 1 : 0);
        const std::string_view text = Trimmed(line);
        if (text.empty()) continue;
        ++taken.linesRead;
        const json event = json::parse(text, nullptr, false);
        if (event.is_object() && rebuild.Take(event)) continue;
        taken.problems.push_back(name + " at byte " + std::to_string(start) + ": " +
                                 (whole ? "a line that cannot be read" : "a line cut short") +
                                 ", left out");
    }
}

}  // namespace

TakenUp IncidentJournal::Restore(IncidentBook& book) {
    TakenUp taken;
    Rebuild rebuild;
    std::map<std::string, std::int64_t> from;
    ReadCheckpoint(folder_ + '/' + kCheckpointName, rebuild, from, taken);
    synced_ = from;  // what a checkpoint covers was on the disk before it was written
    for (const std::string& name : DayFiles(folder_)) {
        const auto covered = from.find(name);
        ReadDay(folder_, name, covered == from.end() ? 0 : covered->second, rebuild, taken);
    }
    std::vector<Incident> incidents;
    for (auto& [id, incident] : rebuild.byId) incidents.push_back(std::move(incident));
    book.Restore(std::move(incidents), rebuild.next);
    book.ForEach([&taken](const Incident& incident) {  // what the book keeps of them
        ++taken.incidents;
        taken.open += incident.state != State::Closed;
        taken.unsounded += incident.state == State::New && incident.heldBackReason.empty();
    });
    taken.lastAlive_s = rebuild.lastAlive_s;
    taken.stoppedCleanly = rebuild.stoppedCleanly;
    return taken;
}

void IncidentJournal::StillRunning(std::int64_t now_s) {
    const fs::path path = platform::FilePath(folder_ + '/' + kCheckpointName);
    const std::chrono::sys_seconds now{std::chrono::seconds(now_s)};
    std::error_code error;
    if (fs::exists(path, error))
        fs::last_write_time(path, std::chrono::file_clock::from_sys(now), error);
}

platform::Result<void> IncidentJournal::Save(const IncidentBook& book, std::int64_t now_s,
                                             bool stoppedCleanly) {
    std::error_code error;
    fs::create_directories(platform::FilePath(folder_), error);
    if (error) return platform::Fail("the folder " + folder_ + " cannot be made");
    // The checkpoint says how far the day files go: that much of them is on the disk first.
    json journal = json::object();
    for (const std::string& name : DayFiles(folder_)) {
        const std::string path = folder_ + '/' + name;
        const auto size = static_cast<std::int64_t>(fs::file_size(platform::FilePath(path), error));
        if (error) return platform::Fail(path + ": " + error.message());
        if (synced_[name] != size && !SyncToDisk(path))
            return platform::Fail(path + " cannot be flushed to the disk");
        synced_[name] = size;
        journal[name] = size;
    }
    // Written an incident at a time, so a large book is never held twice as a tree: the same
    // text as the whole object would give, its keys in order.
    std::string text = "{\"format\":";
    text.append(std::to_string(kCheckpointFormat)).append(",\"incidents\":[");
    bool first = true;
    book.ForEach([&text, &first](const Incident& incident) {
        if (!first) text += ',';
        first = false;
        text += JsonText(IncidentJson(incident));
    });
    text.append("],\"journal\":")
        .append(JsonText(journal))
        .append(",\"next_incident\":")
        .append(std::to_string(book.NextNumber()))
        .append(",\"saved\":")
        .append(JsonText(IsoTime(now_s)))
        .append(",\"stopped_cleanly\":")
        .append(stoppedCleanly ? "true}" : "false}");
    const auto written = ReplaceWhole(folder_ + '/' + kCheckpointName, text, true);
    if (!written) return written;
    SyncToDisk(folder_, true);  // the new name too
    StillRunning(now_s);
    return {};
}

}  // namespace incidents
