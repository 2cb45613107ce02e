// One-shot timers on Qt's event loop.
#include "qt/QtTimers.h"

namespace qt {

platform::Timers::Id QtTimers::After(int ms, std::function<void()> then) {
    const Id id = next_++;
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(true);
    QObject::connect(timer.get(), &QTimer::timeout, [this, id, then = std::move(then)] {
        // The timer goes later, not inside its own signal; `then` may start new ones.
        const auto found = timers_.find(id);
        if (found == timers_.end()) return;
        found->second.release()->deleteLater();
        timers_.erase(found);
        then();
    });
    timer->start(ms);
    timers_.emplace(id, std::move(timer));
    return id;
}

void QtTimers::Cancel(Id id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return;
    found->second->stop();
    found->second.release()->deleteLater();
    timers_.erase(found);
}

}  // namespace qt
