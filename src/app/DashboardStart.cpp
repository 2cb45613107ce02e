// Starting the dashboard with a bounded back-off between tries.
#include "app/DashboardStart.h"

#include <algorithm>

#include "app/ProgramWindows.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace app {

DashboardStart::DashboardStart(std::unique_ptr<dashboard::DashboardServer> server, std::string from,
                               std::string note, int firstDelay_ms, int maxDelay_ms)
    : server_(std::move(server)),
      from_(std::move(from)),
      note_(std::move(note)),
      delay_ms_(firstDelay_ms),
      maxDelay_ms_(maxDelay_ms) {
    retry_.setSingleShot(true);
    QObject::connect(&retry_, &QTimer::timeout, [this] { Try(); });
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
    retry_.start(delay_ms_);
    delay_ms_ = std::min(delay_ms_ * 2, maxDelay_ms_);
}

std::unique_ptr<DashboardStart> StartDashboard(const CommandLine& options,
                                               const watch_settings::WatchSettings& settings,
                                               const std::string& folder,
                                               incident_ui::WatchBoard& board, net::IoThread& io,
                                               net::UiQueue& ui) {
    const std::optional<Endpoint> where =
        watch_settings::DashboardPlace(options.dashboard, settings).value_or(std::nullopt);
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
        std::move(dashboard),
        options.dashboard ? "--dashboard" : "Dashboard in the host's settings",
        server.token.empty() ? " (actions are off: no DashboardToken is set)" : "");
}

}  // namespace app
