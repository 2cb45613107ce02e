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

    // "incidents" in the data folder (see platform::ChooseLayout).
    static QString DefaultFolder();
    // "replays/<file's base name>-<start, UTC>" in the data folder: one per replay.
    static QString ReplayFolder(const QString& replayFile, const QDateTime& start);

    // How many days of files are kept, the day being written included; older ones are
    // removed when a new day's file begins. 0 keeps everything.
    void KeepDays(int days) { keepDays_ = days; }
    // Removes the day files older than the days kept before `today` (YYYY-MM-DD, UTC).
    void RemoveOld(const QString& today);

    // Appends the event to the file of the day of its time. False when it could not be
    // written (a copy is left out); the first failure is told on standard error.
    bool Append(const Event& event);

    const QString& Folder() const { return folder_; }

private:
    QString folder_;
    bool failureTold_ = false;
    int keepDays_ = 0;
    QString lastFile_;
};

// The day file's name for an ISO time ("2026-12-07T10:00:00Z" gives
// "incidents-2026-12-07.jsonl").
QString IncidentFileName(const QString& isoTime);

}  // namespace incidents
