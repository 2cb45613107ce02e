// Reading a decoded frame's marks of an emergency once, and the rest of it on demand.
#include "sighting/Sighting.h"

namespace sighting {
namespace {

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

// The Mic-E code Emergency is a mark whatever the add-on counts; so is "!EMERGENCY!" in the
// comment. A custom type counts once it is the type set.
Sighting Sight(const decode::Decoded& frame, std::int64_t time_s, std::string_view emergencyType,
               const DistanceFromHome* measure) {
    Sighting s;
    s.callsign = frame.source;
    s.time_s = time_s;
    const std::string& type = frame.messageType;
    const bool fromMicE = !type.empty() && !frame.emergencyInComment;
    s.micEEmergency = fromMicE && type == "EMERGENCY";
    s.commentText = frame.emergencyInComment;
    s.customType = fromMicE && emergencyType != "EMERGENCY" && type == emergencyType;
    s.micEOtherMessage = fromMicE && !s.micEEmergency && !s.customType;
    s.addOnType = !type.empty() && type == emergencyType;
    if (frame.latitude_deg && frame.longitude_deg)
        s.position = GeoPoint{*frame.latitude_deg, *frame.longitude_deg};
    s.frame = &frame;
    s.measure = measure;
    return s;
}

const std::string& Sighting::CopyKey() const {
    if (frameKey.empty() && frame != nullptr) {
        const decode::Tnc2Frame& parts = frame->parts;
        frameKey = parts.source + '>' + parts.destination + ':' + parts.payload;
    }
    return frameKey;
}

std::optional<double> Sighting::DistanceFromHome_km() const {
    if (!measured && measure != nullptr && *measure && position)
        distanceFromHome_km = (*measure)(*position);
    measured = true;
    return distanceFromHome_km;
}

PathInfo Sighting::Path() const {
    return frame == nullptr ? PathInfo{} : ReadPath(frame->source, frame->parts.path);
}

}  // namespace sighting
