// The AGWPE TCP/IP API's framing (Direwolf and many soft TNCs serve it on TCP port 8000):
// each frame is a 36-byte header (port, kind, PID, call from, call to, data length, user)
// followed by its data. We ask for raw AX.25 frames ('k') and read what comes back ('K').
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace decode {

inline constexpr std::size_t kAgwpeHeaderBytes = 36;

struct AgwpeFrame {
    int port = 0;   // the TNC's radio port, counted from 0
    char kind = 0;  // 'K' raw AX.25 frame, 'k' the request for them, 'R' version...
    int pid = 0;
    std::string callFrom;  // at most 10 bytes, stored without the padding NULs
    std::string callTo;
    std::string data;
};

// Cuts a byte stream, split anywhere, into frames. A frame whose data is larger than
// kMaxDataBytes is skipped without being buffered. A header that cannot be an AGWPE header
// (a length beyond any the protocol uses) leaves the stream out of step: from then on
// nothing is read, and the link should be dropped and made again.
class AgwpeDeframer {
public:
    static constexpr std::size_t kMaxDataBytes = 4096;
    static constexpr std::uint32_t kMaxSaneLength = 1u << 20;

    std::vector<AgwpeFrame> Feed(std::string_view bytes);

    bool outOfStep() const { return outOfStep_; }
    std::size_t discarded() const { return discarded_; }

private:
    std::string header_;
    AgwpeFrame frame_;
    std::uint32_t remaining_ = 0;  // data bytes still to come for the current frame
    bool inData_ = false;
    bool skipping_ = false;
    bool outOfStep_ = false;
    std::size_t discarded_ = 0;
};

// Header and data of one frame, as a client or a server writes it.
std::string AgwpeEncode(const AgwpeFrame& frame);

// The frame that asks the server for raw AX.25 frames of every port.
std::string AgwpeRawMonitorRequest();

// The AX.25 frame (no flags, no FCS) of a raw-frame report: its data is one KISS-style
// port byte followed by the frame. Empty for any other kind of frame.
std::string AgwpeRawAx25(const AgwpeFrame& frame);

}  // namespace decode
