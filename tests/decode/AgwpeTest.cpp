// AGWPE framing: the header's byte layout, frames cut at every byte, and a peer that sends
// too much or sends nonsense.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/Agwpe.h"

namespace decode {
namespace {

using namespace std::string_literals;

std::vector<AgwpeFrame> FeedByteByByte(AgwpeDeframer& deframer, const std::string& bytes) {
    std::vector<AgwpeFrame> frames;
    for (const char c : bytes)
        for (auto& f : deframer.Feed(std::string(1, c))) frames.push_back(std::move(f));
    return frames;
}

TEST(Agwpe, HeaderLayoutAsTheApiDefinesIt) {
    // Port 1, kind 'K', PID 0xF0, calls padded with NULs, length 0x0103 little-endian, user 0.
    const std::string header =
        "\x01\0\0\0K\0\xF0\0N0CALL-9\0\0APRS\0\0\0\0\0\0\x03\x01\0\0\0\0\0\0"s;
    ASSERT_EQ(header.size(), kAgwpeHeaderBytes);
    const std::string data(0x103, 'x');
    AgwpeDeframer deframer;
    const auto frames = deframer.Feed(header + data);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].port, 1);
    EXPECT_EQ(frames[0].kind, 'K');
    EXPECT_EQ(frames[0].pid, 0xF0);
    EXPECT_EQ(frames[0].callFrom, "N0CALL-9");
    EXPECT_EQ(frames[0].callTo, "APRS");
    EXPECT_EQ(frames[0].data, data);
    EXPECT_EQ(AgwpeEncode(frames[0]), header + data);
    EXPECT_EQ(AgwpeRawMonitorRequest(), "\0\0\0\0k"s + std::string(31, '\0'));
}

TEST(Agwpe, FramesSurviveOneByteChunksAndRawReportsGiveTheirAx25Frame) {
    const AgwpeFrame sent[] = {
        {0, 'R', 0, "", "", "\x02\0\0\0\x13\0\0\0"s},
        {0, 'K', 0, "Q1ABC", "APRS", "\0frame\xC0\xDB"s},
        {2, 'K', 0, "", "", ""},  // no data at all
        {3, 'T', 0xF0, "LONGERCALL-15", "X", "\0"s},
    };
    std::string stream;
    for (const auto& f : sent) stream += AgwpeEncode(f);
    AgwpeDeframer deframer;
    const auto frames = FeedByteByByte(deframer, stream);
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(frames[i].kind, sent[i].kind) << i;
        EXPECT_EQ(frames[i].port, sent[i].port) << i;
        EXPECT_EQ(frames[i].data, sent[i].data) << i;
    }
    EXPECT_EQ(frames[1].callFrom, "Q1ABC");
    EXPECT_EQ(frames[3].callFrom, "LONGERCALL") << "a call field holds ten bytes";
    EXPECT_EQ(frames[3].pid, 0xF0);
    EXPECT_EQ(AgwpeRawAx25(frames[1]), "frame\xC0\xDB"s);
    EXPECT_EQ(AgwpeRawAx25(frames[0]), "") << "not a raw frame";
    EXPECT_EQ(AgwpeRawAx25(frames[2]), "") << "no frame in it";
}

TEST(Agwpe, OversizedDataIsSkippedAndNonsenseStopsTheReading) {
    const std::string big = AgwpeEncode({0, 'K', 0, "", "", std::string(5000, 'z')});
    const std::string next = AgwpeEncode({0, 'K', 0, "", "", "\0ok"s});
    AgwpeDeframer deframer;
    auto frames = FeedByteByByte(deframer, big + next);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].data, "\0ok"s);
    EXPECT_EQ(deframer.discarded(), 1u);
    EXPECT_FALSE(deframer.outOfStep());

    std::string nonsense = std::string(kAgwpeHeaderBytes, 'A');  // a length of 0x41414141
    frames = deframer.Feed(nonsense + next);
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(deframer.outOfStep());
    EXPECT_TRUE(deframer.Feed(next).empty());
}

}  // namespace
}  // namespace decode
