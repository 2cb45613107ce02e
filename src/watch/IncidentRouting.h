// The incident feature wired to the watch without a toolkit: the events to standard output and
// the outlets, the book fed with every decoded frame and the host's evidence.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "incident_outlets/EmergencyCommand.h"
#include "incident_outlets/IncidentLog.h"
#include "incidents/Events.h"
#include "incidents/IncidentBook.h"
#include "platform/Timers.h"
#include "ui/Controls.h"
#include "watch_settings/Feed.h"

namespace watch {

// Where events go besides standard output: the incident log, the desktop's notice (none when
// empty), the user's command (none when null).
struct Outlets {
    incidents::IncidentLog log;
    std::function<void(const incidents::Event&)> notify;
    std::unique_ptr<incidents::EmergencyCommand> command;
};

// How events are printed on standard output.
enum class Printed { Nothing, TabLines, JsonLines };

// The user's command for new emergencies, when one is set.
std::unique_ptr<incidents::EmergencyCommand> MakeEmergencyCommand(platform::Timers& timers,
                                                                  const std::string& command);

// A replay's events go to a log of its own: its emergencies are made up or long past.
std::string LogFolder(const std::string& dataFolder, const watch_settings::FeedSettings& feed);

using incidents::HeldBack;

// The station's evidence as the host noted it, counted as its incident counts it: the book
// keeps its incidents across a restart, the host counts from when it first heard the station.
std::optional<incidents::Evidence> EvidenceCounted(const builtin_host::BuiltinHost& host,
                                                   const incidents::IncidentBook& book,
                                                   const std::string& callsign);

// Standard output in the form asked for, the outlets, and the new places of stations in
// emergency as the host notes them. What the watch list held back is logged but wakes nobody.
void RouteIncidents(incidents::Stream& events, builtin_host::BuiltinHost& host,
                    const incidents::IncidentBook& book, Outlets& outlets, Printed printed);

// The book hears every decoded frame before the add-on does, its changes join the events, and
// the alarm silenced at the window acknowledges what was new.
void KeepIncidents(incidents::IncidentBook& book, incidents::Stream& events,
                   builtin_host::BuiltinHost& host, const incidents::WatchList& watch);

// A closed incident's station in emergency again opens a new incident: it sounds too, unless
// held back. Subscribed after the printers, so the emergency's line comes before the alarm's.
void SoundReopenedIncidents(incidents::Stream& events, const incidents::IncidentBook& book,
                            ui::Timer& alarm);

// Where the home station is, when the host's settings say.
std::optional<incidents::Place> HomePlace(const builtin_host::HostSettings& settings);

}  // namespace watch
