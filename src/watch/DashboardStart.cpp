// Starting the dashboard with a bounded back-off between tries.
#include "watch/DashboardStart.h"

#include <algorithm>

#include "platform/Log.h"
#include "platform/Paths.h"

namespace watch {

DashboardStart::DashboardStart(platform::Timers& timers,
                               std::unique_ptr<dashboard::DashboardServer> server, std::string from,
                               std::string note, int firstDelay_ms, int maxDelay_ms)
    : server_(std::move(server)),
      from_(std::move(from)),
      note_(std::move(note)),
      retry_(timers),
      delay_ms_(firstDelay_ms),
      maxDelay_ms_(maxDelay_ms) {
    Try();
}

void DashboardStart::Try() {
    const auto started = server_->Start();
    if (started) {
        platform::LogLine(platform::Level::Info) << "the dashboard is at " << server_->Url()
                                                 << (told_.empty() ? "" : " at last") << note_;
        return;
    }
    const std::string reason = started.error().text;
    if (reason != told_) {
        platform::LogLine(platform::Level::Warning)
            << from_ << ": " << reason
            << "; the watch goes on, the dashboard tries again until it can listen";
        told_ = reason;
    }
    retry_.Start(delay_ms_, [this] { Try(); });
    delay_ms_ = std::min(delay_ms_ * 2, maxDelay_ms_);
}

std::shared_ptr<const basemap::BaseMap> LoadShippedBaseMap(const std::string& folder) {
    const std::string file = platform::JoinPath(folder, "basemap.txt");
    auto map = basemap::LoadBaseMap(file);
    if (!map) {
        platform::LogLine(platform::Level::Warning) << "no base map: " << map.error().text;
        return nullptr;
    }
    return std::make_shared<const basemap::BaseMap>(std::move(*map));
}

std::unique_ptr<DashboardStart> StartDashboard(const std::optional<watch_settings::Endpoint>& asked,
                                               const watch_settings::WatchSettings& settings,
                                               const std::string& folder, dashboard::Source& board,
                                               net::IoThread& io, net::UiQueue& ui,
                                               platform::Timers& timers) {
    const std::optional<watch_settings::Endpoint> where =
        watch_settings::DashboardPlace(asked, settings).value_or(std::nullopt);
    if (!where) return nullptr;
    dashboard::ServerSettings server;
    server.address = where->host;
    server.port = where->port;
    server.token = settings.dashboardToken;
    server.pageFolder = platform::JoinPath(folder, "dashboard");
    if (!settings.tileUrl.empty()) {
        server.tileUrl = settings.tileUrl;
        server.tileAttribution = settings.tileAttribution;
    }
    auto dashboard = std::make_unique<dashboard::DashboardServer>(board, server, io, ui);
    dashboard->SetBaseMap(LoadShippedBaseMap(folder));
    return std::make_unique<DashboardStart>(
        timers, std::move(dashboard), asked ? "--dashboard" : "Dashboard in the host's settings",
        server.token.empty() ? " (actions are off: no DashboardToken is set)" : "");
}

}  // namespace watch
