// Monitor lines on standard input (the replay format: an optional timestamp is ignored),
// read without blocking the event loop. The end of input ends the feed.
#pragma once

#include <QSocketNotifier>
#include <memory>

#include "decode/AprsIs.h"
#include "qt_host/feeds/Feed.h"

namespace qt_host::feeds {

class StdinFeed final : public Feed {
    Q_OBJECT
public:
    // fd is standard input unless a test passes a pipe.
    explicit StdinFeed(int fd = 0, QObject* parent = nullptr);

    void Start() override;
    QString Describe() const override { return "standard input"; }
    std::size_t Discarded() const { return lines_.discarded(); }

private:
    void ReadAvailable();
    void End(const QString& status);

    int fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    decode::LineSplitter lines_;
};

}  // namespace qt_host::feeds
