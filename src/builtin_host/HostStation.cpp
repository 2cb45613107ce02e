// Copying a station list entry into the station object the add-on reads.
#include "builtin_host/HostStation.h"

namespace builtin_host {

void HostStation::Fill(const StationData* data, const HomePosition& home) {
    home_ = home;
    distance_km_.reset();
    if (data == nullptr) {
        beaconText_.clear();
        messageType_.clear();
        longitude_min_ = latitude_min_ = altitude_m_ = host::kMissing;
        speed_kmh_ = 0;
        course_deg_ = 0;
        latitude_deg_.reset();
        longitude_deg_.reset();
        return;
    }
    beaconText_ = data->beaconText;
    messageType_ = data->messageType;
    longitude_min_ = data->longitude_min;
    latitude_min_ = data->latitude_min;
    altitude_m_ = data->altitude_m;
    speed_kmh_ = data->speed_kmh;
    course_deg_ = data->course_deg;
    latitude_deg_ = data->latitude_deg;
    longitude_deg_ = data->longitude_deg;
}

float HostStation::GetDistance() {
    if (!distance_km_) {
        // Without a position there is no distance to give: the marker for a missing value.
        const auto db = FromHome(home_, latitude_deg_, longitude_deg_);
        distance_km_ = db ? static_cast<float>(db->distance_km) : host::kMissing;
    }
    return *distance_km_;
}

}  // namespace builtin_host
