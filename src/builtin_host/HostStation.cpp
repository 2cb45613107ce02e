// Copying a station list entry into the station object the add-on reads.
#include "builtin_host/HostStation.h"

namespace builtin_host {

void HostStation::Fill(const StationData* data) {
    if (data == nullptr) {
        beaconText_.clear();
        messageType_.clear();
        longitude_min_ = latitude_min_ = altitude_m_ = host::kMissing;
        speed_kmh_ = 0;
        course_deg_ = 0;
        distance_km_ = 0;
        return;
    }
    beaconText_ = data->beaconText;
    messageType_ = data->messageType;
    longitude_min_ = data->longitude_min;
    latitude_min_ = data->latitude_min;
    altitude_m_ = data->altitude_m;
    speed_kmh_ = data->speed_kmh;
    course_deg_ = data->course_deg;
    distance_km_ = data->distance_km;
}

}  // namespace builtin_host
