// The built-in station program behind the host ports: frames from a feed are decoded into
// the station list and announced to the add-on, which then asks about their senders.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "builtin_host/Evidence.h"
#include "builtin_host/HostMap.h"
#include "builtin_host/StationList.h"
#include "host/HostPorts.h"
#include "platform/Ports.h"

namespace builtin_host {

struct FeedCounters {
    std::uint64_t frames = 0;            // non-blank lines received
    std::uint64_t malformed = 0;         // lines the decoder refused, skipped
    std::uint64_t announced = 0;         // frames handed to the add-on
    std::uint64_t listenerFailures = 0;  // announcements the add-on's handler threw out of
};

class BuiltinHost final : public host::Connector, public host::Application {
public:
    BuiltinHost(const platform::Clock& clock, HomePosition home,
                std::size_t capacity = StationList::kDefaultCapacity);

    // host::Connector: one application object (this one), any number of station objects.
    host::Application& CreateApplication() override { return *this; }
    std::unique_ptr<host::Station> CreateStation() override;
    // The settings file is ours too: a version missing there is no older station program.
    std::optional<double> OwnVersion() const override { return host::kLowestVersion; }

    // host::Application. DistanceAndBearing gives kilometres whatever the flag; points out
    // of range are a HostError. GetStation takes only station objects this host created.
    void DistanceAndBearing(double lat1, double lon1, double lat2, double lon2, double& distance,
                            double& bearing, bool flag) override;
    void GetStation(host::Station& station, bool& found) override;
    void RedrawMap() override { map_.Redraw(); }
    std::string GetAprsData() override { return currentFrame_; }
    host::Map& GetMap() override { return map_; }
    void Connect(host::ApplicationEvents* listener) override { listener_ = listener; }

    // One TNC2 monitor line from a feed: decoded, stored and announced with DataAvailable.
    // A malformed line is counted and skipped. Nothing escapes.
    void OnTnc2Line(std::string_view line);
    // The host is going away: UIView32IsClosing to the add-on.
    void Close();

    const FeedCounters& Counters() const { return counters_; }
    const std::string& LastListenerError() const { return lastListenerError_; }
    StationList& Stations() { return stations_; }
    const StationList& Stations() const { return stations_; }
    HostMap& MapState() { return map_; }
    EvidenceBook& Emergencies() { return evidence_; }
    const EvidenceBook& Emergencies() const { return evidence_; }
    // The message type the add-on counts as an emergency ("EMERGENCY" unless set otherwise):
    // each frame's marks are read against it.
    void SetEmergencyType(std::string_view type);

    // Unix time in seconds for the evidence; the system clock unless a test sets one.
    void SetEpochClock(std::function<std::int64_t()> clock) { epochNow_ = std::move(clock); }
    // Called after a frame that concerned a station in emergency (its own emergency frame,
    // or a position it reported since), once the add-on has handled the frame.
    using EvidenceListener = std::function<void(const EvidenceBook::Noted&)>;
    void SetEvidenceListener(EvidenceListener listener) { onEvidence_ = std::move(listener); }

    // Called with every frame as heard, before the add-on hears it.
    using SightingListener = std::function<void(const sighting::Sighting&)>;
    void SetSightingListener(SightingListener listener) { onSighting_ = std::move(listener); }

    // Called after every line, handled or not (a status line or a map view follows here).
    void SetFrameListener(std::function<void()> listener) { onFrame_ = std::move(listener); }

private:
    void Take(std::string_view line, decode::Decoded& decoded);
    void Announce(std::string frameText);

    const platform::Clock& clock_;
    StationList stations_;
    HostMap map_;
    host::ApplicationEvents* listener_ = nullptr;
    std::string currentFrame_;
    bool announcing_ = false;
    decode::Decoded record_;  // each frame is decoded into it, reusing its room
    bool recordInUse_ = false;
    FeedCounters counters_;
    std::string lastListenerError_;
    std::function<void()> onFrame_;
    EvidenceBook evidence_;
    std::function<std::int64_t()> epochNow_;
    EvidenceListener onEvidence_;
    SightingListener onSighting_;
    std::string emergencyType_ = "EMERGENCY";
    sighting::DistanceFromHome fromHome_;
};

}  // namespace builtin_host
