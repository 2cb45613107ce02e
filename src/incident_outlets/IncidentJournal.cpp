// Reading the incident log back into the book, and writing the book's checkpoint.
#include "incident_outlets/IncidentJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <map>

#include "incident_outlets/JsonLines.h"
#include "incidents/Events.h"
#include "platform/NumberText.h"

namespace incidents {
namespace {

constexpr int kCheckpointFormat = 1;

std::string Std(const QJsonValue& value) {
    return value.toString().toStdString();
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Unix seconds from a number (the book's own records) or an ISO time (the log's lines).
std::optional<std::int64_t> Seconds(const QJsonValue& value) {
    if (value.isDouble()) return value.toInteger();
    const QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!time.isValid()) return std::nullopt;
    return time.toSecsSinceEpoch();
}

std::uint64_t Count(const QJsonValue& value) {
    return static_cast<std::uint64_t>(std::max<qint64>(0, value.toInteger()));
}

std::vector<std::string> Texts(const QJsonValue& value) {
    std::vector<std::string> texts;
    for (const QJsonValue& text : value.toArray()) texts.push_back(Std(text));
    return texts;
}

std::optional<Place> PlaceOf(const QJsonObject& json) {
    const QJsonValue lat = json["latitude_deg"], lon = json["longitude_deg"];
    if (!lat.isDouble() || !lon.isDouble()) return std::nullopt;
    return Place{lat.toDouble(), lon.toDouble()};
}

// A change as ChangeObject writes it, or an incident line of the log. An action this program does
// not know (a newer one wrote it) is taken as a note: its state, handler and words stay.
std::optional<Change> ChangeOf(const QJsonObject& json) {
    const auto time = Seconds(json["time"]);
    const auto to = StateFromKey(Std(json["to"]));
    const qint64 id = json["incident"].toInteger();
    if (!time || !to || id <= 0 || !json["callsign"].isString()) return std::nullopt;
    return Change{.incident = static_cast<std::uint64_t>(id),
                  .callsign = platform::UCase(Std(json["callsign"])),
                  .time_s = *time,
                  .action = ActionFromKey(Std(json["action"])).value_or(Action::Note),
                  .from = StateFromKey(Std(json["from"])).value_or(*to),
                  .to = *to,
                  .operatorName = Std(json["operator"]),
                  .note = Std(json["note"]),
                  .handler = Std(json["handler"]),
                  .grade = GradeFromKey(Std(json["grade"])).value_or(EvidenceGrade::None),
                  .heldBackReason = Std(json["held_back"])};
}

// The evidence as EvidenceJson writes it.
std::optional<Evidence> EvidenceOf(const QJsonValue& value) {
    if (!value.isObject()) return std::nullopt;
    const QJsonObject json = value.toObject();
    const QJsonObject path = json["path"].toObject();
    return Evidence{.frame = Std(json["frame"]),
                    .messageType = Std(json["message_type"]),
                    .cause = Std(json["cause"]),
                    .path = {.digipeaters = Texts(path["digipeaters"]),
                             .heardFrom = Std(path["heard_from"]),
                             .viaInternet = path["via"] == "internet",
                             .gateway = Std(path["gateway"])},
                    .firstHeard_s = Seconds(json["first_heard"]).value_or(0),
                    .lastHeard_s = Seconds(json["last_heard"]).value_or(0),
                    .count = Count(json["count"]),
                    .heard = Count(json["heard"]),
                    .heardVia = Texts(json["heard_via"]),
                    .place = PlaceOf(json)};
}

QJsonObject IncidentJson(const Incident& incident) {
    QJsonArray history, seen;
    for (const Change& change : incident.history) history.append(ChangeObject(change));
    for (const Incident::Seen& frame : incident.seen)
        seen.append(QJsonObject{{"key", Text(frame.key)}, {"time", qint64(frame.time_s)}});
    QJsonObject json{{"incident", qint64(incident.id)},
                     {"callsign", Text(incident.callsign)},
                     {"state", Text(std::string(StateKey(incident.state)))},
                     {"grade", Text(std::string(GradeKey(incident.grade)))},
                     {"opened", qint64(incident.opened_s)},
                     {"last_emergency", qint64(incident.lastEmergency_s)},
                     {"last_heard", qint64(incident.lastHeard_s)},
                     {"frames", qint64(incident.frames)},
                     {"copies", qint64(incident.copies)},
                     {"handler", Text(incident.handler)},
                     {"held_back", Text(incident.heldBackReason)},
                     {"history", history},
                     {"seen", seen}};
    if (incident.position) {
        json["latitude_deg"] = incident.position->latitude_deg;
        json["longitude_deg"] = incident.position->longitude_deg;
    }
    if (incident.evidence) json["evidence"] = EvidenceJson(*incident.evidence);
    return json;
}

std::optional<Incident> IncidentOf(const QJsonObject& json) {
    Incident incident;
    const qint64 id = json["incident"].toInteger();
    const auto state = StateFromKey(Std(json["state"]));
    if (id <= 0 || !state || !json["callsign"].isString()) return std::nullopt;
    incident.id = static_cast<std::uint64_t>(id);
    incident.callsign = platform::UCase(Std(json["callsign"]));
    incident.state = *state;
    incident.grade = GradeFromKey(Std(json["grade"])).value_or(EvidenceGrade::None);
    incident.opened_s = json["opened"].toInteger();
    incident.lastEmergency_s = json["last_emergency"].toInteger();
    incident.lastHeard_s = json["last_heard"].toInteger();
    incident.frames = Count(json["frames"]);
    incident.copies = Count(json["copies"]);
    if (const auto place = PlaceOf(json))
        incident.position = GeoPoint{place->latitude_deg, place->longitude_deg};
    incident.handler = Std(json["handler"]);
    incident.heldBackReason = Std(json["held_back"]);
    for (const QJsonValue& change : json["history"].toArray())
        if (auto read = ChangeOf(change.toObject())) incident.history.push_back(std::move(*read));
    for (const QJsonValue& frame : json["seen"].toArray())
        incident.seen.push_back({Std(frame["key"]), frame["time"].toInteger()});
    if (auto evidence = EvidenceOf(json["evidence"]))
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
    bool Take(const QJsonObject& line) {
        const auto time = Seconds(line["time"]);
        const QString kind = line["event"].toString();
        if (!time || kind.isEmpty()) return false;
        lastAlive_s = std::max(lastAlive_s.value_or(*time), *time);
        stoppedCleanly = kind == "watch" && line["state"] == "stopped";
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

    Incident* OpenOf(const QJsonValue& callsign) {
        const auto latest = latest_.find(platform::UCase(Std(callsign)));
        if (latest == latest_.end()) return nullptr;
        Incident& incident = byId.at(latest->second);
        return incident.state == State::Closed ? nullptr : &incident;
    }

    bool TakeChange(const QJsonObject& line) {
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
    void TakeEmergency(const QJsonObject& line, std::int64_t time_s) {
        auto evidence = EvidenceOf(line["evidence"]);
        Incident* incident = OpenOf(line["callsign"]);
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

    void TakePosition(const QJsonObject& line, std::int64_t time_s) {
        Incident* incident = OpenOf(line["callsign"]);
        const auto place = PlaceOf(line);
        if (incident == nullptr || !place) return;
        incident->position = GeoPoint{place->latitude_deg, place->longitude_deg};
        incident->lastHeard_s = std::max(incident->lastHeard_s, time_s);
    }
};

QStringList DayFiles(const QString& folder) {
    return QDir(folder).entryList({"incidents-*.jsonl"}, QDir::Files, QDir::Name);
}

// The checkpoint taken up into the rebuild; how far it covered each day file in `from`.
void ReadCheckpoint(const QString& path, Rebuild& rebuild, std::map<QString, qint64>& from,
                    TakenUp& taken) {
    QFile file(path);
    if (!file.exists()) return;
    QJsonParseError error{};
    const QJsonObject json = file.open(QIODevice::ReadOnly)
                                 ? QJsonDocument::fromJson(file.readAll(), &error).object()
                                 : QJsonObject();
    const auto saved = Seconds(json["saved"]);
    if (json["format"].toInt() != kCheckpointFormat || !saved) {
        taken.problems.push_back(path.toStdString() +
                                 " cannot be read; the incident log is read from its start");
        return;
    }
    for (const QJsonValue& value : json["incidents"].toArray()) {
        if (auto incident = IncidentOf(value.toObject())) {
            rebuild.Keep(std::move(*incident));
        } else {
            taken.problems.push_back(path.toStdString() + " holds an incident that cannot be read");
        }
    }
    rebuild.next = std::max<std::uint64_t>(rebuild.next, Count(json["next_incident"]));
    // A watch with nothing new to save only moves the checkpoint's time on.
    const std::int64_t touched = QFileInfo(file).lastModified().toSecsSinceEpoch();
    rebuild.lastAlive_s = std::max(*saved, touched);
    rebuild.stoppedCleanly = json["stopped_cleanly"].toBool();
    const QJsonObject journal = json["journal"].toObject();
    for (auto it = journal.begin(); it != journal.end(); ++it) from[it.key()] = it->toInteger();
}

// The lines of one day file from byte `from` on.
void ReadDay(const QString& folder, const QString& name, qint64 from, Rebuild& rebuild,
             TakenUp& taken) {
    QFile file(folder + '/' + name);
    if (!file.open(QIODevice::ReadOnly)) {
        taken.problems.push_back(name.toStdString() + ": " + file.errorString().toStdString());
        return;
    }
    if (file.size() < from) {
        taken.problems.push_back(name.toStdString() +
                                 " is shorter than when the book was saved; it is not read again");
        return;
    }
    file.seek(from);
    while (!file.atEnd()) {
        const qint64 at = file.pos();
        const QByteArray line = file.readLine();
        const QByteArray text = line.trimmed();
        if (text.isEmpty()) continue;
        ++taken.linesRead;
        const QJsonDocument doc = QJsonDocument::fromJson(text);
        if (doc.isObject() && rebuild.Take(doc.object())) continue;
        taken.problems.push_back(
            name.toStdString() + " at byte " + std::to_string(at) + ": " +
            (line.endsWith('\n') ? "a line that cannot be read" : "a line cut short") +
            ", left out");
    }
}

// Data written to the file so far reaches the disk, not only the system's cache.
bool SyncToDisk(const QString& path, bool directory = false) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          (directory ? O_DIRECTORY : 0) | O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

TakenUp IncidentJournal::Restore(IncidentBook& book) {
    TakenUp taken;
    Rebuild rebuild;
    std::map<QString, qint64> from;
    ReadCheckpoint(folder_ + '/' + kCheckpointName, rebuild, from, taken);
    synced_ = from;  // what a checkpoint covers was on the disk before it was written
    for (const QString& name : DayFiles(folder_)) {
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
    QFile file(folder_ + '/' + kCheckpointName);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::fromSecsSinceEpoch(now_s), QFileDevice::FileModificationTime);
}

platform::Result<void> IncidentJournal::Save(const IncidentBook& book, std::int64_t now_s,
                                             bool stoppedCleanly) {
    if (!QDir().mkpath(folder_))
        return platform::Fail("the folder " + folder_.toStdString() + " cannot be made");
    // The checkpoint says how far the day files go: that much of them is on the disk first.
    QJsonObject journal;
    for (const QString& name : DayFiles(folder_)) {
        const QString path = folder_ + '/' + name;
        const qint64 size = QFileInfo(path).size();
        if (synced_[name] != size && !SyncToDisk(path))
            return platform::Fail(path.toStdString() + " cannot be flushed to the disk");
        synced_[name] = size;
        journal[name] = size;
    }
    QJsonArray incidents;
    book.ForEach(
        [&incidents](const Incident& incident) { incidents.append(IncidentJson(incident)); });
    const QJsonObject json{{"format", kCheckpointFormat},
                           {"saved", IsoTime(now_s)},
                           {"stopped_cleanly", stoppedCleanly},
                           {"next_incident", qint64(book.NextNumber())},
                           {"journal", journal},
                           {"incidents", incidents}};
    QSaveFile file(folder_ + '/' + kCheckpointName);
    const QByteArray bytes = QJsonDocument(json).toJson(QJsonDocument::Compact);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                         file.flush() && ::fsync(file.handle()) == 0;
    if (!written) {
        file.cancelWriting();
        return platform::Fail(file.fileName().toStdString() + ": " +
                              file.errorString().toStdString());
    }
    if (!file.commit())
        return platform::Fail(file.fileName().toStdString() + ": " +
                              file.errorString().toStdString());
    SyncToDisk(folder_, true);  // the new name too
    StillRunning(now_s);
    return {};
}

}  // namespace incidents
