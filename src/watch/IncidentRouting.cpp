// The incident feature wired to the watch.
#include "watch/IncidentRouting.h"

#include <iostream>

#include "incident_outlets/IsoTime.h"
#include "incident_outlets/JsonLines.h"
#include "incidents/TabLines.h"
#include "platform/Log.h"

namespace watch {

std::unique_ptr<incidents::EmergencyCommand> MakeEmergencyCommand(platform::Timers& timers,
                                                                  const std::string& command) {
    if (command.empty()) return nullptr;
    return std::make_unique<incidents::EmergencyCommand>(timers, command);
}

std::string LogFolder(const std::string& dataFolder, const watch_settings::FeedSettings& feed) {
    if (feed.source != watch_settings::FeedSource::Replay)
        return incidents::IncidentLog::DefaultFolder(dataFolder);
    const std::string folder =
        incidents::IncidentLog::ReplayFolder(dataFolder, feed.replayFile, incidents::SecondsNow());
    platform::LogLine(platform::Level::Info) << "a replay, logged apart in " << folder;
    return folder;
}

std::optional<incidents::Evidence> EvidenceCounted(const builtin_host::BuiltinHost& host,
                                                   const incidents::IncidentBook& book,
                                                   const std::string& callsign) {
    const builtin_host::StationEvidence* noted = host.Emergencies().Find(callsign);
    if (noted == nullptr) return std::nullopt;
    incidents::Evidence evidence = static_cast<const incidents::Evidence&>(*noted);
    const incidents::Incident* incident = book.Latest(callsign);
    if (incident == nullptr || incident->state == incidents::State::Closed) return evidence;
    evidence.count = incident->frames;
    evidence.firstHeard_s = incident->opened_s;
    return evidence;
}

void RouteIncidents(incidents::Stream& events, builtin_host::BuiltinHost& host,
                    const incidents::IncidentBook& book, Outlets& outlets, Printed printed) {
    if (printed == Printed::JsonLines) events.Subscribe(incidents::JsonLinePrinter(std::cout));
    if (printed == Printed::TabLines) events.Subscribe(incidents::TabLinePrinter(std::cout));
    events.Subscribe([&outlets, &book](const incidents::Event& event) {
        outlets.log.Append(event);
        if (HeldBack(book, event)) return;
        if (outlets.notify) outlets.notify(event);
        if (outlets.command) outlets.command->Run(event);
    });
    host.SetEvidenceListener([&events](const builtin_host::EvidenceBook::Noted& noted) {
        if (noted.evidence == nullptr || !noted.newPoint) return;
        const builtin_host::TrackPoint& point = noted.evidence->track.back();
        events.Emit(incidents::Event{
            point.time_s, incidents::Position{noted.evidence->callsign,
                                              {point.latitude_deg, point.longitude_deg}}});
    });
}

void KeepIncidents(incidents::IncidentBook& book, incidents::Stream& events,
                   builtin_host::BuiltinHost& host, const incidents::WatchList& watch) {
    book.SetWatchList(watch);
    book.SetChangeSink([&events](const incidents::Change& change) {
        events.Emit(incidents::Event{change.time_s, incidents::IncidentChange{change}});
    });
    host.SetSightingListener([&book](const sighting::Sighting& frame) { book.Observe(frame); });
    // Each incident keeps the evidence of its own frames; a closed one keeps what it had.
    events.Subscribe([&book](const incidents::Event& event) {
        const auto* emergency = std::get_if<incidents::Emergency>(&event.what);
        if (emergency != nullptr && emergency->evidence)
            book.NoteEvidence(emergency->panel[incidents::Box::Callsign], *emergency->evidence);
    });
    events.Subscribe([&book](const incidents::Event& event) {
        if (std::holds_alternative<incidents::Acknowledged>(event.what))
            book.AcknowledgeAllNew(event.time_s, "the station's operator");
    });
}

void SoundReopenedIncidents(incidents::Stream& events, const incidents::IncidentBook& book,
                            ui::Timer& alarm) {
    events.Subscribe([&book, &alarm](const incidents::Event& event) {
        const auto* emergency = std::get_if<incidents::Emergency>(&event.what);
        if (emergency == nullptr || alarm.TimerEnabled()) return;
        const incidents::Incident* incident =
            book.Latest(emergency->panel[incidents::Box::Callsign]);
        if (incident != nullptr && incident->state == incidents::State::New &&
            incident->heldBackReason.empty())
            alarm.SetTimerEnabled(true);
    });
}

std::optional<incidents::Place> HomePlace(const builtin_host::HostSettings& settings) {
    const auto home = builtin_host::HomeFromSettings(settings);
    if (!home) return std::nullopt;
    return incidents::Place{home->latitude_deg, home->longitude_deg};
}

}  // namespace watch
