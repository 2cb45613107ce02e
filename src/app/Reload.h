// What is read again while the watch goes on (SIGHUP on Linux, a written settings file on
// Windows): the watch's settings, the emergency command,
// the message type that counts as an emergency.
#pragma once

#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "builtin_host/BuiltinHost.h"
#include "incidents/IncidentBook.h"
#include "platform/ProgramValues.h"
#include "platform/Timers.h"
#include "watch/IncidentRouting.h"
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

// What a reading again changes: the command, the days of log kept, the watch list, the message
// type that counts as an emergency. The station table, the alarm and the feed stay as they are.
struct ReloadTargets {
    std::string hostFolder;
    const CommandLine& options;
    std::string& commandInForce;
    watch::Outlets& outlets;
    platform::Timers& timers;
    incidents::IncidentBook& book;
    platform::ProgramValues& values;
    builtin_host::BuiltinHost& host;
};
void ReadSettingsAgain(const ReloadTargets& to);

}  // namespace app
