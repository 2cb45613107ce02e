// One frame as heard, decoded once: what every later stage reads of it (the emergency marks,
// the place, the way it travelled, the key its copies share, the distance from home). What
// costs (the path's hops, the key, a geodesic) is worked out only when someone asks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/Decoded.h"
#include "sighting/EvidenceGrade.h"

namespace sighting {

// The same source, destination and information within this time is one packet heard again
// (directly, through digipeaters, through the Internet), as APRS servers count it; later it
// is a late copy.
inline constexpr std::int64_t kCopyWindow_s = 30;

struct GeoPoint {
    double latitude_deg = 0;   // north positive
    double longitude_deg = 0;  // east positive
};

// The way a frame travelled.
struct PathInfo {
    std::vector<std::string> digipeaters{};  // the radio hops as written ("IR2XX*", "WIDE2-1")
    std::string heardFrom{};  // heard directly: the last digipeater that repeated it, or the source
    bool viaInternet = false;  // a TCPIP or qA.. element: it came through APRS-IS
    std::string gateway{};     // the station after the qA.. element, when there is one
};

// The digipeater path of a frame sent by `source`.
PathInfo ReadPath(std::string_view source, std::string_view path);

// Kilometres from home to a point; nothing when home or the point is unknown or out of range.
using DistanceFromHome = std::function<std::optional<double>(const GeoPoint&)>;

struct Sighting {
    std::string callsign;
    std::int64_t time_s = 0;  // when it was heard, Unix seconds
    // What in the frame marks an emergency; none of them: not in emergency.
    bool micEEmergency = false;
    bool customType = false;
    bool commentText = false;
    bool micEOtherMessage = false;  // a Mic-E message other than Emergency
    // The frame carries the message type the add-on counts as an emergency: what it alarms
    // on, and so what the station program keeps evidence of.
    bool addOnType = false;
    std::optional<GeoPoint> position;
    // Set by hand where no frame stands behind (a test, a benchmark); otherwise worked out
    // from the frame and the measure below on the first question.
    mutable std::optional<double> distanceFromHome_km;
    mutable std::string frameKey;
    mutable bool measured = false;

    const decode::Decoded* frame = nullptr;  // the decoded frame, while it is being handled
    const DistanceFromHome* measure = nullptr;

    EvidenceGrade Grade() const { return GradeOf(micEEmergency, customType, commentText); }
    bool Emergency() const { return Grade() != EvidenceGrade::None; }
    // Source, destination and information: copies share it, whatever way they came.
    const std::string& CopyKey() const;
    std::optional<double> DistanceFromHome_km() const;
    PathInfo Path() const;
};

// A decoded frame heard at time_s, with its marks read against the message type the add-on
// counts as an emergency (upper case). The record refers to the frame: it lives no longer.
Sighting Sight(const decode::Decoded& frame, std::int64_t time_s, std::string_view emergencyType,
               const DistanceFromHome* measure = nullptr);

}  // namespace sighting
