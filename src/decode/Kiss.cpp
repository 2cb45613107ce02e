// KISS deframing: a small state machine over the bytes, so chunks may split a frame anywhere.
#include "decode/Kiss.h"

namespace decode {

std::vector<std::string> KissDeframer::Feed(std::string_view bytes) {
    std::vector<std::string> payloads;
    for (auto& frame : FeedFrames(bytes)) payloads.push_back(std::move(frame.data));
    return payloads;
}

std::vector<KissFrame> KissDeframer::FeedFrames(std::string_view bytes) {
    std::vector<KissFrame> frames;
    for (const char c : bytes) {
        if (c == kKissFend) {
            EndFrame(frames);
        } else if (escaped_) {
            escaped_ = false;
            if (c == kKissTfend) {
                Append(kKissFend);
            } else if (c == kKissTfesc) {
                Append(kKissFesc);
            } else {
                badEscape_ = true;  // a corrupted frame is worth less than a lost one
            }
        } else if (c == kKissFesc) {
            escaped_ = true;
        } else {
            Append(c);
        }
    }
    return frames;
}

void KissDeframer::Append(char c) {
    if (overflow_) return;
    if (buffer_.size() >= kMaxFrameBytes) {
        overflow_ = true;
        buffer_.clear();
        buffer_.shrink_to_fit();
        return;
    }
    buffer_.push_back(c);
}

void KissDeframer::EndFrame(std::vector<KissFrame>& out) {
    const bool bad = overflow_ || badEscape_ || escaped_;
    const bool empty = buffer_.empty() && !overflow_ && !badEscape_;
    if (!empty) {
        const auto type = buffer_.empty() ? 0xFF : static_cast<unsigned char>(buffer_[0]);
        const bool dataFrame = (type & 0x0F) == 0 && buffer_.size() > 1;
        if (bad || !dataFrame) {
            ++discarded_;
        } else {
            out.push_back(KissFrame{static_cast<int>(type >> 4), buffer_.substr(1)});
        }
    }
    buffer_.clear();
    overflow_ = badEscape_ = escaped_ = false;
}

std::string KissEncode(std::string_view frame, int port) {
    std::string out;
    out.reserve(frame.size() + 4);
    out.push_back(kKissFend);
    out.push_back(static_cast<char>((port & 0x0F) << 4));
    for (const char c : frame) {
        if (c == kKissFend) {
            out += {kKissFesc, kKissTfend};
        } else if (c == kKissFesc) {
            out += {kKissFesc, kKissTfesc};
        } else {
            out.push_back(c);
        }
    }
    out.push_back(kKissFend);
    return out;
}

}  // namespace decode
