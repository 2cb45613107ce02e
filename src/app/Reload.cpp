// What SIGHUP reads again, each value told when it cannot be read.
#include "app/Reload.h"

#include "app/StartChecks.h"
#include "builtin_host/HostSettings.h"
#include "platform/Log.h"
#include "platform/NumberText.h"
#include "settings/ProfileFile.h"

namespace app {

std::string MessageType(const std::string& settingsFile) {
    std::string type =
        platform::UCase(settings::ReadProfileString(settingsFile, "SetUp", "MessageType"));
    return type.empty() ? "EMERGENCY" : type;
}

Reread ReadAgain(const std::string& hostFolder, const CommandLine& options,
                 const std::string& commandInForce) {
    Reread r{watch_settings::LoadWatchSettings(hostFolder), std::nullopt};
    for (const builtin_host::SettingNote& note : r.settings.notes)
        platform::LogLine(platform::Level::Warning)
            << "[" << builtin_host::kHostSection << "] " << note.text;
    for (const std::string& problem : r.settings.watchListNotes)
        platform::LogLine(platform::Level::Warning) << "[Watch] " << problem;
    if (options.onEmergency) return r;  // the command line's command stands
    if (const auto problem = CommandFinding(r.settings.onEmergency, false)) {
        platform::LogLine(platform::Level::Error)
            << *problem << "; the new command is refused, "
            << (commandInForce.empty() ? std::string("still none runs")
                                       : "this one stays: " + commandInForce);
        return r;
    }
    r.command = r.settings.onEmergency;
    return r;
}

void ReadSettingsAgain(const ReloadTargets& to) {
    const Reread fresh = ReadAgain(to.hostFolder, to.options, to.commandInForce);
    if (fresh.command) {
        to.commandInForce = *fresh.command;
        to.outlets.command = watch::MakeEmergencyCommand(to.timers, to.commandInForce);
    }
    to.outlets.log.KeepDays(fresh.settings.incidentDays);
    to.book.SetWatchList(fresh.settings.watchList);
    to.values.TipoMessaggio = MessageType(to.values.FileIni);
    to.host.SetEmergencyType(to.values.TipoMessaggio);
    platform::LogLine(platform::Level::Info) << "settings read again from " << to.values.FileIni
                                             << " and " << builtin_host::HostIniPath(to.hostFolder);
}

}  // namespace app
