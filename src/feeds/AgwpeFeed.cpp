// AGWPE over TCP to monitor lines.
#include "feeds/AgwpeFeed.h"

#include "decode/Ax25.h"

namespace feeds {

void AgwpeFeed::OnConnected() {
    Send(decode::AgwpeRawMonitorRequest());
}

void AgwpeFeed::OnBytes(std::string_view bytes) {
    for (const auto& frame : deframer_.Feed(bytes)) {
        if (frame.kind != 'K') continue;  // answers to other requests, if a server sends any
        if (auto line = decode::Ax25ToTnc2(decode::AgwpeRawAx25(frame)))
            Out().Line(std::move(*line));
        else
            ++notUi_;
    }
    // Without delimiters a stream out of step cannot be read again: start a new link.
    if (deframer_.outOfStep()) Drop("the server sent something that is not AGWPE");
}

}  // namespace feeds
