// The dashboard started beside the watch, never in its way: when it cannot listen (another
// program holds the port) that is told, and it tries again until it can.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "basemap/BaseMap.h"
#include "dashboard/DashboardServer.h"
#include "dashboard/DashboardSource.h"
#include "net/IoThread.h"
#include "net/UiQueue.h"
#include "platform/Timers.h"
#include "watch_settings/WatchSettings.h"

namespace watch {

class DashboardStart {
public:
    // Tries at once; after a failure, again in firstDelay_ms, twice as long each time up to
    // maxDelay_ms. `from` names what asked for the dashboard in the messages; `note` follows
    // the address once it listens.
    DashboardStart(platform::Timers& timers, std::unique_ptr<dashboard::DashboardServer> server,
                   std::string from, std::string note, int firstDelay_ms = 2000,
                   int maxDelay_ms = 60000);

private:
    void Try();

    std::unique_ptr<dashboard::DashboardServer> server_;
    std::string from_;
    std::string note_;
    platform::OneTimer retry_;
    int delay_ms_;
    int maxDelay_ms_;
    std::string told_;  // the last reason told, so a port held for hours is not told each minute
};

// The land and borders among the shipped files; without them the map has a plain background.
std::shared_ptr<const basemap::BaseMap> LoadShippedBaseMap(const std::string& folder);

// The web dashboard, when the command line (`asked`, --dashboard) or the host's settings ask
// for one it can use (the start's checks told what it cannot); it listens as soon as it can,
// on `io`'s loop, and reaches the board through `ui`, which this thread drains.
std::unique_ptr<DashboardStart> StartDashboard(const std::optional<watch_settings::Endpoint>& asked,
                                               const watch_settings::WatchSettings& settings,
                                               const std::string& folder, dashboard::Source& board,
                                               net::IoThread& io, net::UiQueue& ui,
                                               platform::Timers& timers);

}  // namespace watch
