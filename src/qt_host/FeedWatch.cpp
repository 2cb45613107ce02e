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
    heardAnything_ = true;
    if (dog_.Heard(clock_()) == builtin_host::FeedWatchdog::Change::Back) qt::SafeCall(onBack);
}

void FeedWatch::Tick() {
    const std::int64_t now = clock_();
    const std::int64_t last = dog_.LastHeard();
    if (dog_.Check(now) == builtin_host::FeedWatchdog::Change::Silent) {
        qt::SafeCall([&] {
            if (onSilent) onSilent(now - last, last);
        });
    }
    if (dog_.Silent()) {
        qt::SafeCall([&] {
            if (onStillSilent) onStillSilent(now - last);
        });
    }
}

namespace {

// "85 s", "15 min 05 s", "2 h 03 min": to the second while that still means something.
QString Duration(std::int64_t s) {
    if (s < 120) return QString("%1 s").arg(s);
    if (s < 3600) return QString("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
    return QString("%1 h %2 min").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar('0'));
}

}  // namespace

QString SilenceWarningText(const QString& feed, const FeedWatch& watch, std::int64_t silent_s) {
    if (!watch.HeardAnything())
        return QString("Nothing heard on %1 since start (%2)").arg(feed, Duration(silent_s));
    const QString when =
        QDateTime::fromSecsSinceEpoch(watch.Watchdog().LastHeard()).toString("HH:mm:ss");
    return QString("%1 silent for %2, last heard %3").arg(feed, Duration(silent_s), when);
}

}  // namespace qt_host
