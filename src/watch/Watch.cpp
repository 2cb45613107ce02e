// The watch's parts made in the order they outlive each other, and joined to the program.
#include "watch/Watch.h"

#include "watch/FeedWatch.h"

namespace watch {

std::int64_t Watch::Seconds() {
    return FeedWatch::SystemSeconds();
}

Watch::Watch(platform::Clock& clock, platform::Timers& timers, const WatchStart& start)
    : host(clock,
           builtin_host::HomeFromSettings(start.host).value_or(builtin_host::HomePosition{})),
      outlets{.log = incidents::IncidentLog(LogFolder(start.dataFolder, start.feed)),
              .notify = {},
              .command = MakeEmergencyCommand(timers, start.command)},
      events(Seconds),
      kept(timers, book, events, outlets.log.Folder(),
           start.feed.source != watch_settings::FeedSource::Replay, HomePlace(start.host)),
      watchList_(start.settings.watchList),
      homeCallsign_(start.host.callsign),
      logRetry_(timers) {
    host.MapState().SetScale(start.host.mapScale);  // the map window opens at it
    outlets.log.KeepDays(start.settings.incidentDays);
}

void Watch::Join(program::Sirenwatch& program, Printed printed,
                 const std::function<void()>& beforeBoard) {
    report.emplace(program.Main(), program.Values(), events,
                   [this](const std::string& call) { return EvidenceCounted(host, book, call); });
    board.emplace(host, program.Main(), book, homeCallsign_, Seconds);
    board->SetProgramValues(program.Values());
    FollowLanguageAndUnit(program.Main(), *board);
    // The incident log's health is on the dashboard; what it could not write is tried again.
    board->WatchLog(outlets.log.Health());
    outlets.log.SetHealthListener([this] { board->Changed(); });
    logRetry_.Start(5000, [this] { outlets.log.Retry(); });
    KeepIncidents(book, events, host, watchList_);
    program.SetHeldBack(
        [this](const std::string& callsign) { return incidents::HeldBack(book, callsign); });
    RouteIncidents(events, host, book, outlets, printed);
    if (beforeBoard) beforeBoard();
    events.Subscribe([this](const incidents::Event& event) { board->Event(event); });
    SoundReopenedIncidents(events, book, program.Main().TimerAllarme);  // after the printers
}

bool Watch::Start(program::Sirenwatch& program) {
    if (!program.Start()) return false;
    host.SetEmergencyType(program.Values().TipoMessaggio);
    if (kept.Start()) program.Main().TimerAllarme.SetTimerEnabled(true);
    program.Main().Show();
    return true;
}

}  // namespace watch
