// The watch core's network loop: one Boost.Asio io_context on a thread of its own, shared by
// the feeds and the dashboard's server. Nothing it hears is handled there: whole frames and
// requests cross to the UI thread through a UiQueue.
#pragma once

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <functional>
#include <optional>
#include <thread>

namespace net {

class IoThread {
public:
    IoThread();
    ~IoThread();  // stops and joins
    IoThread(const IoThread&) = delete;
    IoThread& operator=(const IoThread&) = delete;

    boost::asio::io_context& Context() { return context_; }
    void Start();
    // Ends the loop and waits for the thread; handlers still queued are dropped.
    void Stop();
    // Runs the task on the loop's thread and waits for it (at once when already there, or
    // when the loop is not running). Called by the thread that starts and stops the loop.
    void RunAndWait(const std::function<void()>& task);
    bool Running() const { return thread_.joinable(); }
    bool OnLoopThread() const { return std::this_thread::get_id() == thread_.get_id(); }

private:
    boost::asio::io_context context_;
    std::optional<boost::asio::executor_work_guard<boost::asio::io_context::executor_type>> work_;
    std::thread thread_;
};

}  // namespace net
