// What the incident book is told: a frame of a station as heard, and what operators do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sighting/Evidence.h"
#include "sighting/Sighting.h"

namespace incidents {

// A frame as heard, the grade of its evidence, the evidence of a station and a place on the
// map, as the feature names them.
using sighting::Evidence;
using sighting::EvidenceGrade;
using sighting::GeoPoint;
using sighting::GradeKey;
using sighting::GradeOf;
using sighting::GradeText;
using sighting::Sighting;

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
