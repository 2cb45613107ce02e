// Taking the incident book up at start and saving it, with the watch's start and stop.
#include "watch/KeptIncidents.h"

#include <string>

#include "incident_outlets/JsonLines.h"
#include "platform/Log.h"

namespace watch {
namespace {

constexpr std::size_t kProblemsTold = 10;

std::string Iso(std::int64_t seconds) {
    return incidents::IsoTime(seconds);
}

void TellWhatWasFound(const incidents::TakenUp& taken, const std::string& folder,
                      std::uint64_t nextNumber) {
    for (std::size_t i = 0; i < taken.problems.size() && i < kProblemsTold; ++i)
        platform::LogLine(platform::Level::Warning) << taken.problems[i];
    if (taken.problems.size() > kProblemsTold)
        platform::LogLine(platform::Level::Warning)
            << "and " << taken.problems.size() - kProblemsTold
            << " more lines of the incident log left out";
    if (!taken.lastAlive_s) return;
    if (taken.stoppedCleanly) {
        platform::LogLine(platform::Level::Info)
            << "the watch before stopped at " << Iso(*taken.lastAlive_s);
    } else {
        platform::LogLine(platform::Level::Warning)
            << "the watch before did not stop cleanly (killed, or the power "
               "failed); it was last known to run at "
            << Iso(*taken.lastAlive_s);
    }
    platform::LogLine(taken.unsounded > 0 ? platform::Level::Warning : platform::Level::Info)
        << taken.incidents << " incident(s) taken up from " << folder << ": " << taken.open
        << " open, " << taken.unsounded << " not yet acknowledged; the next incident is number "
        << nextNumber;
}

}  // namespace

KeptIncidents::KeptIncidents(platform::Timers& timers, incidents::IncidentBook& book,
                             incidents::Stream& events, const std::string& folder, bool keep,
                             std::optional<incidents::Place> home)
    : book_(book), events_(events), journal_(folder), keep_(keep), home_(home), saveTimer_(timers) {
    events_.Subscribe([this](const incidents::Event& event) {
        const auto& what = event.what;
        changed_ = changed_ || std::holds_alternative<incidents::IncidentChange>(what) ||
                   std::holds_alternative<incidents::Emergency>(what) ||
                   std::holds_alternative<incidents::Position>(what);
    });
}

bool KeptIncidents::Start() {
    incidents::TakenUp taken;
    if (keep_) {
        taken = journal_.Restore(book_);
        TellWhatWasFound(taken, journal_.Folder(), book_.NextNumber());
    }
    events_.Emit(incidents::WatchStarted{
        .lastAlive_s = taken.lastAlive_s, .stoppedCleanly = taken.stoppedCleanly, .home = home_});
    if (keep_) {
        Save(false);  // a watch that keeps failing at start reads no more than this each time
        saveTimer_.Start(kSaveEvery_ms, [this] {
            if (changed_) {
                Save(false);
            } else {
                journal_.StillRunning(incidents::SecondsNow());
            }
        });
    }
    return taken.unsounded > 0;
}

void KeptIncidents::Stop() {
    saveTimer_.Stop();
    events_.Emit(incidents::WatchStopped{.home = home_});
    if (keep_) Save(true);
}

void KeptIncidents::Save(bool stopped) {
    const auto saved = journal_.Save(book_, incidents::SecondsNow(), stopped);
    if (!saved && !saveFailed_) {
        platform::LogLine(platform::Level::Warning)
            << "the incident book cannot be saved (the incident log still holds "
               "every change): "
            << saved.error().text;
    } else if (saved && saveFailed_) {
        platform::LogLine(platform::Level::Info) << "the incident book is saved again";
    }
    saveFailed_ = !saved;
    changed_ = saveFailed_;
}

}  // namespace watch
