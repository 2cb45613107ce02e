// Deciding when a feed has been quiet for too long, and when it is back.
#include "builtin_host/FeedWatchdog.h"

namespace builtin_host {

FeedWatchdog::FeedWatchdog(std::int64_t limit_s, std::int64_t start_s)
    : limit_s_(limit_s), lastHeard_s_(start_s) {}

FeedWatchdog::Change FeedWatchdog::Heard(std::int64_t now_s) {
    lastHeard_s_ = now_s;
    if (!silent_) return Change::None;
    silent_ = false;
    return Change::Back;
}

FeedWatchdog::Change FeedWatchdog::Check(std::int64_t now_s) {
    if (silent_ || limit_s_ <= 0 || now_s - lastHeard_s_ < limit_s_) return Change::None;
    silent_ = true;
    return Change::Silent;
}

}  // namespace builtin_host
