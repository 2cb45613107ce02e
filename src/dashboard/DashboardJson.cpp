// Snapshots and the base map as JSON for the dashboard's page.
#include "dashboard/DashboardJson.h"

namespace dashboard {

namespace {

using nlohmann::json;

json IncidentJson(const IncidentView& i) {
    json notes = json::array();
    for (const Note& n : i.notes)
        notes.push_back({{"time", n.time_s}, {"operator", n.operatorName}, {"text", n.text}});
    json o{{"id", i.id},
           {"callsign", i.callsign},
           {"stateKey", i.stateKey},
           {"state", i.state},
           {"comment", i.comment},
           {"grade", i.grade},
           {"firstHeard", i.firstHeard_s},
           {"lastHeard", i.lastHeard_s},
           {"operator", i.operatorName},
           {"notes", notes},
           {"evidence", i.evidence},
           {"heldBack", i.heldBack},
           {"actions", i.actions}};
    if (!i.sites.empty()) o["sites"] = i.sites;
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

json Ring(const basemap::GeoLine& line) {
    json points = json::array();
    for (const auto& p : line.points) points.push_back({p.longitude_deg, p.latitude_deg});
    return points;
}

json Feature(const char* kind, const char* type, json coordinates) {
    return {{"type", "Feature"},
            {"properties", {{"kind", kind}}},
            {"geometry", {{"type", type}, {"coordinates", std::move(coordinates)}}}};
}

}  // namespace

json SnapshotJson(const Snapshot& s) {
    json incidents = json::array(), stations = json::array(), circles = json::array();
    for (const auto& i : s.incidents) incidents.push_back(IncidentJson(i));
    for (const auto& st : s.stations)
        stations.push_back({{"callsign", st.callsign},
                            {"lat", st.latitude_deg},
                            {"lon", st.longitude_deg},
                            {"comment", st.comment},
                            {"emergency", st.emergency}});
    for (const auto& c : s.circles)
        circles.push_back({{"lat", c.latitude_deg},
                           {"lon", c.longitude_deg},
                           {"radiusKm", c.radius_km},
                           {"color", c.color}});
    json o{{"now", s.now_s},
           {"incidents", incidents},
           {"stations", stations},
           {"circles", circles},
           {"homeCallsign", s.homeCallsign},
           {"alarm", s.alarmOn},
           {"language", s.languageCode == 2000 ? "en" : "it"},
           {"unit", s.miles ? "mi" : "km"},
           {"feed",
            {{"name", s.feed.name},
             {"silent", s.feed.silent},
             {"lastHeard", s.feed.lastHeard_s},
             {"down", s.feed.down},
             {"problem", s.feed.problem}}},
           {"log",
            {{"writing", s.log.writing},
             {"problem", s.log.problem},
             {"waiting", s.log.waiting},
             {"lost", s.log.lost}}}};
    if (s.home_deg) o["home"] = {s.home_deg->first, s.home_deg->second};
    if (s.net)
        o["net"] = {{"broker", s.net->broker},         {"down", s.net->down},
                    {"downSince", s.net->downSince_s}, {"problem", s.net->problem},
                    {"waiting", s.net->waiting},       {"dropped", s.net->dropped}};
    if (s.watchGap)
        o["watchGap"] = {{"lastAlive", s.watchGap->lastAlive_s},
                         {"started", s.watchGap->started_s},
                         {"stoppedCleanly", s.watchGap->stoppedCleanly}};
    return o;
}

json BaseMapGeoJson(const basemap::BaseMap& map) {
    // All land in one polygon, drawn even-odd, so a ring inside another (a lake) is a hole.
    json land = json::array();
    for (const auto& ring : map.land) land.push_back(Ring(ring));
    json features = json::array({Feature("land", "Polygon", std::move(land))});
    for (const auto& line : map.borders)
        features.push_back(Feature("border", "LineString", Ring(line)));
    return {{"type", "FeatureCollection"}, {"features", std::move(features)}};
}

std::string SafeJson(const json& value) {
    const std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    // These characters only occur inside strings in JSON, where the escapes mean the same.
    std::string safe;
    safe.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '<')
            safe += "\\u003c";
        else if (c == '>')
            safe += "\\u003e";
        else if (c == '&')
            safe += "\\u0026";
        else
            safe += c;
    }
    return safe;
}

std::string ErrorJson(const std::string& message) {
    return SafeJson({{"error", message}});
}

}  // namespace dashboard
