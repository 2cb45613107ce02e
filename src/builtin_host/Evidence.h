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

#include "sighting/Sighting.h"

namespace builtin_host {

using sighting::PathInfo;

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

struct Evidence {
    std::string callsign;
    std::string frame;  // the last packet in emergency, as a monitor line
    std::string messageType;
    std::string cause;  // what in that frame made it an emergency, in words
    PathInfo path;
    std::int64_t firstHeard_s = 0;
    std::int64_t lastHeard_s = 0;
    std::uint64_t count = 0;  // packets in emergency heard, each once however many copies came
    std::uint64_t heard = 0;  // how often the last one was heard: itself and its copies
    std::vector<std::string> heardVia;  // whom those came from (repeater, gateway), each once
    bool lastWasCopy = false;  // the last frame of the station was a copy of an earlier one
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
        const Evidence* evidence = nullptr;  // the station's entry, when it has one
        bool emergency = false;              // this frame is in emergency
        bool newPoint = false;               // this frame added a point to the track
        bool copy = false;  // a copy of a packet heard within the copy window: nothing new
    };

    // One frame as heard: in emergency when it carries the type the add-on counts.
    Noted Note(const sighting::Sighting& sighting);

    const Evidence* Find(std::string_view callsign) const;
    void ForEach(const std::function<void(const Evidence&)>& visit) const;

private:
    // True when the station's packet `key` was heard within the window; remembers it if not.
    static bool SeenLately(Evidence& e, const std::string& key, std::int64_t now_s);

    std::map<std::string, Evidence, std::less<>> byCall_;
};

}  // namespace builtin_host
