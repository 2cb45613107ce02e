// The incident feature wired to the watch: the outlets of the events, the book fed with every
// decoded frame and the host's evidence, the window's acknowledgement passed on.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "incident_outlets/EmergencyCommand.h"
#include "incident_outlets/IncidentLog.h"
#include "incident_ui/DesktopNotifier.h"
#include "incidents/Events.h"
#include "incidents/IncidentBook.h"
#include "platform/ProgramValues.h"
#include "platform/Timers.h"
#include "ui/Controls.h"
#include "watch_settings/WatchSettings.h"

namespace app {

// Where events go besides standard output: the incident log, the desktop, the user's command.
struct IncidentOutlets {
    incidents::IncidentLog log;
    incident_ui::DesktopNotifier notifier;
    std::unique_ptr<incidents::EmergencyCommand> command;
};

// The user's command for new emergencies, when one is set.
std::unique_ptr<incidents::EmergencyCommand> MakeEmergencyCommand(platform::Timers& timers,
                                                                  const std::string& command);

// A replay's events go to a log of its own: its emergencies are made up or long past.
std::string LogFolder(const std::string& dataFolder, const watch_settings::FeedSettings& feed);

// The built-in host's evidence of a station, as the events carry it: without its track.
std::optional<incidents::Evidence> EvidenceOf(const builtin_host::EvidenceBook& book,
                                              const std::string& callsign);

// The station's evidence counted as its incident counts it. The host forgets its stations when
// the watch stops, and counts from when it first heard one; the book keeps its incidents across
// a restart, so a station whose incident was taken up open is not a new emergency again, and
// one whose incident was closed is a new one at its next emergency.
std::optional<incidents::Evidence> CountedByIncident(const incidents::IncidentBook& book,
                                                     const std::string& callsign,
                                                     std::optional<incidents::Evidence> evidence);

// Standard output in the form asked for (tab lines only headless), the outlets, and the new
// places of stations in emergency as the host notes them. What the watch list held back is
// logged but wakes nobody.
void RouteIncidents(incidents::Stream& events, builtin_host::BuiltinHost& host,
                    const incidents::IncidentBook& book, IncidentOutlets& outlets,
                    const CommandLine& options, bool headless);

// The incident book hears every decoded frame before the add-on does, its changes join the
// events, and the alarm silenced at the window acknowledges what was new.
void KeepIncidents(incidents::IncidentBook& book, incidents::Stream& events,
                   builtin_host::BuiltinHost& host, const incidents::WatchList& watch);

// The add-on sounds for a station new to its table only: a closed incident's station in
// emergency again opens a new incident that would wait unheard. It sounds too, unless held back.
// Subscribed after the printers, so the emergency's line comes before the alarm's.
void SoundReopenedIncidents(incidents::Stream& events, const incidents::IncidentBook& book,
                            ui::Timer& alarm);

// Where the home station is, when the host's settings say.
std::optional<incidents::Place> HomePlace(const builtin_host::HostSettings& settings);

}  // namespace app
