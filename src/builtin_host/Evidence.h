// Why a station alarmed: for every station heard in emergency, the frame that said so, what
// in it made it an emergency, the way it travelled, when and how often it was heard, and the
// positions it reported since (its track).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sighting/Evidence.h"
#include "sighting/Sighting.h"

namespace builtin_host {

struct TrackPoint {
    std::int64_t time_s = 0;  // Unix time
    double latitude_deg = 0;
    double longitude_deg = 0;
};

// A packet heard lately, to know its copies by: source, destination and information.
struct RecentPacket {
    std::string key;
    std::int64_t heard_s = 0;
};

// A station's entry in the book: its evidence, the positions it reported since (its track) and
// its packets heard lately, to know copies by.
struct StationEvidence : sighting::Evidence {
    std::string callsign;
    std::vector<TrackPoint> track;
    std::vector<RecentPacket> recent;  // the station's packets of the last copy window
};

class EvidenceBook {
public:
    static constexpr std::size_t kMaxTrackPoints = 5000;  // the oldest half goes beyond this
    static constexpr std::size_t kMaxStations = 1000;     // further stations are not kept
    static constexpr std::size_t kMaxRecent = 64;         // packets of a station remembered at once
    static constexpr std::size_t kMaxHeardVia = 8;

    struct Noted {
        const StationEvidence* evidence = nullptr;  // the station's entry, when it has one
        bool emergency = false;                     // this frame is in emergency
        bool newPoint = false;                      // this frame added a point to the track
        bool copy = false;  // a copy of a packet heard within the copy window: nothing new
    };

    // One frame as heard: in emergency when it carries the type the add-on counts.
    Noted Note(const sighting::Sighting& sighting);

    const StationEvidence* Find(std::string_view callsign) const;
    void ForEach(const std::function<void(const StationEvidence&)>& visit) const;

private:
    // True when the station's packet `key` was heard within the window; remembers it if not.
    static bool SeenLately(StationEvidence& e, const std::string& key, std::int64_t now_s);

    std::map<std::string, StationEvidence, std::less<>> byCall_;
};

}  // namespace builtin_host
