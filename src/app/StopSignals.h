// SIGTERM, SIGINT and SIGHUP become a call on the event loop, so the program can end through
// its normal close path (settings written) instead of dying mid-way.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace app {

class StopSignals : public QObject {
public:
    // One instance per program; `onStop` runs on the event loop for each signal.
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals() override;

private:
    std::function<void()> onStop_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace app
