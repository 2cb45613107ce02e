// The self-pipe trick: the signal handler only writes the signal's number as a byte; the
// event loop does the rest.
#include "app/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace app {

namespace {

int pipeFds[2] = {-1, -1};

void OnSignal(int sig) {
    const char byte = static_cast<char>(sig);
    [[maybe_unused]] const auto written = ::write(pipeFds[1], &byte, 1);
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop, std::function<void()> onReload)
    : onStop_(std::move(onStop)), onReload_(std::move(onReload)) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        bool stop = false, reload = false;
        for (ssize_t n; (n = ::read(pipeFds[0], bytes, sizeof bytes)) > 0;) {
            for (ssize_t i = 0; i < n; ++i)
                (bytes[i] == SIGHUP && onReload_ ? reload : stop) = true;
        }
        if (reload) onReload_();
        if (stop && onStop_) onStop_();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

StopSignals::~StopSignals() {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) std::signal(sig, SIG_DFL);
    notifier_.reset();
    for (int& fd : pipeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

}  // namespace app
