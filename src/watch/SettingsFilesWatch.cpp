// Looking at the settings files' times and sizes on the program's timers.
#include "watch/SettingsFilesWatch.h"

#include <filesystem>
#include <utility>

#include "platform/Paths.h"

namespace watch {

SettingsFilesWatch::SettingsFilesWatch(platform::Timers& timers, std::vector<std::string> files,
                                       std::function<void()> onWritten, int interval_ms)
    : files_(std::move(files)), onWritten_(std::move(onWritten)), timer_(timers) {
    read_ = Look();
    timer_.Start(interval_ms, [this] { Tick(); });
}

std::vector<SettingsFilesWatch::Stamp> SettingsFilesWatch::Look() const {
    std::vector<Stamp> stamps;
    for (const std::string& file : files_) {
        std::error_code ec;
        const std::filesystem::path path = platform::FilePath(file);
        const auto written = std::filesystem::last_write_time(path, ec);
        if (ec) {
            stamps.push_back({});
            continue;
        }
        const auto size = std::filesystem::file_size(path, ec);
        stamps.push_back({static_cast<std::int64_t>(written.time_since_epoch().count()),
                          ec ? -1 : static_cast<std::int64_t>(size)});
    }
    return stamps;
}

void SettingsFilesWatch::Tick() {
    const std::vector<Stamp> now = Look();
    if (now == read_) {
        pending_.clear();
        return;
    }
    if (now != pending_) {  // still being written, or just changed: look once more
        pending_ = now;
        return;
    }
    read_ = now;
    pending_.clear();
    onWritten_();
}

}  // namespace watch
