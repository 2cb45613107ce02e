// Turning what happens on watch into events, and the two standard-output forms of them.
#include "incidents/Incidents.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <exception>
#include <iostream>

namespace incidents {
namespace {

QString Text(const ui::TextBox& box) {
    return QString::fromStdString(box.Text());
}

QJsonObject PathJson(const builtin_host::PathInfo& path) {
    QJsonArray digipeaters;
    for (const std::string& hop : path.digipeaters) digipeaters.append(QString::fromStdString(hop));
    return {{"digipeaters", digipeaters},
            {"heard_from", QString::fromStdString(path.heardFrom)},
            {"via", path.viaInternet ? "internet" : "radio"},
            {"gateway", QString::fromStdString(path.gateway)}};
}

}  // namespace

QString IsoTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

QJsonObject EvidenceJson(const builtin_host::Evidence& e) {
    QJsonArray heardVia;
    for (const std::string& via : e.heardVia) heardVia.append(QString::fromStdString(via));
    QJsonObject json{{"frame", QString::fromStdString(e.frame)},
                     {"message_type", QString::fromStdString(e.messageType)},
                     {"cause", QString::fromStdString(e.cause)},
                     {"path", PathJson(e.path)},
                     {"first_heard", IsoTime(e.firstHeard_s)},
                     {"last_heard", IsoTime(e.lastHeard_s)},
                     {"count", static_cast<qint64>(e.count)},
                     {"heard", static_cast<qint64>(e.heard)},
                     {"heard_via", heardVia}};
    if (!e.track.empty()) {
        json["latitude_deg"] = e.track.back().latitude_deg;
        json["longitude_deg"] = e.track.back().longitude_deg;
    }
    return json;
}

Incidents::Incidents(forms::FrmMain& form, const platform::ProgramValues& values,
                     const builtin_host::EvidenceBook& evidence, EpochClock clock)
    : form_(form),
      values_(values),
      evidence_(evidence),
      clock_(std::move(clock)),
      alarmOn_(form.TimerAllarme.TimerEnabled()) {
    // The altitude is the last box an emergency fills: the panel is complete when it changes.
    form_.TxtAltezza.Subscribe([this] { Emergency(); });
    form_.TimerAllarme.Subscribe([this] { AlarmChanged(); });
}

void Incidents::Emergency() {
    const forms::FrmMain& f = form_;
    QJsonObject event{
        {"event", "emergency"},
        {"callsign", Text(f.TxtNominativo)},
        {"message", Text(f.TxtMsg)},
        {"beacon", Text(f.TxtBeaconMsg)},
        {"received", Text(f.TxtOraRx)},
        {"distance", Text(f.TxtDistanza)},
        {"course", Text(f.TxtDirezione)},
        {"speed", Text(f.TxtVelocita)},
        {"latitude", Text(f.TxtLat)},
        {"longitude", Text(f.TxtLong)},
        {"bearing", Text(f.TxtAzimut)},
        {"altitude", Text(f.TxtAltezza)},
        {"unit", values_.UnitaMisura == 1 ? QStringLiteral("km") : QStringLiteral("mi")}};
    const builtin_host::Evidence* e = evidence_.Find(f.TxtNominativo.Text());
    const bool copy = e != nullptr && e->lastWasCopy;
    event["new"] = e == nullptr || (e->count == 1 && !copy);
    if (copy) event["copy"] = true;
    if (e != nullptr) event["evidence"] = EvidenceJson(*e);
    Emit(std::move(event));
}

void Incidents::AlarmChanged() {
    const bool on = form_.TimerAllarme.TimerEnabled();
    if (on == alarmOn_) return;
    alarmOn_ = on;
    Emit({{"event", "alarm"}, {"state", on ? "on" : "off"}});
}

void Incidents::FeedSilent(const QString& feed, std::int64_t silent_s, std::int64_t lastHeard_s) {
    Emit({{"event", "feed"},
          {"state", "silent"},
          {"feed", feed},
          {"seconds", static_cast<qint64>(silent_s)},
          {"last_heard", IsoTime(lastHeard_s)}});
}

void Incidents::FeedBack(const QString& feed) {
    Emit({{"event", "feed"}, {"state", "back"}, {"feed", feed}});
}

void Incidents::EvidenceNoted(const builtin_host::EvidenceBook::Noted& noted) {
    if (noted.evidence == nullptr || !noted.newPoint) return;
    const builtin_host::TrackPoint& point = noted.evidence->track.back();
    Emit({{"event", "position"},
          {"callsign", QString::fromStdString(noted.evidence->callsign)},
          {"latitude_deg", point.latitude_deg},
          {"longitude_deg", point.longitude_deg},
          {"time", IsoTime(point.time_s)}});
}

void Incidents::Emit(QJsonObject event) {
    if (!event.contains("time")) event["time"] = IsoTime(clock_());
    for (const Sink& sink : sinks_) {
        try {
            sink(event);
        } catch (const std::exception& e) {
            std::cerr << "sirenwatch: an event could not be passed on: " << e.what() << '\n';
        }
    }
}

Incidents::Sink FeedLinePrinter(std::ostream& out) {
    return [&out](const QJsonObject& event) {
        if (event["event"] != "feed") return;
        if (event["state"] == "back") {
            out << "FEED\tback" << std::endl;
            return;
        }
        out << "FEED\tsilent\t" << event["seconds"].toInteger() << '\t'
            << event["feed"].toString().toStdString() << std::endl;
    };
}

Incidents::Sink JsonLinePrinter(std::ostream& out) {
    return [&out](const QJsonObject& event) {
        if (event["event"] == "position") return;
        out << QJsonDocument(event).toJson(QJsonDocument::Compact).toStdString() << std::endl;
    };
}

}  // namespace incidents
