// Replay of a recorded file on the event loop.
#include "qt_host/feeds/ReplayFeed.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <cmath>

namespace qt_host::feeds {

namespace {

// How long one slice of lines due at once may hold the event loop.
constexpr qint64 kSlice_ms = 8;

std::size_t CountLines(std::istream& in) {
    std::size_t count = 0;
    while (decode::ReadReplayLine(in)) ++count;
    return count;
}

}  // namespace

ReplayFeed::ReplayFeed(QString file, bool fast, QObject* parent)
    : Feed(parent), file_(std::move(file)), fast_(fast) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ReplayFeed::Next);
}

QString ReplayFeed::Describe() const {
    return QString("replay %1%2").arg(QFileInfo(file_).fileName(), fast_ ? " (fast)" : "");
}

void ReplayFeed::Start() {
    in_.open(file_.toStdString(), std::ios::binary);
    if (!in_ || QFileInfo(file_).isDir()) {
        SetStatus(QString("%1: cannot read %2").arg(Describe(), file_));
        Finish();
        return;
    }
    // Counted first, for the status; then read again from the start as it is replayed.
    total_ = CountLines(in_);
    in_.clear();
    in_.seekg(0);
    SetStatus(QString("%1: %2 lines").arg(Describe()).arg(total_));
    ReadAhead();
    ScheduleNext();
}

double ReplayFeed::DelayOfNext_s() const {
    double delay_s = fast_ ? 0 : decode::ReplayDelay_s(lastTime_s_, *next_);
    return std::isfinite(delay_s) && delay_s > 0 ? delay_s : 0;
}

void ReplayFeed::ScheduleNext() {
    if (!next_) {
        SetStatus(QString("%1: finished, %2 lines").arg(Describe()).arg(total_));
        Finish();
        return;
    }
    // QTimer takes an int of milliseconds: a gap of weeks in a capture waits 24 days at most.
    timer_.start(static_cast<int>(std::min(DelayOfNext_s() * 1000.0, 2.0e9)));
}

void ReplayFeed::Next() {
    QElapsedTimer slice;
    slice.start();
    do {
        const decode::ReplayLine line = std::move(*next_);
        if (line.time_s) lastTime_s_ = line.time_s;
        ReadAhead();
        DeliverLine(line.tnc2);
    } while (next_ && DelayOfNext_s() == 0 && !slice.hasExpired(kSlice_ms));
    ScheduleNext();
}

}  // namespace qt_host::feeds
