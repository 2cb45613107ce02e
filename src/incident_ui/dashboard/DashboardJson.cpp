// Snapshots and the base map as JSON for the dashboard's page.
#include "incident_ui/dashboard/DashboardJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

namespace incident_ui::dashboard {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QJsonObject IncidentJson(const IncidentView& i) {
    QJsonArray notes;
    for (const Note& n : i.notes)
        notes.append(QJsonObject{{"time", double(n.time_s)},
                                 {"operator", Text(n.operatorName)},
                                 {"text", Text(n.text)}});
    QJsonArray actions;
    for (const std::string& action : i.actions) actions.append(Text(action));
    QJsonObject o{{"id", Text(i.id)},
                  {"callsign", Text(i.callsign)},
                  {"stateKey", Text(i.stateKey)},
                  {"state", Text(i.state)},
                  {"comment", Text(i.comment)},
                  {"grade", Text(i.grade)},
                  {"firstHeard", double(i.firstHeard_s)},
                  {"lastHeard", double(i.lastHeard_s)},
                  {"operator", Text(i.operatorName)},
                  {"notes", notes},
                  {"evidence", Text(i.evidence)},
                  {"heldBack", Text(i.heldBack)},
                  {"actions", actions}};
    if (i.latitude_deg && i.longitude_deg) {
        o["lat"] = *i.latitude_deg;
        o["lon"] = *i.longitude_deg;
    }
    if (i.distance && i.bearing_deg) {
        o["distance"] = *i.distance;
        o["bearing"] = *i.bearing_deg;
    }
    return o;
}

QJsonArray Ring(const basemap::GeoLine& line) {
    QJsonArray points;
    for (const auto& p : line.points) points.append(QJsonArray{p.longitude_deg, p.latitude_deg});
    return points;
}

QJsonObject Feature(const char* kind, const char* type, QJsonArray coordinates) {
    return {{"type", "Feature"},
            {"properties", QJsonObject{{"kind", kind}}},
            {"geometry", QJsonObject{{"type", type}, {"coordinates", coordinates}}}};
}

}  // namespace

QJsonObject SnapshotJson(const Snapshot& s) {
    QJsonArray incidents, stations, circles;
    for (const auto& i : s.incidents) incidents.append(IncidentJson(i));
    for (const auto& st : s.stations)
        stations.append(QJsonObject{{"callsign", Text(st.callsign)},
                                    {"lat", st.latitude_deg},
                                    {"lon", st.longitude_deg},
                                    {"comment", Text(st.comment)},
                                    {"emergency", st.emergency}});
    for (const auto& c : s.circles)
        circles.append(QJsonObject{{"lat", c.latitude_deg},
                                   {"lon", c.longitude_deg},
                                   {"radiusKm", c.radius_km},
                                   {"color", Text(c.color)}});
    QJsonObject o{{"now", double(s.now_s)},
                  {"incidents", incidents},
                  {"stations", stations},
                  {"circles", circles},
                  {"homeCallsign", Text(s.homeCallsign)},
                  {"alarm", s.alarmOn},
                  {"language", s.languageCode == 2000 ? "en" : "it"},
                  {"unit", s.miles ? "mi" : "km"},
                  {"feed", QJsonObject{{"name", Text(s.feed.name)},
                                       {"silent", s.feed.silent},
                                       {"lastHeard", double(s.feed.lastHeard_s)},
                                       {"down", s.feed.down},
                                       {"problem", Text(s.feed.problem)}}}};
    o["log"] = QJsonObject{{"writing", s.log.writing},
                           {"problem", Text(s.log.problem)},
                           {"waiting", double(s.log.waiting)},
                           {"lost", double(s.log.lost)}};
    if (s.home_deg) o["home"] = QJsonArray{s.home_deg->first, s.home_deg->second};
    if (s.watchGap)
        o["watchGap"] = QJsonObject{{"lastAlive", double(s.watchGap->lastAlive_s)},
                                    {"started", double(s.watchGap->started_s)},
                                    {"stoppedCleanly", s.watchGap->stoppedCleanly}};
    return o;
}

QJsonObject BaseMapGeoJson(const basemap::BaseMap& map) {
    // All land in one polygon, drawn even-odd, so a ring inside another (a lake) is a hole.
    QJsonArray land;
    for (const auto& ring : map.land) land.append(Ring(ring));
    QJsonArray features{Feature("land", "Polygon", land)};
    for (const auto& line : map.borders)
        features.append(Feature("border", "LineString", Ring(line)));
    return {{"type", "FeatureCollection"}, {"features", features}};
}

QByteArray SafeJson(const QJsonObject& object) {
    QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    // These characters only occur inside strings in JSON, where the escapes mean the same.
    json.replace("<", "\\u003c").replace(">", "\\u003e").replace("&", "\\u0026");
    return json;
}

}  // namespace incident_ui::dashboard
