// Replay of recorded traffic: one monitor line per line, paced by the lines' timestamps or,
// when fast, as fast as the program takes them. The file is read as it is replayed, so a
// capture of any length costs no memory; lines due at once are handed on in slices of a few
// milliseconds, with a turn of the event loop between slices so the program stays responsive.
#pragma once

#include <QTimer>
#include <cstddef>
#include <fstream>
#include <optional>

#include "decode/Replay.h"
#include "qt_host/feeds/Feed.h"

namespace qt_host::feeds {

class ReplayFeed final : public Feed {
    Q_OBJECT
public:
    ReplayFeed(QString file, bool fast, QObject* parent = nullptr);

    // Opens the file; one that cannot be read ends the feed at once with a status.
    void Start() override;
    QString Describe() const override;

private:
    void Next();
    void ScheduleNext();
    double DelayOfNext_s() const;
    void ReadAhead() { next_ = decode::ReadReplayLine(in_); }

    QString file_;
    bool fast_;
    std::ifstream in_;
    std::size_t total_ = 0;  // lines in the file
    std::optional<decode::ReplayLine> next_;
    std::optional<double> lastTime_s_;
    QTimer timer_;
};

}  // namespace qt_host::feeds
