// Why a station alarmed, as the station program keeps it and every report shows it: the frame
// that said so, what in it did, the way it travelled, when and how often it was heard.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sighting/Sighting.h"

namespace sighting {

// Every member has an initializer so that designated initializers may name only some.
struct Evidence {
    std::string frame{};  // the last packet in emergency, as a monitor line
    std::string messageType{};
    std::string cause{};  // what in that frame made it an emergency, in words
    PathInfo path{};
    std::int64_t firstHeard_s = 0;  // Unix time
    std::int64_t lastHeard_s = 0;
    std::uint64_t count = 0;  // packets in emergency, each once however many copies came
    std::uint64_t heard = 0;  // how often the last one was heard: itself and its copies
    std::vector<std::string> heardVia{};  // whom those came from (repeater, gateway), each once
    bool lastWasCopy = false;         // the last frame of the station was a copy of an earlier one
    std::optional<GeoPoint> place{};  // the station's last reported place
};

}  // namespace sighting
