// Collecting the evidence of emergencies and the tracks of the stations in emergency.
#include "builtin_host/Evidence.h"

#include <algorithm>

namespace builtin_host {
namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool InternetElement(std::string_view element) {
    return element == "TCPIP" || element == "TCPIP*" ||
           (element.size() == 3 && element.starts_with("qA"));
}

std::vector<std::string_view> Split(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t comma = path.find(',');
        parts.push_back(path.substr(0, comma));
        if (comma == std::string_view::npos) break;
        path.remove_prefix(comma + 1);
    }
    return parts;
}

}  // namespace

PathInfo ReadPath(std::string_view source, std::string_view path) {
    PathInfo info;
    info.heardFrom = source;
    const auto parts = Split(path);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view element = parts[i];
        if (element.size() == 3 && element.starts_with("qA")) {
            info.viaInternet = true;
            if (i + 1 < parts.size()) info.gateway = parts[i + 1];
            break;
        }
        // The radio hops end where the Internet part of the path begins.
        info.viaInternet = info.viaInternet || InternetElement(element);
        if (element.empty() || info.viaInternet) continue;
        info.digipeaters.emplace_back(element);
        if (element.ends_with('*')) info.heardFrom = element.substr(0, element.size() - 1);
    }
    return info;
}

void EvidenceBook::SetEmergencyType(std::string type) {
    emergencyType_ = Upper(type);
}

// The incident journal reads an incident's grade back from these words (their beginnings and
// "!EMERGENCY!"): keep them, or change it too.
std::string EvidenceBook::CauseOf(const decode::Decoded& frame) const {
    if (emergencyType_ != "EMERGENCY") {
        return "message type " + emergencyType_ + ", the type set to count as an emergency";
    }
    if (frame.emergencyInComment) return "\"!EMERGENCY!\" at the start of the comment";
    return "Mic-E message bits 000 (Emergency)";
}

EvidenceBook::Noted EvidenceBook::Note(const decode::Decoded& frame, std::int64_t now_s) {
    Noted noted;
    noted.emergency = !frame.messageType.empty() && Upper(frame.messageType) == emergencyType_;
    auto found = byCall_.find(frame.source);
    if (noted.emergency && found == byCall_.end() && byCall_.size() < kMaxStations) {
        found = byCall_.emplace(frame.source, Evidence{}).first;
        found->second.callsign = frame.source;
        found->second.firstHeard_s = now_s;
    }
    if (found == byCall_.end()) return noted;

    Evidence& e = found->second;
    noted.evidence = &e;
    const decode::Tnc2Frame& parts = frame.parts;
    const PathInfo path = ReadPath(frame.source, parts.path);
    // Whom it was heard from: the last station that repeated it on the air, or its gateway.
    const std::string& via =
        path.viaInternet && !path.gateway.empty() ? path.gateway : path.heardFrom;
    noted.copy = SeenLately(e, parts.source + '>' + parts.destination + ':' + parts.payload, now_s);
    e.lastWasCopy = noted.copy;
    if (noted.emergency) {
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
        e.cause = CauseOf(frame);
        e.path = path;
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
            noted.newPoint = true;
        }
    }
    return noted;
}

bool EvidenceBook::SeenLately(Evidence& e, std::string key, std::int64_t now_s) {
    std::erase_if(e.recent, [now_s](const RecentPacket& p) {
        return now_s - p.heard_s >= kCopyWindow_s || now_s < p.heard_s;
    });
    for (const RecentPacket& p : e.recent)
        if (p.key == key) return true;
    if (e.recent.size() >= kMaxRecent) e.recent.erase(e.recent.begin());
    e.recent.push_back({std::move(key), now_s});
    return false;
}

const Evidence* EvidenceBook::Find(std::string_view callsign) const {
    const auto found = byCall_.find(callsign);
    return found == byCall_.end() ? nullptr : &found->second;
}

void EvidenceBook::ForEach(const std::function<void(const Evidence&)>& visit) const {
    for (const auto& [call, evidence] : byCall_) visit(evidence);
}

}  // namespace builtin_host
