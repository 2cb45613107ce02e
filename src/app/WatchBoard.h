// The dashboard's view of the watch as it runs today: the stations in emergency from the
// evidence book, the built-in host's stations and circles, the main window's alarm, the
// feed's health, and what operators did kept in memory. Whoever keeps incidents with their
// states later takes its place behind the same Source.
#pragma once

#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "builtin_host/BuiltinHost.h"
#include "forms/FrmMain.h"
#include "qt_host/dashboard/DashboardSource.h"

namespace app {

class WatchBoard final : public qt_host::dashboard::Source {
public:
    using EpochClock = std::function<std::int64_t()>;
    static constexpr std::size_t kMaxStations = 500;   // the most recently heard are shown
    static constexpr std::size_t kMaxIncidents = 200;  // open ones first, then the latest
    static constexpr std::size_t kMaxNotes = 100;      // per incident; the oldest go

    WatchBoard(builtin_host::BuiltinHost& host, forms::FrmMain& form, std::string homeCallsign,
               EpochClock clock);

    qt_host::dashboard::Snapshot Current() const override;
    qt_host::dashboard::ActionResult Act(const qt_host::dashboard::Action& action) override;

    void SetFeedName(std::string name) { feed_.name = std::move(name); }
    // An event of the watch (emergency, alarm, feed): what the page shows may have changed.
    void Event(const QJsonObject& event);
    void FrameHeard();

private:
    struct Record {
        std::string state = "new";
        std::string operatorName;
        std::vector<qt_host::dashboard::Note> notes;
        std::int64_t closed_s = 0;
    };
    Record& RecordOf(const builtin_host::Evidence& evidence);
    Record Shown(const builtin_host::Evidence& evidence) const;

    builtin_host::BuiltinHost& host_;
    forms::FrmMain& form_;
    std::string homeCallsign_;
    EpochClock clock_;
    qt_host::dashboard::FeedHealth feed_;
    std::map<std::string, Record, std::less<>> records_;
};

}  // namespace app
