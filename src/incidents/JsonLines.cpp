// Writing events as JSON.
#include "incidents/JsonLines.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
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

QJsonObject PathJson(const Path& path) {
    return {{"digipeaters", TextArray(path.digipeaters)},
            {"heard_from", Text(path.heardFrom)},
            {"via", path.viaInternet ? "internet" : "radio"},
            {"gateway", Text(path.gateway)}};
}

}  // namespace

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
    // The change record as the incident book writes it, under "event": "incident".
    QJsonObject operator()(const IncidentChange& c) const {
        QJsonObject json =
            QJsonDocument::fromJson(QByteArray::fromStdString(ChangeJson(c.change))).object();
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

}  // namespace

QString IsoTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

QJsonObject ToJson(const Event& event) {
    QJsonObject json = std::visit(ToObject{}, event.what);
    json["time"] = IsoTime(event.time_s);
    return json;
}

Stream::Sink JsonLinePrinter(std::ostream& out) {
    return [&out](const Event& event) {
        if (std::holds_alternative<Position>(event.what)) return;  // for the log only
        out << QJsonDocument(ToJson(event)).toJson(QJsonDocument::Compact).toStdString()
            << std::endl;
    };
}

}  // namespace incidents
