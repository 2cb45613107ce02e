// The events as JSON objects: the form of the --json lines and of the incident log's lines.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

#include "incident_outlets/IsoTime.h"
#include "incidents/Events.h"

namespace incidents {

nlohmann::json ToJson(const Event& event);
// The event as one compact JSON object, as JsonText writes ToJson(event).
std::string JsonLine(const Event& event);
// The evidence as the emergency lines carry it under "evidence".
nlohmann::json EvidenceJson(const Evidence& evidence);
// One change of an incident, for the log and the journal: incident, callsign, time (Unix
// seconds), action, from (null on open), to, operator, note, handler, grade, grade_text,
// held_back.
nlohmann::json ChangeObject(const Change& change);

// Compact JSON as the log has always been written: members in key order, a whole number up to
// 2^53 without a decimal point, other numbers in their shortest form (exponent form when that
// is shorter), control characters escaped, and bytes that are not UTF-8 as U+FFFD.
std::string JsonText(const nlohmann::json& json);
// The text as valid UTF-8: each byte that starts no valid sequence becomes U+FFFD, and a byte
// order mark at the start is left out.
std::string ValidUtf8(std::string_view text);

// Standard output with --json: one compact object per line for every emergency, alarm and
// feed event.
Stream::Sink JsonLinePrinter(std::ostream& out);

}  // namespace incidents
