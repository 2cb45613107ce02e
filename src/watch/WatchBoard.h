// The dashboard's view of the watch: the incident book's incidents with their states, grades
// and notes, the built-in host's stations and circles, the main window's alarm and the feed's
// health; operators' actions go to the incident book.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "builtin_host/BuiltinHost.h"
#include "dashboard/DashboardSource.h"
#include "forms/FrmMain.h"
#include "incident_outlets/IncidentLog.h"
#include "incidents/Events.h"
#include "incidents/IncidentBook.h"
#include "platform/ProgramValues.h"

namespace watch {

namespace dash = ::dashboard;

using incidents::HeldBack;

class WatchBoard final : public dashboard::Source {
public:
    using EpochClock = std::function<std::int64_t()>;
    static constexpr std::size_t kMaxStations = 500;   // the most recently heard are shown
    static constexpr std::size_t kMaxIncidents = 200;  // open ones first, then the latest
    static constexpr std::size_t kMaxNotes = 100;      // per incident; the newest are shown
    // One circle per incident shown that is not closed, so at most as many as incidents.
    static constexpr std::size_t kMaxCircles = kMaxIncidents;

    WatchBoard(builtin_host::BuiltinHost& host, forms::FrmMain& form, incidents::IncidentBook& book,
               std::string homeCallsign, EpochClock clock);

    dashboard::Snapshot Current() const override;
    dashboard::ActionResult Act(const dashboard::Action& action) override;

    void SetFeedName(std::string name) { feed_.name = std::move(name); }
    // The add-on's language and unit, followed as they change; Italian and km without them.
    void SetProgramValues(const platform::ProgramValues& values) { values_ = &values; }
    // The incident log's health, shown while the board lives.
    void WatchLog(const incidents::LogHealth& health) { logHealth_ = &health; }
    // The MQTT net's health, asked for at each snapshot, when the watch publishes on one.
    void WatchNet(std::function<dashboard::NetHealth()> health) { netHealth_ = std::move(health); }
    // An event of the watch (emergency, alarm, feed, a change of an incident): what the page
    // shows may have changed.
    void Event(const incidents::Event& event);
    void FrameHeard();

private:
    dash::ActionResult Acknowledge(const dash::Action& action);
    // A refusal in the add-on's language, as the page and the incident list show it.
    dash::ActionResult Refused(const incidents::IncidentBook::Outcome& outcome) const;
    // Whether an incident that sounds is still unacknowledged.
    bool AnyNew() const;
    // Presses the main window's acknowledge button when the siren sounds.
    void SilenceAlarm();
    dash::IncidentView View(const incidents::Incident& incident, bool english) const;
    void AddUnheardIncidents(dash::Snapshot& snapshot) const;
    void AddCircles(dash::Snapshot& snapshot) const;

    builtin_host::BuiltinHost& host_;
    forms::FrmMain& form_;
    incidents::IncidentBook& book_;
    std::string homeCallsign_;
    EpochClock clock_;
    dashboard::FeedHealth feed_;
    const platform::ProgramValues* values_ = nullptr;
    const incidents::LogHealth* logHealth_ = nullptr;
    std::optional<dashboard::WatchGap> watchGap_;
    std::function<dashboard::NetHealth()> netHealth_;
};

// The incident list and the dashboard speak the add-on's language in its unit: a switch in
// the main window's menus shows there at once. Once the program has set the menus' handlers.
void FollowLanguageAndUnit(forms::FrmMain& main, WatchBoard& board);

}  // namespace watch
