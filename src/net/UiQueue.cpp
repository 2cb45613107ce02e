#include "net/UiQueue.h"

#include <exception>

#include "platform/Log.h"

namespace net {

void UiQueue::Post(Task task) {
    bool wake = false;
    std::function<void()> waker;
    {
        std::lock_guard lock(mutex_);
        wake = tasks_.empty();
        tasks_.push_back(std::move(task));
        if (wake) waker = waker_;
    }
    if (wake && waker) waker();
}

void UiQueue::SetWaker(std::function<void()> waker) {
    std::lock_guard lock(mutex_);
    waker_ = std::move(waker);
}

std::size_t UiQueue::Drain() {
    std::deque<Task> now;
    {
        std::lock_guard lock(mutex_);
        now.swap(tasks_);
    }
    for (auto& task : now) {
        try {
            task();
        } catch (const std::exception& e) {
            platform::LogLine(platform::Level::Error) << "dropped after a failure: " << e.what();
        } catch (...) {
            platform::LogLine(platform::Level::Error) << "dropped after an unknown failure";
        }
    }
    return now.size();
}

std::size_t UiQueue::Waiting() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
}

}  // namespace net
