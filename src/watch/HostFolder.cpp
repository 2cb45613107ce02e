// Preparing the built-in host's folder.
#include "watch/HostFolder.h"

#include "builtin_host/HostSetup.h"
#include "platform/Log.h"
#include "watch_settings/WatchSettings.h"

namespace watch {

std::optional<std::string> PrepareHost(const platform::FileLayout& layout) {
    const std::string demo = platform::JoinPath(layout.shared, "demo.tnc2");
    const auto setup = builtin_host::EnsureHostSetup(
        layout.userStore, layout.hostFolder, [&demo](const std::string& folder) {
            return watch_settings::SaveWatchSettings(folder,
                                                     watch_settings::FirstRunSettings(demo));
        });
    if (setup.error.empty()) return setup.folder;
    platform::LogLine(platform::Level::Error) << "host set-up: " << setup.error;
    return std::nullopt;
}

}  // namespace watch
