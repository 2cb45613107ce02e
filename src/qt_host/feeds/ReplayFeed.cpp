// Replay of a recorded file on the event loop.
#include "qt_host/feeds/ReplayFeed.h"

#include <QFileInfo>
#include <cmath>
#include <fstream>

namespace qt_host::feeds {

ReplayFeed::ReplayFeed(QString file, bool fast, QObject* parent)
    : Feed(parent), file_(std::move(file)), fast_(fast) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ReplayFeed::Next);
}

QString ReplayFeed::Describe() const {
    return QString("replay %1%2").arg(QFileInfo(file_).fileName(), fast_ ? " (fast)" : "");
}

void ReplayFeed::Start() {
    std::ifstream in(file_.toStdString(), std::ios::binary);
    if (!in || QFileInfo(file_).isDir()) {
        SetStatus(QString("%1: cannot read %2").arg(Describe(), file_));
        Finish();
        return;
    }
    lines_ = builtin_host::ReadReplay(in);
    SetStatus(QString("%1: %2 lines").arg(Describe()).arg(lines_.size()));
    ScheduleNext();
}

void ReplayFeed::ScheduleNext() {
    if (next_ >= lines_.size()) {
        SetStatus(QString("%1: finished, %2 lines").arg(Describe()).arg(lines_.size()));
        Finish();
        return;
    }
    double delay_s = fast_ ? 0 : builtin_host::ReplayDelay_s(lastTime_s_, lines_[next_]);
    if (!std::isfinite(delay_s) || delay_s < 0) delay_s = 0;
    // QTimer takes an int of milliseconds: a gap of weeks in a capture waits 24 days at most.
    timer_.start(static_cast<int>(std::min(delay_s * 1000.0, 2.0e9)));
}

void ReplayFeed::Next() {
    const auto& line = lines_[next_++];
    if (line.time_s) lastTime_s_ = line.time_s;
    DeliverLine(line.tnc2);
    ScheduleNext();
}

}  // namespace qt_host::feeds
