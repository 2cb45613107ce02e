// The host's station object: the add-on names a callsign, the host fills in what it knows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "builtin_host/StationList.h"
#include "host/HostPorts.h"

namespace builtin_host {

class HostStation final : public host::Station {
public:
    void SetCallsign(const std::string& callsign) override { callsign_ = callsign; }
    const std::string& Callsign() const { return callsign_; }

    std::string GetBeaconText() override { return beaconText_; }
    std::string GetMessageType() override { return messageType_; }
    float GetLongitude() override { return longitude_min_; }
    float GetLatitude() override { return latitude_min_; }
    float GetAltitude() override { return altitude_m_; }
    float GetSpeed() override { return speed_kmh_; }
    std::int16_t GetCourse() override { return course_deg_; }
    // Worked out on the first call after Fill: most frames never need it. A station without
    // a position (or a home without one) has none: -99999, as for a missing position.
    float GetDistance() override;

    // Takes the station's data, or the values of an unknown station for nullptr, and the
    // home position its distance is measured from.
    void Fill(const StationData* data, const HomePosition& home);

private:
    std::string callsign_;
    std::string beaconText_;
    std::string messageType_;
    float longitude_min_ = host::kMissing;
    float latitude_min_ = host::kMissing;
    float altitude_m_ = host::kMissing;
    float speed_kmh_ = 0;
    std::int16_t course_deg_ = 0;
    std::optional<double> latitude_deg_;
    std::optional<double> longitude_deg_;
    HomePosition home_;
    std::optional<float> distance_km_;
};

}  // namespace builtin_host
