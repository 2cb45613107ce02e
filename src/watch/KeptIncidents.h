// The incident book kept across restarts: taken up from the incident log at start, saved now
// and then and when the watch ends, and the watch's start and stop told as events, so the time
// nobody watched shows in the log, on the dashboard and in the export.
#pragma once

#include <optional>
#include <string>

#include "incident_outlets/IncidentJournal.h"
#include "incidents/Events.h"
#include "incidents/IncidentBook.h"
#include "platform/Timers.h"

namespace watch {

class KeptIncidents {
public:
    static constexpr int kSaveEvery_ms = 5 * 60 * 1000;

    // `keep` is false for a replay: its log starts empty in a folder of its own, and the
    // operator's book is neither read nor written.
    KeptIncidents(platform::Timers& timers, incidents::IncidentBook& book,
                  incidents::Stream& events, const std::string& folder, bool keep,
                  std::optional<incidents::Place> home);

    // Takes the incidents up and tells what was found and that the watch started. True when
    // some incident still waits for its acknowledgement: the alarm is for it.
    bool Start();
    // The watch ends through its close path: told, and the book saved as it stands.
    void Stop();

private:
    void Save(bool stopped);

    incidents::IncidentBook& book_;
    incidents::Stream& events_;
    incidents::IncidentJournal journal_;
    bool keep_;
    std::optional<incidents::Place> home_;
    platform::RepeatingTimer saveTimer_;
    bool saveFailed_ = false;
    bool changed_ = false;  // something the book keeps happened since the last save
};

}  // namespace watch
