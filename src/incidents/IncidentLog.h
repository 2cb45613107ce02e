// The incident log: every event as one JSON line, one file per day (UTC) in the data folder,
// "incidents-YYYY-MM-DD.jsonl". Each line goes out in a single append, so a crash loses at
// most the line being written; a line cut short that way is closed before the next one.
// A copy of a packet heard before is no new event and is not written.
// A replay is logged apart, in a folder of its own, so that its invented emergencies never
// mix with the operator's real ones.
#pragma once

#include <QDateTime>
#include <QString>

#include "incidents/Events.h"

namespace incidents {

class IncidentLog {
public:
    // The folder is created when the first line is written.
    explicit IncidentLog(QString folder) : folder_(std::move(folder)) {}

    // <data home>/sirenwatch/incidents, beside the built-in host's folder.
    static QString DefaultFolder();
    // <data home>/sirenwatch/replays/<file's base name>-<start, UTC>: one per replay.
    static QString ReplayFolder(const QString& replayFile, const QDateTime& start);

    // Appends the event to the file of the day of its time (a copy is left out). False when
    // it could not be written; the first failure is told on standard error.
    bool Append(const Event& event);

    const QString& Folder() const { return folder_; }

private:
    QString folder_;
    bool failureTold_ = false;
};

// The day file's name for an ISO time ("2026-12-07T10:00:00Z" gives
// "incidents-2026-12-07.jsonl").
QString IncidentFileName(const QString& isoTime);

}  // namespace incidents
