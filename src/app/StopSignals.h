// SIGTERM and SIGINT become a call on the event loop, so the program can end through its
// normal close path (settings written) instead of dying mid-way; SIGHUP asks it to read its
// settings again.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace app {

class StopSignals : public QObject {
public:
    // One instance per program; `onStop` runs on the event loop for each SIGTERM or SIGINT,
    // `onReload` for each SIGHUP (without one, SIGHUP stops too).
    explicit StopSignals(std::function<void()> onStop, std::function<void()> onReload = {});
    ~StopSignals() override;

private:
    std::function<void()> onStop_;
    std::function<void()> onReload_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace app
