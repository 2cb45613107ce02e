// AGWPE framing: a two-state reader (header, then data) over bytes cut anywhere.
#include "decode/Agwpe.h"

#include <algorithm>

namespace decode {

namespace {

constexpr std::size_t kCallBytes = 10;

std::uint32_t ReadLittleEndian32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

void WriteLittleEndian32(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Call(std::string_view field) {
    return std::string(field.substr(0, std::min(field.find('\0'), field.size())));
}

}  // namespace

std::vector<AgwpeFrame> AgwpeDeframer::Feed(std::string_view bytes) {
    std::vector<AgwpeFrame> frames;
    while (!bytes.empty() && !outOfStep_) {
        if (!inData_) {
            const std::size_t take = std::min(bytes.size(), kAgwpeHeaderBytes - header_.size());
            header_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (header_.size() < kAgwpeHeaderBytes) break;
            const std::string_view h = header_;
            remaining_ = ReadLittleEndian32(h.substr(28, 4));
            if (remaining_ > kMaxSaneLength) {
                outOfStep_ = true;
                ++discarded_;
                break;
            }
            frame_ = AgwpeFrame{static_cast<unsigned char>(h[0]), h[4],
                                static_cast<unsigned char>(h[6]), Call(h.substr(8, kCallBytes)),
                                Call(h.substr(18, kCallBytes)),   {}};
            header_.clear();
            inData_ = true;
            skipping_ = remaining_ > kMaxDataBytes;
            if (skipping_) ++discarded_;
        }
        const std::size_t take = std::min<std::size_t>(bytes.size(), remaining_);
        if (!skipping_) frame_.data.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        remaining_ -= static_cast<std::uint32_t>(take);
        if (remaining_ == 0) {
            if (!skipping_) frames.push_back(std::move(frame_));
            frame_ = {};
            inData_ = skipping_ = false;
        }
    }
    return frames;
}

std::string AgwpeEncode(const AgwpeFrame& frame) {
    std::string out(kAgwpeHeaderBytes, '\0');
    out[0] = static_cast<char>(frame.port & 0xFF);
    out[4] = frame.kind;
    out[6] = static_cast<char>(frame.pid & 0xFF);
    out.replace(8, std::min(frame.callFrom.size(), kCallBytes), frame.callFrom, 0, kCallBytes);
    out.replace(18, std::min(frame.callTo.size(), kCallBytes), frame.callTo, 0, kCallBytes);
    WriteLittleEndian32(out, 28, static_cast<std::uint32_t>(frame.data.size()));
    return out + frame.data;
}

std::string AgwpeRawMonitorRequest() {
    return AgwpeEncode(AgwpeFrame{0, 'k', 0, {}, {}, {}});
}

std::string AgwpeRawAx25(const AgwpeFrame& frame) {
    if (frame.kind != 'K' || frame.data.size() < 2) return {};
    return frame.data.substr(1);
}

}  // namespace decode
