// Collecting the evidence of emergencies and the tracks of the stations in emergency.
#include "builtin_host/Evidence.h"

#include <algorithm>
#include <utility>

namespace builtin_host {
namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// The incident journal reads an incident's grade back from these words (their beginnings and
// "!EMERGENCY!"): keep them, or change it too.
std::string CauseOf(const sighting::Sighting& s) {
    if (s.customType) {
        return "message type " + Upper(s.frame->messageType) +
               ", the type set to count as an emergency";
    }
    if (s.commentText) return "\"!EMERGENCY!\" at the start of the comment";
    return "Mic-E message bits 000 (Emergency)";
}

}  // namespace

EvidenceBook::Noted EvidenceBook::Note(const sighting::Sighting& s) {
    const decode::Decoded& frame = *s.frame;
    const std::int64_t now_s = s.time_s;
    Noted noted;
    noted.emergency = s.addOnType;
    auto found = byCall_.find(frame.source);
    if (noted.emergency && found == byCall_.end() && byCall_.size() < kMaxStations) {
        found = byCall_.emplace(frame.source, StationEvidence{}).first;
        found->second.callsign = frame.source;
        found->second.firstHeard_s = now_s;
    }
    if (found == byCall_.end()) return noted;

    StationEvidence& e = found->second;
    noted.evidence = &e;
    noted.copy = SeenLately(e, s.CopyKey(), now_s);
    e.lastWasCopy = noted.copy;
    if (noted.emergency) {
        // The path's hops only for an emergency frame: the evidence keeps no other's.
        sighting::PathInfo path = s.Path();
        // Whom it was heard from: the last station that repeated it on the air, or its gateway.
        const std::string& via =
            path.viaInternet && !path.gateway.empty() ? path.gateway : path.heardFrom;
        e.lastHeard_s = now_s;
        if (noted.copy) {
            ++e.heard;
            const bool known =
                std::find(e.heardVia.begin(), e.heardVia.end(), via) != e.heardVia.end();
            if (!known && e.heardVia.size() < kMaxHeardVia) e.heardVia.push_back(via);
            return noted;
        }
        ++e.count;
        e.heard = 1;
        e.heardVia = {via};
        e.frame = frame.tnc2;
        e.messageType = Upper(frame.messageType);
        e.cause = CauseOf(s);
        e.path = std::move(path);  // `via` is not read after this
    }
    if (noted.copy) return noted;  // its position, if any, was taken from the first
    if (frame.latitude_deg && frame.longitude_deg && frame.object.empty()) {
        const bool moved = e.track.empty() || e.track.back().latitude_deg != *frame.latitude_deg ||
                           e.track.back().longitude_deg != *frame.longitude_deg;
        if (moved) {
            if (e.track.size() >= kMaxTrackPoints) {
                e.track.erase(e.track.begin(), e.track.begin() + kMaxTrackPoints / 2);
            }
            e.track.push_back({now_s, *frame.latitude_deg, *frame.longitude_deg});
            e.place = sighting::GeoPoint{*frame.latitude_deg, *frame.longitude_deg};
            noted.newPoint = true;
        }
    }
    return noted;
}

bool EvidenceBook::SeenLately(StationEvidence& e, const std::string& key, std::int64_t now_s) {
    std::erase_if(e.recent, [now_s](const RecentPacket& p) {
        return now_s - p.heard_s >= sighting::kCopyWindow_s || now_s < p.heard_s;
    });
    for (const RecentPacket& p : e.recent)
        if (p.key == key) return true;
    if (e.recent.size() >= kMaxRecent) e.recent.erase(e.recent.begin());
    e.recent.push_back({key, now_s});
    return false;
}

const StationEvidence* EvidenceBook::Find(std::string_view callsign) const {
    const auto found = byCall_.find(callsign);
    return found == byCall_.end() ? nullptr : &found->second;
}

void EvidenceBook::ForEach(const std::function<void(const StationEvidence&)>& visit) const {
    for (const auto& [call, evidence] : byCall_) visit(evidence);
}

}  // namespace builtin_host
