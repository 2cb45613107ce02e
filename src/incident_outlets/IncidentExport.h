// The incident log as something other mapping programs open: the emergency points and the
// tracks of the stations in emergency, as GPX 1.1 or KML 2.2.
#pragma once

#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "platform/Result.h"

namespace incidents {

struct IncidentPoint {
    QDateTime time;
    double latitude_deg = 0;
    double longitude_deg = 0;
};

// Where an incident stood at the end of what was read: its state, grade and notes.
struct IncidentOutcome {
    QString state;  // "new", "acknowledged", "being_handled", "stood_down", "closed"
    QString handler;
    QString grade;      // in words
    QString heldBack;   // why it did not sound, when it did not
    QStringList notes;  // "operator: text", oldest first
};

struct EmergencyMark {
    QString callsign;
    IncidentPoint point;
    QString cause;
    QString frame;
    qint64 incident = 0;  // the incident it belongs to; 0: none logged
};

// The watch stopping or starting again: the time between, nobody watched.
struct WatchMark {
    QDateTime time;
    QString name;                        // "watch stopped", "watch started"
    QString description;                 // since when it was down, and whether it stopped cleanly
    std::optional<IncidentPoint> place;  // the home station, when the log says where it is
};

struct IncidentHistory {
    std::vector<EmergencyMark> emergencies;                // in the order heard
    std::map<qint64, IncidentOutcome> incidents;           // by incident number
    std::map<QString, std::vector<IncidentPoint>> tracks;  // by callsign, in time order
    std::vector<WatchMark> watch;                          // in the order logged
    int unreadableLines = 0;  // a line cut short by a crash, or not ours
};

// The events of the log files in `folder` at or after `since` (all when none).
IncidentHistory ReadIncidents(const QString& folder, const std::optional<QDateTime>& since);

void WriteGpx(const IncidentHistory& history, QIODevice& out);
void WriteKml(const IncidentHistory& history, QIODevice& out);

// "2026-12-07", "2026-12-07T10:00", "2026-12-07T10:00:00Z", "...+01:00": local time unless
// the text gives its zone; nothing for other text.
std::optional<QDateTime> ParseSince(const QString& text);

// Writes the file whole (GPX or KML by its extension) and says what it wrote; or leaves any
// old one as it was and says why, as the problem.
platform::Result<QString> ExportIncidents(const QString& folder, const QString& file,
                                          const std::optional<QDateTime>& since);

}  // namespace incidents
