// What SIGHUP reads again while the watch goes on: the watch's settings, the emergency command,
// the message type that counts as an emergency.
#pragma once

#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "watch_settings/WatchSettings.h"

namespace app {

// The message type that counts as an emergency, as the add-on reads it at start-up.
std::string MessageType(const std::string& settingsFile);

// SIGHUP's reading: the values that may change while watching, each told when it cannot be
// read. A command that cannot run is refused and the one in force kept, since an emergency
// must never meet no command because of a typing mistake.
struct Reread {
    watch_settings::WatchSettings settings;
    std::optional<std::string> command;  // nothing: keep the one in force
};
Reread ReadAgain(const std::string& hostFolder, const CommandLine& options,
                 const std::string& commandInForce);

}  // namespace app
