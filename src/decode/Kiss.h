// KISS framing over a byte stream (a TNC on TCP or a serial line): deframer and encoder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace decode {

inline constexpr char kKissFend = '\xC0';
inline constexpr char kKissFesc = '\xDB';
inline constexpr char kKissTfend = '\xDC';
inline constexpr char kKissTfesc = '\xDD';

// One data frame taken out of the stream: the TNC port (high nibble of the type byte) and
// the AX.25 frame without its flags or FCS.
struct KissFrame {
    int port = 0;
    std::string data;
};

// Turns a byte stream, cut anywhere, into data frames. Frames of any other command
// (TX delay, persistence...) are dropped, and so is a frame that grows past
// kMaxFrameBytes: the buffer stays bounded whatever the peer sends.
class KissDeframer {
public:
    static constexpr std::size_t kMaxFrameBytes = 400;  // AX.25 UI max ~330 + margin

    // The AX.25 payloads of the data frames completed by these bytes, in order.
    std::vector<std::string> Feed(std::string_view bytes);
    // Same, keeping the port of each frame.
    std::vector<KissFrame> FeedFrames(std::string_view bytes);

    // Frames thrown away so far (too long, bad escape, not a data frame).
    std::size_t discarded() const { return discarded_; }

private:
    void EndFrame(std::vector<KissFrame>& out);
    void Append(char c);

    std::string buffer_;
    bool escaped_ = false;
    bool overflow_ = false;
    bool badEscape_ = false;
    std::size_t discarded_ = 0;
};

// One data frame for the given port (0..15), with FEND on both sides and escapes applied.
std::string KissEncode(std::string_view frame, int port = 0);

}  // namespace decode
