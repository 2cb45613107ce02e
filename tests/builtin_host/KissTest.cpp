// KISS deframing over a stream cut at every byte, with escapes, ports and bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtin_host/Kiss.h"

namespace builtin_host {
namespace {

using namespace std::string_literals;
using Frames = std::vector<std::string>;

TEST(Kiss, EncoderEscapesExactlyAsTheProtocolSays) {
    EXPECT_EQ(KissEncode("\xC0\xDB"s, 15), "\xC0\xF0\xDB\xDC\xDB\xDD\xC0"s);
}

TEST(Kiss, EscapedBytesAndPortsSurviveOneByteChunks) {
    const std::string payload = "A\xC0"s + "B\xDB"s + "C\xDC\xDD"s;
    KissDeframer deframer;
    std::vector<KissFrame> frames;
    for (const char c : KissEncode(payload, 0) + KissEncode("second", 3)) {
        for (auto& f : deframer.FeedFrames(std::string(1, c))) frames.push_back(std::move(f));
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].data, payload);
    EXPECT_EQ(frames[0].port, 0);
    EXPECT_EQ(frames[1].data, "second");
    EXPECT_EQ(frames[1].port, 3);
    EXPECT_EQ(deframer.discarded(), 0u);
}

// Repeated FENDs and a first frame without its opening FEND are fine; command frames
// (TXDELAY, SetHardware, Return) are counted and dropped.
TEST(Kiss, OnlyDataFramesAreDelivered) {
    KissDeframer deframer;
    EXPECT_EQ(deframer.Feed("\x00one\xC0\xC0\xC0\xC0\x00two\xC0"s), (Frames{"one", "two"}));
    EXPECT_EQ(deframer.Feed("\xC0\x01\x32\xC0\xC0\x06x\xC0\xC0\xFF\xC0\xC0\x10ok\xC0"s),
              (Frames{"ok"}));
    EXPECT_EQ(deframer.discarded(), 3u);
}

TEST(Kiss, OverlongFrameIsDroppedButOneAtTheLimitIsKept) {
    KissDeframer deframer;
    const std::string largest(KissDeframer::kMaxFrameBytes - 1, 'y');  // plus the type byte
    EXPECT_EQ(deframer.Feed(KissEncode(largest)), (Frames{largest}));
    EXPECT_EQ(deframer.Feed("\xC0\x00"s + std::string(KissDeframer::kMaxFrameBytes * 10, 'x')),
              Frames{});
    EXPECT_EQ(deframer.Feed("\xC0" + KissEncode("next")), (Frames{"next"}));
    EXPECT_EQ(deframer.discarded(), 1u);
}

TEST(Kiss, BadEscapeDropsTheFrame) {
    KissDeframer deframer;
    EXPECT_EQ(deframer.Feed("\xC0\x00\x61\xDB\x41\x62\xC0"s + KissEncode("good")),
              (Frames{"good"}));
    EXPECT_EQ(deframer.discarded(), 1u);
}

}  // namespace
}  // namespace builtin_host
