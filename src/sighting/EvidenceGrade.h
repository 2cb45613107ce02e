// How strongly a frame says its station is in emergency, strongest last: the grade an
// incident shows is the strongest its frames gave.
#pragma once

#include <string_view>

namespace sighting {

enum class EvidenceGrade {
    None,         // not in emergency
    CommentText,  // "!EMERGENCY!" in the comment
    CustomType,   // the message type set to count as an emergency
    MicEEmergency,
};

// A stable key for files and the log, and words for people.
constexpr std::string_view GradeKey(EvidenceGrade grade) {
    switch (grade) {
        case EvidenceGrade::CommentText:
            return "comment";
        case EvidenceGrade::CustomType:
            return "custom_type";
        case EvidenceGrade::MicEEmergency:
            return "mic_e";
        case EvidenceGrade::None:
            break;
    }
    return "none";
}

constexpr std::string_view GradeText(EvidenceGrade grade) {
    switch (grade) {
        case EvidenceGrade::CommentText:
            return "\"!EMERGENCY!\" in the comment";
        case EvidenceGrade::CustomType:
            return "the message type set as emergency";
        case EvidenceGrade::MicEEmergency:
            return "Mic-E Emergency code";
        case EvidenceGrade::None:
            break;
    }
    return "no emergency";
}

// The strongest of what a frame carries.
constexpr EvidenceGrade GradeOf(bool micEEmergency, bool customType, bool commentText) {
    if (micEEmergency) return EvidenceGrade::MicEEmergency;
    if (customType) return EvidenceGrade::CustomType;
    if (commentText) return EvidenceGrade::CommentText;
    return EvidenceGrade::None;
}

}  // namespace sighting
