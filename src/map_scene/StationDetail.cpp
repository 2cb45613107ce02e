// The text the map window shows for a station.
#include "map_scene/StationDetail.h"

#include <charconv>
#include <cmath>

#include "platform/NumberText.h"
#include "platform/TimeText.h"

namespace map_scene {
namespace {

constexpr const char* kClock = "%Y-%m-%d %H:%M:%S";  // local time

std::string Joined(const std::vector<std::string>& parts, const char* between) {
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : between) + part;
    return out;
}

std::string EvidenceDetail(const builtin_host::StationEvidence& e) {
    std::string via = e.path.viaInternet ? "Internet" : "radio";
    if (!e.path.gateway.empty()) via += " (gateway " + e.path.gateway + ")";
    const std::string hops = Joined(e.path.digipeaters, ",");
    return Joined({"IN EMERGENCY: " + e.cause, "Frame: " + e.frame,
                   "Path: " + (hops.empty() ? std::string("direct") : hops),
                   "Heard directly from: " + e.path.heardFrom, "Came by: " + via,
                   "Heard " + std::to_string(e.count) + " times, first " +
                       platform::LocalTimeText(e.firstHeard_s, kClock) + ", last " +
                       platform::LocalTimeText(e.lastHeard_s, kClock)},
                  "\n");
}

// With a point whatever the user's locale, as the window always wrote positions.
std::string Fixed(double value, int decimals) {
    char text[64];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

}  // namespace

std::string DistanceText(double km, bool miles) {
    // The add-on's own rule, as its panel shows distances.
    constexpr double kKmPerMile = 1.609344;
    static const platform::FixedRegional kPoint(".");
    return platform::DistanceText(static_cast<float>(km), miles ? kKmPerMile : 1, kPoint) +
           (miles ? " mi" : " km");
}

std::string StationDetail(const builtin_host::StationData& s,
                          const builtin_host::StationEvidence* evidence,
                          const builtin_host::HomePosition& home, bool miles) {
    std::vector<std::string> lines{s.callsign};
    if (s.latitude_deg && s.longitude_deg) {
        std::string where = Fixed(*s.latitude_deg, 5) + ", " + Fixed(*s.longitude_deg, 5);
        if (const auto db = builtin_host::FromHome(home, s.latitude_deg, s.longitude_deg)) {
            // Whole degrees from 0 to 359: 359.7 is north, 0.
            const long bearing = std::lround(db->bearing_deg) % 360;
            where += "  (" + DistanceText(db->distance_km, miles) + ", " + std::to_string(bearing) +
                     "\u00b0)";
        }
        lines.push_back(where);
    }
    if (!s.beaconText.empty()) lines.push_back(s.beaconText);
    if (evidence != nullptr) lines.push_back(EvidenceDetail(*evidence));
    return Joined(lines, "\n");
}

}  // namespace map_scene
