// Reading the incident log back and writing GPX and KML.
#include "incident_outlets/IncidentExport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "incident_outlets/DiskFiles.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_outlets/IsoTime.h"
#include "incident_outlets/JsonLines.h"
#include "incident_outlets/JsonRead.h"
#include "incident_outlets/XmlWriter.h"
#include "platform/Paths.h"

namespace incidents {
namespace {

using nlohmann::json;

std::optional<IncidentPoint> PointOf(const json& object, std::int64_t time_s) {
    const json &lat = At(object, "latitude_deg"), &lon = At(object, "longitude_deg");
    if (!lat.is_number() || !lon.is_number()) return std::nullopt;
    return IncidentPoint{time_s, lat.get<double>(), lon.get<double>()};
}

WatchMark WatchMarkOf(const json& event, std::int64_t time_s) {
    WatchMark mark{time_s, "watch stopped", "The watch stopped cleanly.", PointOf(event, time_s)};
    if (At(event, "state") != "started") return mark;
    mark.name = "watch started";
    mark.description = "The watch started.";
    const std::string lastAlive = Std(At(event, "last_alive"));
    if (lastAlive.empty()) return mark;
    const json& clean = At(event, "stopped_cleanly");
    mark.description = "The watch started again; nobody watched since " + lastAlive +
                       (clean.is_boolean() && clean.get<bool>()
                            ? ", when it stopped cleanly."
                            : ": it did not stop cleanly, and was last known to run then.");
    return mark;
}

void TakeEvent(const json& event, std::int64_t time_s, IncidentHistory& history,
               std::map<std::string, std::int64_t>& openBy) {
    const std::string kind = Std(At(event, "event"));
    const std::string call = Std(At(event, "callsign"));
    if (kind == "incident") {
        const std::int64_t id = Integer(At(event, "incident"));
        IncidentOutcome& outcome = history.incidents[id];
        openBy[call] = id;
        outcome.state = Std(At(event, "to"));
        outcome.handler = Std(At(event, "handler"));
        outcome.grade = Std(At(event, "grade_text"));
        outcome.heldBack = Std(At(event, "held_back"));
        if (const std::string note = Std(At(event, "note")); !note.empty())
            outcome.notes.push_back(Std(At(event, "operator")) + ": " + note);
    } else if (kind == "watch") {
        history.watch.push_back(WatchMarkOf(event, time_s));
    } else if (kind == "position") {
        if (const auto point = PointOf(event, time_s)) history.tracks[call].push_back(*point);
    } else if (kind == "emergency") {
        const json& evidence = At(event, "evidence");
        if (const auto point = PointOf(evidence, time_s)) {
            const auto open = openBy.find(call);
            history.emergencies.push_back({call, *point, Std(At(evidence, "cause")),
                                           Std(At(evidence, "frame")),
                                           open == openBy.end() ? 0 : open->second});
        }
    }
}

void ReadFile(const std::string& path, std::optional<std::int64_t> since_s,
              IncidentHistory& history, std::map<std::string, std::int64_t>& openBy) {
    std::ifstream file(platform::FilePath(path), std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        if (line.find_first_not_of(" \t\r\n\v\f") == std::string::npos) continue;
        const json event = json::parse(line, nullptr, false);
        const json& time = At(event, "time");
        const auto time_s = time.is_string()
                                ? ParseIsoTime(time.get_ref<const std::string&>(), true)
                                : std::nullopt;
        if (!event.is_object() || !time_s) {
            ++history.unreadableLines;
            continue;
        }
        if (!since_s || *time_s >= *since_s) TakeEvent(event, *time_s, history, openBy);
    }
}

// Air text may carry control characters XML cannot hold; they are shown as U+FFFD.
std::string XmlSafe(const std::string& text) {
    std::string safe;
    for (const char c : ValidUtf8(text)) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
            safe += "\xef\xbf\xbd";
        else
            safe += c;
    }
    return safe;
}

std::string Description(const IncidentHistory& history, const EmergencyMark& mark) {
    std::string text = mark.cause + "\n" + mark.frame;
    const auto found = history.incidents.find(mark.incident);
    if (found != history.incidents.end()) {
        const IncidentOutcome& o = found->second;
        text += "\nincident " + std::to_string(mark.incident) + ": " + o.state;
        if (!o.handler.empty()) text += " (" + o.handler + ")";
        text += "\ngrade: " + o.grade;
        if (!o.heldBack.empty()) text += "\nheld back: " + o.heldBack;
        for (const std::string& note : o.notes) text += "\nnote: " + note;
    }
    return XmlSafe(text);
}

std::string Coordinate(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

void GpxPoint(XmlWriter& xml, const char* element, const IncidentPoint& p) {
    xml.Start(element);
    xml.Attribute("lat", Coordinate(p.latitude_deg));
    xml.Attribute("lon", Coordinate(p.longitude_deg));
    xml.TextElement("time", IsoTime(p.time_s));
}

std::string KmlCoordinates(const std::vector<IncidentPoint>& points) {
    std::string pairs;
    for (const IncidentPoint& p : points) {
        if (!pairs.empty()) pairs += ' ';
        pairs += Coordinate(p.longitude_deg) + ',' + Coordinate(p.latitude_deg);
    }
    return pairs;
}

void KmlTime(XmlWriter& xml, std::int64_t time_s) {
    xml.Start("TimeStamp");
    xml.TextElement("when", IsoTime(time_s));
    xml.End();
}

void KmlPoint(XmlWriter& xml, const IncidentPoint& point) {
    xml.Start("Point");
    xml.TextElement("coordinates", KmlCoordinates({point}));
    xml.End();
}

std::string Counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

bool EndsWithNoCase(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           std::equal(end.begin(), end.end(), text.end() - std::ptrdiff_t(end.size()),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

IncidentHistory ReadIncidents(const std::string& folder, std::optional<std::int64_t> since_s) {
    IncidentHistory history;
    const std::string firstName = since_s ? IncidentFileName(IsoTime(*since_s)) : std::string();
    std::map<std::string, std::int64_t> openBy;  // each station's latest incident
    for (const std::string& name : DayFiles(folder)) {
        if (name >= firstName) ReadFile(folder + '/' + name, since_s, history, openBy);
    }
    for (auto it = history.tracks.begin(); it != history.tracks.end();) {
        // A single place is no track: its station's emergency point already shows it.
        if (it->second.size() < 2) {
            it = history.tracks.erase(it);
            continue;
        }
        std::stable_sort(it->second.begin(), it->second.end(),
                         [](const auto& a, const auto& b) { return a.time_s < b.time_s; });
        ++it;
    }
    return history;
}

std::string GpxText(const IncidentHistory& history) {
    XmlWriter xml;
    xml.Start("gpx");
    xml.Attribute("xmlns", "http://www.topografix.com/GPX/1/1");
    xml.Attribute("version", "1.1");
    xml.Attribute("creator", "Sirenwatch");
    if (!history.watch.empty()) {
        std::string gaps;
        for (const WatchMark& mark : history.watch) {
            if (!gaps.empty()) gaps += '\n';
            gaps.append(IsoTime(mark.time_s)).append(" ").append(mark.description);
        }
        xml.Start("metadata");
        xml.TextElement("desc", gaps);
        xml.End();
    }
    for (const EmergencyMark& mark : history.emergencies) {
        GpxPoint(xml, "wpt", mark.point);
        xml.TextElement("name", XmlSafe(mark.callsign));
        xml.TextElement("desc", Description(history, mark));
        xml.TextElement("type", "emergency");
        xml.End();
    }
    for (const WatchMark& mark : history.watch) {
        if (!mark.place) continue;  // the metadata says it
        GpxPoint(xml, "wpt", *mark.place);
        xml.TextElement("name", mark.name);
        xml.TextElement("desc", mark.description);
        xml.TextElement("type", "watch");
        xml.End();
    }
    for (const auto& [call, track] : history.tracks) {
        xml.Start("trk");
        xml.TextElement("name", XmlSafe(call));
        xml.Start("trkseg");
        for (const IncidentPoint& p : track) {
            GpxPoint(xml, "trkpt", p);
            xml.End();
        }
        xml.End();
        xml.End();
    }
    return xml.Finish();
}

std::string KmlText(const IncidentHistory& history) {
    XmlWriter xml;
    xml.Start("kml");
    xml.Attribute("xmlns", "http://www.opengis.net/kml/2.2");
    xml.Start("Document");
    xml.TextElement("name", "Sirenwatch incidents");
    for (const EmergencyMark& mark : history.emergencies) {
        xml.Start("Placemark");
        xml.TextElement("name", XmlSafe(mark.callsign));
        xml.TextElement("description", Description(history, mark));
        KmlTime(xml, mark.point.time_s);
        KmlPoint(xml, mark.point);
        xml.End();
    }
    for (const WatchMark& mark : history.watch) {
        xml.Start("Placemark");
        xml.TextElement("name", mark.name);
        xml.TextElement("description", mark.description);
        KmlTime(xml, mark.time_s);
        if (mark.place) KmlPoint(xml, *mark.place);
        xml.End();
    }
    for (const auto& [call, track] : history.tracks) {
        xml.Start("Placemark");
        xml.TextElement("name", XmlSafe(call) + " track");
        xml.Start("TimeSpan");
        xml.TextElement("begin", IsoTime(track.front().time_s));
        xml.TextElement("end", IsoTime(track.back().time_s));
        xml.End();
        xml.Start("LineString");
        xml.TextElement("coordinates", KmlCoordinates(track));
        xml.End();
        xml.End();
    }
    return xml.Finish();
}

std::optional<std::int64_t> ParseSince(const std::string& text) {
    if (text.size() == 10) return LocalStartOfDay(text);
    return ParseIsoTime(text, true);
}

platform::Result<std::string> ExportIncidents(const std::string& folder, const std::string& file,
                                              std::optional<std::int64_t> since_s) {
    const bool kml = EndsWithNoCase(file, ".kml");
    if (!kml && !EndsWithNoCase(file, ".gpx"))
        return platform::Fail("the file name must end in .gpx or .kml: " + file);
    const IncidentHistory history = ReadIncidents(folder, since_s);
    const auto written = ReplaceWhole(file, kml ? KmlText(history) : GpxText(history), false);
    if (!written) return platform::Fail(written.error().text);
    std::string message = Counted(history.emergencies.size(), "emergency", "emergencies") + ", " +
                          Counted(history.tracks.size(), "track", "tracks") + " written to " + file;
    if (history.unreadableLines > 0)
        message +=
            " (" + std::to_string(history.unreadableLines) + " unreadable log lines skipped)";
    return message;
}

}  // namespace incidents
