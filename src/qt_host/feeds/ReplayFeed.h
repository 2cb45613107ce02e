// Replay of recorded traffic: one monitor line per line, paced by the lines' timestamps or,
// when fast, one line per turn of the event loop so the program stays responsive.
#pragma once

#include <QTimer>
#include <cstddef>
#include <optional>
#include <vector>

#include "builtin_host/Replay.h"
#include "qt_host/feeds/Feed.h"

namespace qt_host::feeds {

class ReplayFeed final : public Feed {
    Q_OBJECT
public:
    ReplayFeed(QString file, bool fast, QObject* parent = nullptr);

    // Reads the whole file; one that cannot be read ends the feed at once with a status.
    void Start() override;
    QString Describe() const override;

private:
    void Next();
    void ScheduleNext();

    QString file_;
    bool fast_;
    std::vector<builtin_host::ReplayLine> lines_;
    std::size_t next_ = 0;
    std::optional<double> lastTime_s_;
    QTimer timer_;
};

}  // namespace qt_host::feeds
