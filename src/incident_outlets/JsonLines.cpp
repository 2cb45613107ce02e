// Writing events as JSON.
#include "incident_outlets/JsonLines.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>

namespace incidents {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QJsonArray TextArray(const std::vector<std::string>& texts) {
    QJsonArray array;
    for (const std::string& text : texts) array.append(Text(text));
    return array;
}

QJsonObject PathJson(const sighting::PathInfo& path) {
    return {{"digipeaters", TextArray(path.digipeaters)},
            {"heard_from", Text(path.heardFrom)},
            {"via", path.viaInternet ? "internet" : "radio"},
            {"gateway", Text(path.gateway)}};
}

QString Key(std::string_view key) {
    return QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

QJsonObject ChangeObject(const Change& c) {
    return {{"incident", static_cast<qint64>(c.incident)},
            {"callsign", Text(c.callsign)},
            {"time", static_cast<qint64>(c.time_s)},
            {"action", Key(ActionKey(c.action))},
            {"from", c.action == Action::Open ? QJsonValue() : QJsonValue(Key(StateKey(c.from)))},
            {"to", Key(StateKey(c.to))},
            {"operator", Text(c.operatorName)},
            {"note", Text(c.note)},
            {"handler", Text(c.handler)},
            {"grade", Key(GradeKey(c.grade))},
            {"grade_text", Key(GradeText(c.grade))},
            {"held_back", Text(c.heldBackReason)}};
}

QJsonObject EvidenceJson(const Evidence& e) {
    QJsonObject json{{"frame", Text(e.frame)},
                     {"message_type", Text(e.messageType)},
                     {"cause", Text(e.cause)},
                     {"path", PathJson(e.path)},
                     {"first_heard", IsoTime(e.firstHeard_s)},
                     {"last_heard", IsoTime(e.lastHeard_s)},
                     {"count", static_cast<qint64>(e.count)},
                     {"heard", static_cast<qint64>(e.heard)},
                     {"heard_via", TextArray(e.heardVia)}};
    if (e.place) {
        json["latitude_deg"] = e.place->latitude_deg;
        json["longitude_deg"] = e.place->longitude_deg;
    }
    return json;
}

namespace {

void AddHome(const std::optional<Place>& home, QJsonObject& json) {
    if (!home) return;
    json["latitude_deg"] = home->latitude_deg;
    json["longitude_deg"] = home->longitude_deg;
}

struct ToObject {
    QJsonObject operator()(const Emergency& e) const {
        QJsonObject json{{"event", "emergency"}, {"unit", Text(e.unit)}, {"new", e.isNew}};
        for (std::size_t i = 0; i < kBoxes; ++i)
            json[QLatin1String(kBoxKeys[i].data(), kBoxKeys[i].size())] = Text(e.panel.text[i]);
        if (e.copy) json["copy"] = true;
        if (e.evidence) json["evidence"] = EvidenceJson(*e.evidence);
        return json;
    }
    QJsonObject operator()(const AlarmOn&) const { return {{"event", "alarm"}, {"state", "on"}}; }
    QJsonObject operator()(const Acknowledged&) const {
        return {{"event", "alarm"}, {"state", "off"}};
    }
    QJsonObject operator()(const FeedSilent& f) const {
        return {{"event", "feed"},
                {"state", "silent"},
                {"feed", Text(f.feed)},
                {"seconds", static_cast<qint64>(f.silent_s)},
                {"last_heard", IsoTime(f.lastHeard_s)}};
    }
    QJsonObject operator()(const FeedBack& f) const {
        return {{"event", "feed"}, {"state", "back"}, {"feed", Text(f.feed)}};
    }
    QJsonObject operator()(const FeedDown& f) const {
        return {{"event", "feed"},
                {"state", "down"},
                {"feed", Text(f.feed)},
                {"reason", Text(f.reason)}};
    }
    QJsonObject operator()(const FeedUp& f) const {
        return {{"event", "feed"}, {"state", "up"}, {"feed", Text(f.feed)}};
    }
    QJsonObject operator()(const Position& p) const {
        return {{"event", "position"},
                {"callsign", Text(p.callsign)},
                {"latitude_deg", p.place.latitude_deg},
                {"longitude_deg", p.place.longitude_deg}};
    }
    // The change record, under "event": "incident".
    QJsonObject operator()(const IncidentChange& c) const {
        QJsonObject json = ChangeObject(c.change);
        json["event"] = "incident";
        return json;
    }
    QJsonObject operator()(const WatchStopped& w) const {
        QJsonObject json{{"event", "watch"}, {"state", "stopped"}};
        AddHome(w.home, json);
        return json;
    }
    // After a first start nothing says when the watch was down: there was no watch before.
    QJsonObject operator()(const WatchStarted& w) const {
        QJsonObject json{{"event", "watch"}, {"state", "started"}};
        if (w.lastAlive_s) {
            json["last_alive"] = IsoTime(*w.lastAlive_s);
            json["stopped_cleanly"] = w.stoppedCleanly;
        }
        AddHome(w.home, json);
        return json;
    }
};

// The same line written directly, for the events every emergency brings (Qt's objects cost
// most of an emergency's time): members in key order, strings and numbers as Qt writes them.
class Members {
public:
    Members& Text(std::string_view key, std::string_view text) { return Raw(key, Quoted(text)); }
    Members& Number(std::string_view key, double value) {
        return Raw(key,
                   QByteArray::number(value, 'g', QLocale::FloatingPointShortest).toStdString());
    }
    Members& Integer(std::string_view key, std::int64_t value) {
        return Raw(key, std::to_string(value));
    }
    Members& Bool(std::string_view key, bool value) { return Raw(key, value ? "true" : "false"); }
    Members& Texts(std::string_view key, const std::vector<std::string>& texts) {
        std::string array = "[";
        for (const std::string& text : texts) {
            if (array.size() > 1) array += ',';
            array += Quoted(text);
        }
        return Raw(key, array + ']');
    }
    Members& Raw(std::string_view key, std::string json) {
        members_.insert_or_assign(std::string(key), std::move(json));
        return *this;
    }
    std::string Object() const {
        std::string json = "{";
        for (const auto& [key, value] : members_)
            json.append(json.size() > 1 ? ",\"" : "\"").append(key).append("\":").append(value);
        return json + '}';
    }

private:
    // Bytes that are not UTF-8 become U+FFFD as Qt reads them.
    static std::string Quoted(std::string_view text) {
        const bool ascii = std::all_of(text.begin(), text.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        const std::string utf8 =
            ascii
                ? std::string(text)
                : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString();
        std::string quoted = "\"";
        for (const char c : utf8) {
            switch (c) {
                case '"':
                    quoted += "\\\"";
                    break;
                case '\\':
                    quoted += "\\\\";
                    break;
                case '\b':
                    quoted += "\\b";
                    break;
                case '\f':
                    quoted += "\\f";
                    break;
                case '\n':
                    quoted += "\\n";
                    break;
                case '\r':
                    quoted += "\\r";
                    break;
                case '\t':
                    quoted += "\\t";
                    break;
                default:
                    if (static_cast<unsigned char>(c) < 0x20) {
                        char escaped[8];
                        std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                        quoted += escaped;
                    } else {
                        quoted += c;
                    }
            }
        }
        return quoted + '"';
    }

    std::map<std::string, std::string, std::less<>> members_;
};

std::string EvidenceLine(const Evidence& e) {
    Members path;
    path.Texts("digipeaters", e.path.digipeaters)
        .Text("heard_from", e.path.heardFrom)
        .Text("via", e.path.viaInternet ? "internet" : "radio")
        .Text("gateway", e.path.gateway);
    Members json;
    json.Text("frame", e.frame)
        .Text("message_type", e.messageType)
        .Text("cause", e.cause)
        .Raw("path", path.Object())
        .Text("first_heard", IsoTime(e.firstHeard_s).toStdString())
        .Text("last_heard", IsoTime(e.lastHeard_s).toStdString())
        .Integer("count", static_cast<qint64>(e.count))
        .Integer("heard", static_cast<qint64>(e.heard))
        .Texts("heard_via", e.heardVia);
    if (e.place) {
        json.Number("latitude_deg", e.place->latitude_deg);
        json.Number("longitude_deg", e.place->longitude_deg);
    }
    return json.Object();
}

// The members of the events written directly; nothing for the others.
std::optional<Members> DirectMembers(const Event& event) {
    Members json;
    if (const auto* e = std::get_if<Emergency>(&event.what)) {
        json.Text("event", "emergency").Text("unit", e->unit).Bool("new", e->isNew);
        for (std::size_t i = 0; i < kBoxes; ++i) json.Text(kBoxKeys[i], e->panel.text[i]);
        if (e->copy) json.Bool("copy", true);
        if (e->evidence) json.Raw("evidence", EvidenceLine(*e->evidence));
    } else if (const auto* p = std::get_if<Position>(&event.what)) {
        json.Text("event", "position")
            .Text("callsign", p->callsign)
            .Number("latitude_deg", p->place.latitude_deg)
            .Number("longitude_deg", p->place.longitude_deg);
    } else {
        return std::nullopt;
    }
    return json;
}

}  // namespace

// Written by hand for the years 1 to 9999 (Qt's formatting cost more than the rest of an
// emergency's log line); Qt's text otherwise.
QString IsoTime(std::int64_t seconds) {
    constexpr std::int64_t kYear1_s = -62'135'596'800, kYear10000_s = 253'402'300'800;
    if (seconds < kYear1_s || seconds >= kYear10000_s)
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
    using namespace std::chrono;
    const sys_seconds at{std::chrono::seconds(seconds)};
    const sys_days day = floor<days>(at);
    const year_month_day date(day);
    const hh_mm_ss time(at - day);
    char text[32];
    const int length = std::snprintf(
        text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
        static_cast<int>(time.seconds().count()));
    return QString::fromLatin1(text, length);
}

QJsonObject ToJson(const Event& event) {
    QJsonObject json = std::visit(ToObject{}, event.what);
    json["time"] = IsoTime(event.time_s);
    return json;
}

std::string JsonLine(const Event& event) {
    std::optional<Members> json = DirectMembers(event);
    if (!json) return QJsonDocument(ToJson(event)).toJson(QJsonDocument::Compact).toStdString();
    return json->Text("time", IsoTime(event.time_s).toStdString()).Object();
}

Stream::Sink JsonLinePrinter(std::ostream& out) {
    return [&out](const Event& event) {
        if (std::holds_alternative<Position>(event.what)) return;  // for the log only
        out << platform::LinePrefix(LevelOf(event.what)) << JsonLine(event) << std::endl;
    };
}

}  // namespace incidents
