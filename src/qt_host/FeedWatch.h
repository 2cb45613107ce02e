// The silence watchdog on the Qt event loop: listens to a feed's activity and checks the
// time once a second. The clock is Unix time in seconds, replaceable for tests.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "builtin_host/FeedWatchdog.h"
#include "qt_host/feeds/Feed.h"

namespace qt_host {

class FeedWatch final : public QObject {
    Q_OBJECT
public:
    using EpochClock = std::function<std::int64_t()>;
    static std::int64_t SystemSeconds();

    // Starts counting at once; a limit of 0 never alarms.
    FeedWatch(feeds::Feed& feed, std::int64_t limit_s, EpochClock clock = SystemSeconds,
              QObject* parent = nullptr);

    // Silence: how long, and when anything was last heard (Unix seconds).
    std::function<void(std::int64_t silent_s, std::int64_t lastHeard_s)> onSilent;
    std::function<void()> onBack;

    // One check against the clock; the timer calls it every second.
    void Tick();
    const builtin_host::FeedWatchdog& Watchdog() const { return dog_; }

private:
    void Heard();

    EpochClock clock_;
    builtin_host::FeedWatchdog dog_;
    QTimer timer_;
};

// "No traffic on KISS 127.0.0.1:8001 since 12:03:04 (15 min)": the warning band's text, with
// the local time of the last arrival.
QString SilenceWarningText(const QString& feed, std::int64_t lastHeard_s, std::int64_t silent_s);

}  // namespace qt_host
