// KISS deframing over a stream cut at every byte, with escapes, ports and bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtin_host/Kiss.h"

namespace builtin_host {
namespace {

using namespace std::string_literals;

std::vector<KissFrame> FeedByteByByte(KissDeframer& deframer, const std::string& stream) {
    std::vector<KissFrame> frames;
    for (const char c : stream) {
        for (auto& f : deframer.FeedFrames(std::string(1, c))) frames.push_back(std::move(f));
    }
    return frames;
}

TEST(Kiss, EscapedBytesSurviveOneByteChunks) {
    const std::string payload =
        "A\xC0"
        "B\xDB"
        "C\xDC\xDD"s;
    const std::string stream = KissEncode(payload, 0) + KissEncode("second", 3);
    EXPECT_EQ(stream.find('\xC0', 1), KissEncode(payload).size() - 1)
        << "the payload's FEND must be escaped";
    KissDeframer deframer;
    const auto frames = FeedByteByByte(deframer, stream);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].data, payload);
    EXPECT_EQ(frames[0].port, 0);
    EXPECT_EQ(frames[1].data, "second");
    EXPECT_EQ(frames[1].port, 3);
    EXPECT_EQ(deframer.discarded(), 0u);
}

TEST(Kiss, EncoderEscapesExactlyAsTheProtocolSays) {
    EXPECT_EQ(KissEncode("\xC0\xDB"s, 15), "\xC0\xF0\xDB\xDC\xDB\xDD\xC0"s);
}

TEST(Kiss, RepeatedFendsAndAFrameWithoutOpeningFendAreFine) {
    KissDeframer deframer;
    const auto frames = deframer.Feed("\x00one\xC0\xC0\xC0\xC0\x00two\xC0"s);
    EXPECT_EQ(frames, (std::vector<std::string>{"one", "two"}));
}

TEST(Kiss, OnlyDataFramesAreDelivered) {
    KissDeframer deframer;
    const auto frames = deframer.Feed("\xC0\x01\x32\xC0\xC0\x06x\xC0\xC0\xFF\xC0\xC0\x10ok\xC0"s);
    EXPECT_EQ(frames, (std::vector<std::string>{"ok"}));
    EXPECT_EQ(deframer.discarded(), 3u);
}

TEST(Kiss, OverlongFrameIsDroppedAndTheNextOneStillArrives) {
    KissDeframer deframer;
    const std::string huge(KissDeframer::kMaxFrameBytes * 10, 'x');
    auto frames = deframer.Feed("\xC0\x00"s + huge);
    frames = deframer.Feed("\xC0" + KissEncode("next"));
    EXPECT_EQ(frames, (std::vector<std::string>{"next"}));
    EXPECT_EQ(deframer.discarded(), 1u);
}

TEST(Kiss, FrameAtTheSizeLimitIsKept) {
    KissDeframer deframer;
    const std::string largest(KissDeframer::kMaxFrameBytes - 1, 'y');  // plus the type byte
    EXPECT_EQ(deframer.Feed(KissEncode(largest)), (std::vector<std::string>{largest}));
}

TEST(Kiss, BadEscapeDropsTheFrame) {
    KissDeframer deframer;
    const auto frames = deframer.Feed("\xC0\x00\x61\xDB\x41\x62\xC0"s + KissEncode("good"));
    EXPECT_EQ(frames, (std::vector<std::string>{"good"}));
    EXPECT_EQ(deframer.discarded(), 1u);
}

}  // namespace
}  // namespace builtin_host
