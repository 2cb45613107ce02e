// The timers port on Qt's event loop: each timer a single-shot QTimer of its own.
#pragma once

#include <QTimer>
#include <map>
#include <memory>

#include "platform/Timers.h"

namespace qt {

class QtTimers final : public platform::Timers {
public:
    Id After(int ms, std::function<void()> then) override;
    void Cancel(Id id) override;
    // Timers still waiting (for tests).
    std::size_t Waiting() const { return timers_.size(); }

private:
    Id next_ = 1;
    std::map<Id, std::unique_ptr<QTimer>> timers_;
};

}  // namespace qt
