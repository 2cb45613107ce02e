// The incident log: every event as one JSON line, one file per day (UTC) in the data folder,
// "incidents-YYYY-MM-DD.jsonl". Each line goes out in a single append, so a crash loses at
// most the line being written; a line cut short that way is closed before the next one. A line
// of an emergency or of an incident's change is flushed to the disk before it counts as
// written, so a power cut loses none of them either; other lines ride on the next such flush.
// A copy of a packet heard before is no new event and is not written.
// A replay is logged apart, in a folder of its own, so that its invented emergencies never
// mix with the operator's real ones.
//
// A line that cannot be written (a full disk, a read-only folder, no file handles left) is
// kept, in order, and written when the log can be written again; the operator is told with
// the system's reason each time the log stops being written, and again when it is back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "incidents/Events.h"

namespace incidents {

// Whether the incident log keeps up, as the dashboard shows it.
struct LogHealth {
    bool writing = true;      // everything so far is written
    std::string problem;      // the system's reason, while not writing
    std::size_t waiting = 0;  // lines kept to be written when the log can be written again
    std::size_t lost = 0;     // lines given up since the log last stopped: too many waited
};

class IncidentLog {
public:
    // The folder is created when the first line is written.
    explicit IncidentLog(std::string folder) : folder_(std::move(folder)) {}

    // "incidents" in the data folder (see platform::ChooseLayout).
    static std::string DefaultFolder(const std::string& dataFolder);
    // "replays/<file's base name>-<start, UTC>" in the data folder: one per replay.
    static std::string ReplayFolder(const std::string& dataFolder, const std::string& replayFile,
                                    std::int64_t start_s);

    // How many days of files are kept, the day being written included; older ones are
    // removed when a new day's file begins. 0 keeps everything.
    void KeepDays(int days) { keepDays_ = days; }
    // Removes the day files older than the days kept before `today` (YYYY-MM-DD, UTC).
    void RemoveOld(const std::string& today);

    // Appends the event to the file of the day of its time, after the lines still waiting.
    // False when it could not be written now: it waits (a copy is left out).
    bool Append(const Event& event);
    // Writes the lines still waiting, if the log can be written again.
    void Retry();

    const LogHealth& Health() const { return health_; }
    // Called whenever Health() changes.
    void SetHealthListener(std::function<void()> listener) { onHealth_ = std::move(listener); }
    // How many lines may wait; beyond, the oldest are given up (and that is told).
    void SetMaxWaiting(std::size_t lines) { maxWaiting_ = lines; }
    static constexpr std::size_t kMaxWaiting = 20000;  // a busy day's events, a few MB

    const std::string& Folder() const { return folder_; }
    // How many lines were flushed to the disk as they were written.
    std::size_t SyncedLines() const { return syncedLines_; }

private:
    struct Line {
        std::string file;
        std::string day;  // YYYY-MM-DD
        std::string text;
        bool durable = false;  // on the disk before it counts as written
    };
    void Flush();
    void Stopped(const std::string& file, const std::string& problem);
    void GiveUpOldest();

    std::string folder_;
    int keepDays_ = 0;
    std::string lastFile_;
    std::deque<Line> waiting_;
    std::size_t maxWaiting_ = kMaxWaiting;
    LogHealth health_;
    std::function<void()> onHealth_;
    std::size_t syncedLines_ = 0;
};

// The day file's name for an ISO time ("2026-12-07T10:00:00Z" gives
// "incidents-2026-12-07.jsonl").
std::string IncidentFileName(const std::string& isoTime);
// The names of the day files in the folder, oldest first; none when it cannot be read.
std::vector<std::string> DayFiles(const std::string& folder);

}  // namespace incidents
