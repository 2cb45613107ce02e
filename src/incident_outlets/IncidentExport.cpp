// Reading the incident log back and writing GPX and KML.
#include "incident_outlets/IncidentExport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <algorithm>

#include "incident_outlets/IncidentLog.h"

namespace incidents {
namespace {

std::optional<IncidentPoint> PointOf(const QJsonObject& json, const QDateTime& time) {
    const QJsonValue lat = json["latitude_deg"], lon = json["longitude_deg"];
    if (!lat.isDouble() || !lon.isDouble()) return std::nullopt;
    return IncidentPoint{time, lat.toDouble(), lon.toDouble()};
}

WatchMark WatchMarkOf(const QJsonObject& event, const QDateTime& time) {
    WatchMark mark{time, "watch stopped", "The watch stopped cleanly.", PointOf(event, time)};
    if (event["state"] != "started") return mark;
    mark.name = "watch started";
    mark.description = "The watch started.";
    const QString lastAlive = event["last_alive"].toString();
    if (lastAlive.isEmpty()) return mark;
    mark.description = "The watch started again; nobody watched since " + lastAlive +
                       (event["stopped_cleanly"].toBool()
                            ? ", when it stopped cleanly."
                            : ": it did not stop cleanly, and was last known to run then.");
    return mark;
}

void TakeEvent(const QJsonObject& event, const QDateTime& time, IncidentHistory& history,
               std::map<QString, qint64>& openBy) {
    const QString kind = event["event"].toString();
    const QString call = event["callsign"].toString();
    if (kind == "incident") {
        const qint64 id = event["incident"].toInteger();
        IncidentOutcome& outcome = history.incidents[id];
        openBy[call] = id;
        outcome.state = event["to"].toString();
        outcome.handler = event["handler"].toString();
        outcome.grade = event["grade_text"].toString();
        outcome.heldBack = event["held_back"].toString();
        if (const QString note = event["note"].toString(); !note.isEmpty())
            outcome.notes.append(event["operator"].toString() + ": " + note);
    } else if (kind == "watch") {
        history.watch.push_back(WatchMarkOf(event, time));
    } else if (kind == "position") {
        if (const auto point = PointOf(event, time)) history.tracks[call].push_back(*point);
    } else if (kind == "emergency") {
        const QJsonObject evidence = event["evidence"].toObject();
        if (const auto point = PointOf(evidence, time)) {
            const auto open = openBy.find(call);
            history.emergencies.push_back({call, *point, evidence["cause"].toString(),
                                           evidence["frame"].toString(),
                                           open == openBy.end() ? 0 : open->second});
        }
    }
}

void ReadFile(const QString& path, const std::optional<QDateTime>& since, IncidentHistory& history,
              std::map<QString, qint64>& openBy) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty()) continue;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        const QDateTime time = QDateTime::fromString(doc["time"].toString(), Qt::ISODate);
        if (!doc.isObject() || !time.isValid()) {
            ++history.unreadableLines;
            continue;
        }
        if (!since || time >= *since) TakeEvent(doc.object(), time, history, openBy);
    }
}

// Air text may carry control characters XML cannot hold; they are shown as U+FFFD.
QString XmlSafe(QString text) {
    for (QChar& c : text) {
        if (c.unicode() < 0x20 && c != '\n' && c != '\t' && c != '\r') c = QChar(0xFFFD);
    }
    return text;
}

QString Description(const IncidentHistory& history, const EmergencyMark& mark) {
    QString text = mark.cause + "\n" + mark.frame;
    const auto found = history.incidents.find(mark.incident);
    if (found != history.incidents.end()) {
        const IncidentOutcome& o = found->second;
        text += "\nincident " + QString::number(mark.incident) + ": " + o.state;
        if (!o.handler.isEmpty()) text += " (" + o.handler + ")";
        text += "\ngrade: " + o.grade;
        if (!o.heldBack.isEmpty()) text += "\nheld back: " + o.heldBack;
        for (const QString& note : o.notes) text += "\nnote: " + note;
    }
    return XmlSafe(text);
}

QString IsoUtc(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODate);
}

QString Coordinate(double value) {
    return QString::number(value, 'f', 6);
}

void WriteGpxPoint(QXmlStreamWriter& xml, const char* element, const IncidentPoint& p) {
    xml.writeStartElement(element);
    xml.writeAttribute("lat", Coordinate(p.latitude_deg));
    xml.writeAttribute("lon", Coordinate(p.longitude_deg));
    xml.writeTextElement("time", IsoUtc(p.time));
}

QString KmlCoordinates(const std::vector<IncidentPoint>& points) {
    QStringList pairs;
    for (const IncidentPoint& p : points)
        pairs << Coordinate(p.longitude_deg) + ',' + Coordinate(p.latitude_deg);
    return pairs.join(' ');
}

}  // namespace

IncidentHistory ReadIncidents(const QString& folder, const std::optional<QDateTime>& since) {
    IncidentHistory history;
    const QString firstName = since ? IncidentFileName(IsoUtc(*since)) : QString();
    QStringList names = QDir(folder).entryList({"incidents-*.jsonl"}, QDir::Files, QDir::Name);
    std::map<QString, qint64> openBy;  // each station's latest incident
    for (const QString& name : names) {
        if (name >= firstName) ReadFile(folder + '/' + name, since, history, openBy);
    }
    for (auto it = history.tracks.begin(); it != history.tracks.end();) {
        // A single place is no track: its station's emergency point already shows it.
        if (it->second.size() < 2) {
            it = history.tracks.erase(it);
            continue;
        }
        std::stable_sort(it->second.begin(), it->second.end(),
                         [](const auto& a, const auto& b) { return a.time < b.time; });
        ++it;
    }
    return history;
}

void WriteGpx(const IncidentHistory& history, QIODevice& out) {
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement("gpx");
    xml.writeDefaultNamespace("http://www.topografix.com/GPX/1/1");
    xml.writeAttribute("version", "1.1");
    xml.writeAttribute("creator", "Sirenwatch");
    if (!history.watch.empty()) {
        QStringList gaps;
        for (const WatchMark& mark : history.watch)
            gaps << IsoUtc(mark.time) + " " + mark.description;
        xml.writeStartElement("metadata");
        xml.writeTextElement("desc", gaps.join('\n'));
        xml.writeEndElement();
    }
    for (const EmergencyMark& mark : history.emergencies) {
        WriteGpxPoint(xml, "wpt", mark.point);
        xml.writeTextElement("name", XmlSafe(mark.callsign));
        xml.writeTextElement("desc", Description(history, mark));
        xml.writeTextElement("type", "emergency");
        xml.writeEndElement();
    }
    for (const WatchMark& mark : history.watch) {
        if (!mark.place) continue;  // the metadata says it
        WriteGpxPoint(xml, "wpt", *mark.place);
        xml.writeTextElement("name", mark.name);
        xml.writeTextElement("desc", mark.description);
        xml.writeTextElement("type", "watch");
        xml.writeEndElement();
    }
    for (const auto& [call, track] : history.tracks) {
        xml.writeStartElement("trk");
        xml.writeTextElement("name", call);
        xml.writeStartElement("trkseg");
        for (const IncidentPoint& p : track) {
            WriteGpxPoint(xml, "trkpt", p);
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
}

void WriteKml(const IncidentHistory& history, QIODevice& out) {
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement("kml");
    xml.writeDefaultNamespace("http://www.opengis.net/kml/2.2");
    xml.writeStartElement("Document");
    xml.writeTextElement("name", "Sirenwatch incidents");
    for (const EmergencyMark& mark : history.emergencies) {
        xml.writeStartElement("Placemark");
        xml.writeTextElement("name", XmlSafe(mark.callsign));
        xml.writeTextElement("description", Description(history, mark));
        xml.writeStartElement("TimeStamp");
        xml.writeTextElement("when", IsoUtc(mark.point.time));
        xml.writeEndElement();
        xml.writeStartElement("Point");
        xml.writeTextElement("coordinates", KmlCoordinates({mark.point}));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    for (const WatchMark& mark : history.watch) {
        xml.writeStartElement("Placemark");
        xml.writeTextElement("name", mark.name);
        xml.writeTextElement("description", mark.description);
        xml.writeStartElement("TimeStamp");
        xml.writeTextElement("when", IsoUtc(mark.time));
        xml.writeEndElement();
        if (mark.place) {
            xml.writeStartElement("Point");
            xml.writeTextElement("coordinates", KmlCoordinates({*mark.place}));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    for (const auto& [call, track] : history.tracks) {
        xml.writeStartElement("Placemark");
        xml.writeTextElement("name", call + " track");
        xml.writeStartElement("TimeSpan");
        xml.writeTextElement("begin", IsoUtc(track.front().time));
        xml.writeTextElement("end", IsoUtc(track.back().time));
        xml.writeEndElement();
        xml.writeStartElement("LineString");
        xml.writeTextElement("coordinates", KmlCoordinates(track));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndDocument();
}

std::optional<QDateTime> ParseSince(const QString& text) {
    // A day alone is exactly ten characters: Qt reads the date at the start of longer text
    // and would take a bad time after it ("T25:00") for midnight.
    if (text.size() == 10) {
        const QDate day = QDate::fromString(text, Qt::ISODate);
        if (day.isValid()) return day.startOfDay();
    }
    static const QRegularExpression form(
        R"(^\d{4}-\d\d-\d\d[T ]\d\d:\d\d(:\d\d(\.\d+)?)?(Z|[+-]\d\d:\d\d)?$)");
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) return std::nullopt;
    // Zones run from -12:00 to +14:00; Qt would take larger offsets.
    const QString zone = match.captured(3);
    if (zone.size() == 6 && (zone.mid(1, 2).toInt() > 14 || zone.mid(4, 2).toInt() > 59))
        return std::nullopt;
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid()) return std::nullopt;
    return time;
}

platform::Result<QString> ExportIncidents(const QString& folder, const QString& file,
                                          const std::optional<QDateTime>& since) {
    const auto fail = [](const QString& why) { return platform::Fail(why.toStdString()); };
    const bool kml = file.endsWith(".kml", Qt::CaseInsensitive);
    if (!kml && !file.endsWith(".gpx", Qt::CaseInsensitive))
        return fail("the file name must end in .gpx or .kml: " + file);
    const IncidentHistory history = ReadIncidents(folder, since);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return fail(file + ": " + out.errorString());
    kml ? WriteKml(history, out) : WriteGpx(history, out);
    if (!out.commit()) return fail(file + ": " + out.errorString());
    const auto counted = [](std::size_t n, const char* one, const char* many) {
        return QString("%1 %2").arg(n).arg(n == 1 ? one : many);
    };
    QString message = QString("%1, %2 written to %3")
                          .arg(counted(history.emergencies.size(), "emergency", "emergencies"),
                               counted(history.tracks.size(), "track", "tracks"), file);
    if (history.unreadableLines > 0)
        message += QString(" (%1 unreadable log lines skipped)").arg(history.unreadableLines);
    return message;
}

}  // namespace incidents
