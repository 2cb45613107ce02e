// The events as JSON objects: the form of the --json lines and of the incident log's lines.
#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "incidents/Events.h"

namespace incidents {

// Unix seconds as "2026-12-07T10:15:00Z".
QString IsoTime(std::int64_t seconds);

QJsonObject ToJson(const Event& event);
// The event as one compact JSON object, the text QJsonDocument writes for ToJson(event).
std::string JsonLine(const Event& event);
// The evidence as the emergency lines carry it under "evidence".
QJsonObject EvidenceJson(const Evidence& evidence);
// One change of an incident, for the log and the journal: incident, callsign, time (Unix
// seconds), action, from (null on open), to, operator, note, handler, grade, grade_text,
// held_back. Bytes that are not UTF-8 become U+FFFD.
QJsonObject ChangeObject(const Change& change);

// Standard output with --json: one compact object per line for every emergency, alarm and
// feed event.
Stream::Sink JsonLinePrinter(std::ostream& out);

}  // namespace incidents
