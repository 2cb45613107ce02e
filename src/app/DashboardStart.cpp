// Starting the dashboard with a bounded back-off between tries.
#include "app/DashboardStart.h"

#include <algorithm>

#include "platform/Log.h"

namespace app {

DashboardStart::DashboardStart(std::unique_ptr<qt_host::dashboard::DashboardServer> server,
                               std::string from, std::string note, int firstDelay_ms,
                               int maxDelay_ms)
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
        platform::LogLine(platform::Level::Info)
            << "the dashboard is at " << server_->Url().toStdString()
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

}  // namespace app
