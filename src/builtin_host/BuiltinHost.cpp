// Feeding frames through the decoder and the station list to the add-on's event handler.
#include "builtin_host/BuiltinHost.h"

#include <chrono>
#include <exception>
#include <utility>

#include "builtin_host/Geodesy.h"
#include "builtin_host/HostStation.h"
#include "decode/AprsDecoder.h"
#include "platform/NumberText.h"

namespace builtin_host {
namespace {

bool Blank(std::string_view line) {
    return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

// "hh:mm:ss SRC>DEST,PATH:payload", built in the time's own string.
std::string FrameText(std::string time, std::string_view tnc2) {
    time.reserve(time.size() + 1 + tnc2.size());
    return std::move(time.append(1, ' ').append(tnc2));
}

}  // namespace

BuiltinHost::BuiltinHost(const platform::Clock& clock, HomePosition home, std::size_t capacity)
    : clock_(clock), stations_(home, capacity), epochNow_([] {
          return std::chrono::duration_cast<std::chrono::seconds>(
                     std::chrono::system_clock::now().time_since_epoch())
              .count();
      }) {
    fromHome_ = [this](const sighting::GeoPoint& point) -> std::optional<double> {
        const HomePosition& home = stations_.Home();
        if (home.latitude_deg == 0 && home.longitude_deg == 0) return std::nullopt;
        if (!ValidPoint(home.latitude_deg, home.longitude_deg) ||
            !ValidPoint(point.latitude_deg, point.longitude_deg))
            return std::nullopt;  // a point out of range: its distance stays unknown
        return Inverse(home.latitude_deg, home.longitude_deg, point.latitude_deg,
                       point.longitude_deg)
            .distance_km;
    };
}

void BuiltinHost::SetEmergencyType(std::string_view type) {
    emergencyType_ = platform::UCase(type);
}

std::unique_ptr<host::Station> BuiltinHost::CreateStation() {
    return std::make_unique<HostStation>();
}

void BuiltinHost::DistanceAndBearing(double lat1, double lon1, double lat2, double lon2,
                                     double& distance, double& bearing, bool /*flag*/) {
    if (!ValidPoint(lat1, lon1) || !ValidPoint(lat2, lon2)) {
        throw host::HostError("DistanceAndBearing: coordinates out of range");
    }
    const DistanceBearing db = Inverse(lat1, lon1, lat2, lon2);
    distance = db.distance_km;
    bearing = db.bearing_deg;
}

void BuiltinHost::GetStation(host::Station& station, bool& found) {
    auto* ours = dynamic_cast<HostStation*>(&station);
    if (ours == nullptr) throw host::HostError("GetStation: not a station object of this host");
    const StationData* data = stations_.Peek(ours->Callsign());
    ours->Fill(data, stations_.Home());
    found = data != nullptr;
}

void BuiltinHost::OnTnc2Line(std::string_view line) {
    line = WithoutLineEnd(line);
    if (Blank(line)) return;
    ++counters_.frames;
    if (recordInUse_) {
        // A handler that lets events in (a message box) hands over the next frame before this
        // one is done: that one gets a record of its own.
        decode::Decoded own;
        Take(line, own);
    } else {
        recordInUse_ = true;
        struct InUse {
            bool& flag;
            ~InUse() { flag = false; }
        } inUse{recordInUse_};
        Take(line, record_);
    }
    if (onFrame_) onFrame_();
}

void BuiltinHost::Take(std::string_view line, decode::Decoded& decoded) {
    try {
        decode::Decode(line, decoded);
        if (!decoded.error.empty()) {
            ++counters_.malformed;
            return;
        }
        stations_.Update(decoded);
        const sighting::Sighting seen =
            sighting::Sight(decoded, epochNow_(), emergencyType_, &fromHome_);
        const EvidenceBook::Noted noted = evidence_.Note(seen);
        if (onSighting_) onSighting_(seen);
        Announce(FrameText(platform::TimeText(clock_.Now()),
                           decoded.tnc2.empty() ? line : std::string_view(decoded.tnc2)));
        if (noted.evidence != nullptr && onEvidence_) onEvidence_(noted);
    } catch (const std::exception& e) {
        ++counters_.listenerFailures;
        lastListenerError_ = e.what();
    }
}

void BuiltinHost::Announce(std::string frameText) {
    // A handler that lets events in while it works (a message box) may start a nested
    // announcement; each one keeps its own frame text for as long as it runs, and the last
    // frame stays readable once the outermost one is over.
    struct Scope {
        BuiltinHost& host;
        std::string saved;
        bool nested;
        ~Scope() {
            if (nested) host.currentFrame_ = std::move(saved);
            host.announcing_ = nested;
        }
    } scope{*this, std::exchange(currentFrame_, std::move(frameText)), announcing_};
    announcing_ = true;
    ++counters_.announced;
    if (listener_ != nullptr) listener_->DataAvailable();
}

void BuiltinHost::Close() {
    if (listener_ == nullptr) return;
    try {
        listener_->UIView32IsClosing();
    } catch (const std::exception& e) {
        ++counters_.listenerFailures;
        lastListenerError_ = e.what();
    }
}

}  // namespace builtin_host
