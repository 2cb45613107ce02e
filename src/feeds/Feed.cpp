// The UI thread's handle on a feed.
#include "feeds/Feed.h"

#include <charconv>

namespace feeds {

void Feed::Stop() {
    if (stopped_) return;
    stopped_ = true;
    source_->Out().Silence();
    source_->Stop();
}

std::string SecondsText(int milliseconds) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, milliseconds / 1000.0).ptr;
    return std::string(text, end);
}

}  // namespace feeds
