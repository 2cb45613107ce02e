// Folding decoded frames into the per-station records the host hands out.
#include "builtin_host/StationList.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "builtin_host/Geodesy.h"

namespace builtin_host {
namespace {

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Into the entry's own string, whose room is reused from frame to frame.
void AssignUpper(std::string& to, std::string_view text) {
    to.assign(text);
    for (char& c : to) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
}

std::int16_t WholeDegrees(int course) {
    return static_cast<std::int16_t>(std::clamp(course, 0, 360));
}

float ToFloat(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (!std::isfinite(value)) return 0;
    return static_cast<float>(std::clamp(value, -kMax, kMax));
}

}  // namespace

StationList::StationList(HomePosition home, std::size_t capacity)
    : home_(home), capacity_(std::max<std::size_t>(capacity, 1)) {
    std::size_t slots = 2;
    while (slots < 2 * capacity_) slots *= 2;
    slots_.resize(slots);
    mask_ = slots - 1;
}

const StationData* StationList::Update(const decode::Decoded& frame) {
    if (!frame.error.empty()) return nullptr;
    const bool isObject = !frame.object.empty();
    const std::string_view key = TrimRight(isObject ? frame.object : frame.source);
    if (key.empty()) return nullptr;
    if (isObject && frame.objectKilled) {
        Remove(key);
        return nullptr;
    }

    StationData& s = Touch(key);
    s.isObject = isObject;
    if (isObject)
        s.reportedBy.assign(frame.source);
    else
        s.reportedBy.clear();

    const bool hasPosition = frame.latitude_deg && frame.longitude_deg &&
                             ValidPoint(*frame.latitude_deg, *frame.longitude_deg);
    if (hasPosition) SetPosition(s, *frame.latitude_deg, *frame.longitude_deg);
    if (frame.course_deg) s.course_deg = WholeDegrees(*frame.course_deg);
    if (frame.speed_kmh) s.speed_kmh = ToFloat(*frame.speed_kmh);
    if (frame.altitude_m) s.altitude_m = ToFloat(*frame.altitude_m);

    // A position report says what the station is doing now, so its type (or the lack of
    // one) replaces the old one; a status (even one placing the station by its locator) or
    // other report only adds a type it carries.
    const bool positionReport = hasPosition && !frame.isStatus;
    if (positionReport || !frame.messageType.empty()) AssignUpper(s.messageType, frame.messageType);
    if (frame.isStatus || !frame.comment.empty() || s.beaconText.empty()) {
        s.beaconText.assign(key).append(1, '>').append(frame.comment);
    }
    return &s;
}

std::optional<DistanceBearing> FromHome(const HomePosition& home,
                                        std::optional<double> latitude_deg,
                                        std::optional<double> longitude_deg) {
    if (!latitude_deg || !longitude_deg || !ValidPoint(home.latitude_deg, home.longitude_deg))
        return std::nullopt;
    return Inverse(home.latitude_deg, home.longitude_deg, *latitude_deg, *longitude_deg);
}

const StationData* StationList::Lookup(std::string_view callsign) const {
    while (!callsign.empty() && callsign.back() == ' ') callsign.remove_suffix(1);
    // The station asked about is nearly always the one just heard, the newest entry.
    if (!entries_.empty() && entries_.back().callsign == callsign) return &entries_.back();
    const Slot& slot = slots_[SlotOf(callsign, HashOf(callsign))];
    return slot.hash == 0 ? nullptr : &*slot.entry;
}

const StationData* StationList::Find(std::string_view callsign) const {
    const StationData* s = Lookup(callsign);
    if (s && s->geometryDue) UpdateGeometry(*s);
    return s;
}

const StationData* StationList::Peek(std::string_view callsign) const {
    return Lookup(callsign);
}

void StationList::SetHome(HomePosition home) {
    home_ = home;
    for (StationData& s : entries_) UpdateGeometry(s);
}

void StationList::ForEach(const std::function<void(const StationData&)>& visit) const {
    for (const StationData& s : entries_) visit(s);
}

// A station not heard before takes the place of the one heard longest ago once the list is
// full: its entry is reused, strings and all, so a busy feed of new stations does not
// allocate for each one.
StationData& StationList::Touch(std::string_view key) {
    const std::size_t hash = HashOf(key);
    const std::size_t slot = SlotOf(key, hash);
    if (slots_[slot].hash != 0) {
        entries_.splice(entries_.end(), entries_, slots_[slot].entry);
    } else if (entries_.size() >= capacity_) {
        const std::string& oldest = entries_.front().callsign;
        Unindex(SlotOf(oldest, HashOf(oldest)));
        entries_.splice(entries_.end(), entries_, entries_.begin());
        Reset(entries_.back(), key);
        Index(hash, std::prev(entries_.end()));
    } else {
        entries_.emplace_back().callsign.assign(key);
        Index(hash, std::prev(entries_.end()));
    }
    StationData& s = entries_.back();
    s.heard = ++heardCounter_;
    return s;
}

std::size_t StationList::HashOf(std::string_view key) {
    return std::hash<std::string_view>{}(key) | 1;
}

std::size_t StationList::SlotOf(std::string_view key, std::size_t hash) const {
    std::size_t i = hash & mask_;
    while (slots_[i].hash != 0 && (slots_[i].hash != hash || slots_[i].entry->callsign != key))
        i = (i + 1) & mask_;
    return i;
}

void StationList::Index(std::size_t hash, Entries::iterator entry) {
    slots_[SlotOf(entry->callsign, hash)] = Slot{hash, entry};
}

// Empties the slot and moves back the ones after it that would no longer be found past the
// gap, so no probe ever stops short of its name.
void StationList::Unindex(std::size_t slot) {
    for (std::size_t next = (slot + 1) & mask_; slots_[next].hash != 0; next = (next + 1) & mask_) {
        const std::size_t home = slots_[next].hash & mask_;
        // The gap lies between that slot's home and the slot itself: move it into the gap.
        if (((next - home) & mask_) >= ((next - slot) & mask_)) {
            slots_[slot] = slots_[next];
            slot = next;
        }
    }
    slots_[slot] = Slot{};
}

// A fresh entry for `callsign`, keeping the room its strings had.
void StationList::Reset(StationData& s, std::string_view callsign) {
    s.callsign.assign(callsign);
    s.isObject = false;
    s.reportedBy.clear();
    s.beaconText.clear();
    s.messageType.clear();
    s.latitude_deg.reset();
    s.longitude_deg.reset();
    s.latitude_min = s.longitude_min = s.altitude_m = host::kMissing;
    s.speed_kmh = 0;
    s.course_deg = 0;
    s.distance_km = 0;
    s.geometryDue = false;
}

void StationList::Remove(std::string_view key) {
    const std::size_t slot = SlotOf(key, HashOf(key));
    if (slots_[slot].hash == 0) return;
    const Entries::iterator entry = slots_[slot].entry;
    Unindex(slot);
    entries_.erase(entry);
}

void StationList::SetPosition(StationData& s, double lat_deg, double lon_deg) {
    s.latitude_deg = lat_deg;
    s.longitude_deg = lon_deg;
    s.latitude_min = static_cast<float>(lat_deg * 60.0);
    s.longitude_min = static_cast<float>(lon_deg * 60.0);
    s.geometryDue = true;
}

void StationList::UpdateGeometry(const StationData& s) const {
    const auto db = FromHome(home_, s.latitude_deg, s.longitude_deg);
    s.distance_km = db ? static_cast<float>(db->distance_km) : 0;
    s.geometryDue = false;
}

}  // namespace builtin_host
