// The one way into the UI thread from the network loop: tasks queued from any thread and run,
// in order, when the UI thread drains the queue. The front end gives a waker that asks its own
// event loop to call Drain (a queued call in Qt, a posted message on Win32); it is called once
// each time the queue stops being empty, so a burst of frames costs one wake.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace net {

class UiQueue {
public:
    using Task = std::function<void()>;

    // Any thread.
    void Post(Task task);
    // Set before anything is posted.
    void SetWaker(std::function<void()> waker);
    // The UI thread: runs what is queued now and returns how many ran. What a task throws is
    // logged and the next task runs.
    std::size_t Drain();
    std::size_t Waiting() const;

private:
    mutable std::mutex mutex_;
    std::deque<Task> tasks_;
    std::function<void()> waker_;
};

}  // namespace net
