// KISS over TCP to monitor lines.
#include "feeds/KissTcpFeed.h"

#include "decode/Ax25.h"

namespace feeds {

void KissTcpFeed::OnBytes(std::string_view bytes) {
    for (const auto& frame : deframer_.Feed(bytes)) {
        if (auto line = decode::Ax25ToTnc2(frame))
            Out().Line(std::move(*line));
        else
            ++notUi_;
    }
}

}  // namespace feeds
