// The last data heard from each station, object and item, in the units the add-on reads
// through the host's station object. Bounded: the stations heard longest ago make room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builtin_host/Geodesy.h"
#include "decode/Decoded.h"
#include "host/HostPorts.h"

namespace builtin_host {

struct HomePosition {
    double latitude_deg = 0;
    double longitude_deg = 0;
};

struct StationData {
    std::string callsign;   // station callsign, or object / item name
    bool isObject = false;  // an object or item; its sender is in `reportedBy`
    std::string reportedBy;
    std::string beaconText;   // callsign + ">" + comment or status text
    std::string messageType;  // upper case; empty when the station reported none
    std::optional<double> latitude_deg;
    std::optional<double> longitude_deg;
    float latitude_min = host::kMissing;   // north positive
    float longitude_min = host::kMissing;  // east positive
    float altitude_m = host::kMissing;
    float speed_kmh = 0;
    std::int16_t course_deg = 0;
    // From home; 0 while the position is unknown. Worked out when the entry is looked up
    // with Find, not on every position heard.
    mutable float distance_km = 0;
    mutable bool geometryDue = false;  // the position changed since it was worked out
    std::uint64_t heard = 0;           // order of hearing, larger is more recent
};

// Distance and bearing of a position from home; nothing while either is unknown or invalid.
std::optional<DistanceBearing> FromHome(const HomePosition& home,
                                        std::optional<double> latitude_deg,
                                        std::optional<double> longitude_deg);

class StationList {
public:
    static constexpr std::size_t kDefaultCapacity = 10000;

    explicit StationList(HomePosition home = {}, std::size_t capacity = kDefaultCapacity);

    // Folds one decoded frame into the list. Returns the entry it updated, or nullptr for a
    // frame with an error, without a name, or one that kills an object (which is removed).
    const StationData* Update(const decode::Decoded& frame);

    const StationData* Find(std::string_view callsign) const;
    // Find without working out distance and bearing: the host's station object does that
    // only if the add-on asks for the distance.
    const StationData* Peek(std::string_view callsign) const;
    std::size_t Size() const { return entries_.size(); }

    // A new home position: every distance and bearing is worked out again.
    void SetHome(HomePosition home);
    const HomePosition& Home() const { return home_; }

    // Oldest heard first.
    void ForEach(const std::function<void(const StationData&)>& visit) const;

private:
    using Entries = std::list<StationData>;

    // The index: open addressing with linear probing over a table at most half full, so a
    // name is found in about one step, without the allocation and the pointer chasing of a
    // node per station. A slot holds its entry's hash with the lowest bit set (0: empty).
    struct Slot {
        std::size_t hash = 0;
        Entries::iterator entry{};
    };
    static std::size_t HashOf(std::string_view key);
    // The slot holding `key`, or the empty slot where it would go.
    std::size_t SlotOf(std::string_view key, std::size_t hash) const;
    void Index(std::size_t hash, Entries::iterator entry);
    void Unindex(std::size_t slot);

    StationData& Touch(std::string_view key);
    static void Reset(StationData& s, std::string_view callsign);
    void Remove(std::string_view key);
    void SetPosition(StationData& s, double lat_deg, double lon_deg);
    void UpdateGeometry(const StationData& s) const;
    const StationData* Lookup(std::string_view callsign) const;

    HomePosition home_;
    std::size_t capacity_;
    std::uint64_t heardCounter_ = 0;
    Entries entries_;          // least recently heard at the front
    std::vector<Slot> slots_;  // a power of two, at least twice the capacity
    std::size_t mask_ = 0;
};

}  // namespace builtin_host
