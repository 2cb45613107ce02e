// Feeding the watchdog from a feed and a one-second timer.
#include "qt_host/FeedWatch.h"

#include <QDateTime>
#include <exception>
#include <iostream>

#include "qt/SafeCall.h"

namespace qt_host {

std::int64_t FeedWatch::SystemSeconds() {
    return QDateTime::currentSecsSinceEpoch();
}

FeedWatch::FeedWatch(feeds::Feed& feed, std::int64_t limit_s, EpochClock clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), dog_(limit_s, clock_()) {
    feed.SetActivityHandler([this] { Heard(); });
    connect(&timer_, &QTimer::timeout, this, &FeedWatch::Tick);
    if (limit_s > 0) timer_.start(1000);
}

void FeedWatch::Heard() {
    if (dog_.Heard(clock_()) == builtin_host::FeedWatchdog::Change::Back) qt::SafeCall(onBack);
}

void FeedWatch::Tick() {
    const std::int64_t now = clock_();
    if (dog_.Check(now) != builtin_host::FeedWatchdog::Change::Silent) return;
    const std::int64_t last = dog_.LastHeard();
    qt::SafeCall([&] {
        if (onSilent) onSilent(now - last, last);
    });
}

QString SilenceWarningText(const QString& feed, std::int64_t lastHeard_s, std::int64_t silent_s) {
    const QString when = QDateTime::fromSecsSinceEpoch(lastHeard_s).toString("HH:mm:ss");
    const QString length =
        silent_s >= 120 ? QString("%1 min").arg(silent_s / 60) : QString("%1 s").arg(silent_s);
    return QString("Nothing heard on %1 since %2 (%3)").arg(feed, when, length);
}

}  // namespace qt_host
