// The watch list's decision, its callsign patterns, its area test and its settings text.
#include "incidents/WatchList.h"

#include <charconv>
#include <cmath>

#include "platform/NumberText.h"

namespace incidents {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(Trim(text.substr(0, at)));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// A callsign in capitals without a "-0" SSID, which is the same station as none.
std::string Canonical(std::string_view callsign) {
    std::string out(Trim(callsign));
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (out.ends_with("-0")) out.resize(out.size() - 2);
    return out;
}

bool IsPattern(std::string_view text) {
    if (text.empty()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '-' || (c == '*' && i + 1 == text.size());
        if (!ok) return false;
    }
    return true;
}

std::optional<double> Number(std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// As the panel shows the distance, so that both say the same.
std::string Kilometres(double value) {
    static const platform::FixedRegional kPoint(".");
    return platform::DistanceText(static_cast<float>(value), 1, kPoint) + " km";
}

// Even-odd rule on the plane of longitude and latitude.
bool InsidePlane(const std::vector<GeoPoint>& polygon, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const double xi = polygon[i].longitude_deg, yi = polygon[i].latitude_deg;
        const double xj = polygon[j].longitude_deg, yj = polygon[j].latitude_deg;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

}  // namespace

bool Matches(std::string_view pattern, std::string_view callsign) {
    const std::string call = Canonical(callsign);
    std::string p = Canonical(pattern);
    if (p.ends_with('*')) {
        p.pop_back();
        return call.starts_with(p);
    }
    return call == p;
}

bool InsideArea(const std::vector<GeoPoint>& polygon, GeoPoint point) {
    if (polygon.size() < 3) return false;
    // Each edge goes the shorter way round: longitudes are unwrapped from the first point on,
    // so a polygon across 180 degrees lies on one plane, and the point is tried a turn either
    // way as well.
    std::vector<GeoPoint> plane = polygon;
    for (std::size_t i = 1; i < plane.size(); ++i) {
        double& lon = plane[i].longitude_deg;
        const double previous = plane[i - 1].longitude_deg;
        while (lon - previous > 180) lon -= 360;
        while (lon - previous < -180) lon += 360;
    }
    for (const double turn : {0.0, -360.0, 360.0}) {
        if (InsidePlane(plane, point.longitude_deg + turn, point.latitude_deg)) return true;
    }
    return false;
}

Decision Decide(const WatchList& list, const Sighting& observation) {
    for (const IgnoredStation& station : list.ignore) {
        if (!Matches(station.pattern, observation.callsign)) continue;
        return {false, "ignored (" +
                           (station.reason.empty() ? "on the ignore list" : station.reason) + ")"};
    }
    const bool hasRadius = list.alarmRadius_km.has_value();
    const bool hasArea = list.alarmArea.size() >= 3;
    if (!hasRadius && !hasArea) return {};
    // Held back only when it is known to lie outside every limit that is set.
    const bool outsideRadius =
        !hasRadius || (observation.DistanceFromHome_km() &&
                       *observation.DistanceFromHome_km() > *list.alarmRadius_km);
    const bool outsideArea =
        !hasArea || (observation.position && !InsideArea(list.alarmArea, *observation.position));
    if (!outsideRadius || !outsideArea) return {};
    std::string reason = "outside the alarm area";
    if (hasRadius) {
        reason += " (" + Kilometres(*observation.DistanceFromHome_km()) + " from home, beyond " +
                  Kilometres(*list.alarmRadius_km) + ")";
    }
    return {false, reason};
}

ParsedWatchList ParseWatchList(std::string_view ignore, std::string_view alarmRadiusKm,
                               std::string_view alarmArea) {
    ParsedWatchList parsed;
    auto problem = [&parsed](std::string key, std::string_view value, const char* why) {
        parsed.problems.push_back(key + ": \"" + std::string(value) + "\" " + why);
    };

    if (!Trim(ignore).empty()) {
        for (const std::string_view entry : Split(ignore, ';')) {
            if (entry.empty()) continue;
            const std::size_t colon = entry.find(':');
            const std::string_view call = Trim(entry.substr(0, colon));
            if (!IsPattern(call)) {
                problem("Ignore", entry, "is not a callsign; the entry is left out");
                continue;
            }
            const std::string_view reason = colon == std::string_view::npos
                                                ? std::string_view()
                                                : Trim(entry.substr(colon + 1));
            parsed.list.ignore.push_back({std::string(call), std::string(reason)});
        }
    }

    if (const std::string_view radius = Trim(alarmRadiusKm); !radius.empty()) {
        const auto km = Number(radius);
        if (km && *km > 0) {
            parsed.list.alarmRadius_km = km;
        } else {
            problem("AlarmRadiusKm", radius,
                    "is not a distance in kilometres; no distance limit is used");
        }
    }

    if (const std::string_view area = Trim(alarmArea); !area.empty()) {
        std::vector<GeoPoint> points;
        for (const std::string_view point : Split(area, ';')) {
            if (point.empty()) continue;
            const auto parts = Split(point, ',');
            const auto lat = parts.size() == 2 ? Number(parts[0]) : std::nullopt;
            const auto lon = parts.size() == 2 ? Number(parts[1]) : std::nullopt;
            if (!lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 180) {
                problem("AlarmArea", point,
                        "is not latitude,longitude in degrees; no area limit is used");
                return parsed;
            }
            points.push_back({*lat, *lon});
        }
        if (points.size() < 3) {
            problem("AlarmArea", area, "has fewer than three points; no area limit is used");
        } else {
            parsed.list.alarmArea = std::move(points);
        }
    }
    return parsed;
}

}  // namespace incidents
