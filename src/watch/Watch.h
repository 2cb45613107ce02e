// The watch both programs run with the built-in host, wired the same way in both: the host, the
// incident outlets, the event stream, the incident book kept across restarts, and the board the
// dashboard and the incident lists show. The add-on's program comes in between: each program
// makes it and its windows with its own toolkit, then joins the watch to it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "incidents/Events.h"
#include "incidents/FormObserver.h"
#include "incidents/IncidentBook.h"
#include "platform/Timers.h"
#include "program/Sirenwatch.h"
#include "watch/IncidentRouting.h"
#include "watch/KeptIncidents.h"
#include "watch/WatchBoard.h"
#include "watch_settings/WatchSettings.h"

namespace watch {

// What the watch starts with, read and checked at the start.
struct WatchStart {
    const builtin_host::HostSettings& host;
    const watch_settings::WatchSettings& settings;
    const watch_settings::FeedSettings& feed;
    std::string dataFolder;
    std::string command;  // the emergency command in force; empty: none
};

// Declared before the program it follows, so what listens to the add-on's forms outlives them.
class Watch {
public:
    Watch(platform::Clock& clock, platform::Timers& timers, const WatchStart& start);

    // The report follows the program's forms; the book, the outlets, standard output and the
    // board hear the events, in that order. `beforeBoard` subscribes what must hear an event
    // after the outlets and before the board (the MQTT net).
    void Join(program::Sirenwatch& program, Printed printed,
              const std::function<void()>& beforeBoard = {});
    // Starts the program; then the incidents kept come back, with the alarm while one of them
    // waits for its acknowledgement, and the main window shows. False when the program did not
    // start.
    bool Start(program::Sirenwatch& program);
    // The book saved for the next start.
    void Stop() { kept.Stop(); }

    // The clock the board and the event stream count seconds by.
    static std::int64_t Seconds();

    builtin_host::BuiltinHost host;
    Outlets outlets;
    incidents::Stream events;
    std::optional<incidents::FormObserver> report;
    incidents::IncidentBook book;
    KeptIncidents kept;
    std::optional<WatchBoard> board;

private:
    const incidents::WatchList watchList_;
    const std::string homeCallsign_;
    platform::RepeatingTimer logRetry_;
};

}  // namespace watch
