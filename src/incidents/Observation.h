// What the incident book is told: a frame of a station as heard, and what operators do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "incidents/EvidenceGrade.h"

namespace incidents {

struct GeoPoint {
    double latitude_deg = 0;   // north positive
    double longitude_deg = 0;  // east positive
};

struct Observation {
    std::string callsign;
    std::int64_t time_s = 0;  // the frame's time, Unix seconds
    // What in the frame marks an emergency; none of them: not in emergency.
    bool micEEmergency = false;
    bool customType = false;
    bool commentText = false;
    bool micEOtherMessage = false;  // a Mic-E message other than Emergency
    std::optional<GeoPoint> position;
    // From home, as the host's geodesy measured it; none when either position is unknown.
    std::optional<double> distanceFromHome_km;
    std::string frameKey;  // source, destination and information: copies share it

    EvidenceGrade Grade() const { return GradeOf(micEEmergency, customType, commentText); }
};

// TakeOver hands an incident someone else handles to the operator, with a note saying why;
// Release gives it back to nobody, by its handler.
enum class OperatorAction { Acknowledge, Take, Note, Close, TakeOver, Release };

struct OperatorCommand {
    OperatorAction action = OperatorAction::Acknowledge;
    std::uint64_t incident = 0;
    std::int64_t time_s = 0;
    std::string operatorName;
    // The note (Note, Close, TakeOver, Release); for Take, who handles it when not the operator
    // themself.
    std::string text;
};

}  // namespace incidents
