// Feed framing under hostile input: TNC2 lines, KISS frames cut at every byte, the APRS-IS
// login and its bounded line splitting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/AprsIs.h"
#include "decode/Kiss.h"
#include "decode/Tnc2.h"

namespace decode {
namespace {

using namespace std::string_literals;
using Frames = std::vector<std::string>;
using Lines = std::vector<std::string>;

TEST(Tnc2, SplitsAndJoinsBack) {
    const Tnc2Frame cases[] = {
        {"N0CALL-9", "APRS", "WIDE1-1*,qAR,IGATE", "!4903.50N/07201.75W-a:b>c"},
        {"A", "B", "", ""},
        {"A", "B", "", "\x01\xC0\xFF text \x7F"s},  // payload bytes are kept as they are
    };
    for (const Tnc2Frame& c : cases) {
        const std::string line = FormatTnc2(c);
        SCOPED_TRACE(line);
        const auto frame = ParseTnc2(line + "\r\n");
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->source, c.source);
        EXPECT_EQ(frame->destination, c.destination);
        EXPECT_EQ(frame->path, c.path);
        EXPECT_EQ(frame->payload, c.payload);
    }
    EXPECT_EQ(FormatTnc2(cases[0]), "N0CALL-9>APRS,WIDE1-1*,qAR,IGATE:!4903.50N/07201.75W-a:b>c");
    EXPECT_EQ(FormatTnc2(cases[1]), "A>B:");
}

TEST(Tnc2, UnusableHeadersAreRefused) {
    for (const char* line : {"", "A>B", "AB:payload", ">B:x", "A>:x", "A>,WIDE:x", "A B>C:x",
                             "12:00:01 A>B:x", "A>B>C:x", "A>B\x01:x"}) {
        EXPECT_FALSE(ParseTnc2(line).has_value()) << line;
    }
}

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

// The login is one line of fixed words: user input cannot add lines or words to it.
TEST(AprsIs, LoginLine) {
    EXPECT_EQ(AprsIsLogin("N0CALL", "1.1.1", "r/45.5/9.2/100"),
              "user N0CALL pass -1 vers Sirenwatch 1.1.1 filter r/45.5/9.2/100\r\n");
    EXPECT_EQ(AprsIsLogin("N0CALL", "1.1.1"), "user N0CALL pass -1 vers Sirenwatch 1.1.1\r\n");
    EXPECT_EQ(AprsIsLogin("N0CALL", "1.1.1", "  "),
              "user N0CALL pass -1 vers Sirenwatch 1.1.1\r\n");
    EXPECT_EQ(AprsIsLogin("N0 CALL\r\nuser X", "1 x\n", "r/1/2/3\r\n#x"),
              "user N0CALLuserX pass -1 vers Sirenwatch 1x filter r/1/2/3#x\r\n");
}

TEST(AprsIs, LinesAcrossChunksWithCrLfOrLf) {
    LineSplitter splitter;
    Lines lines;
    for (const char* chunk : {"A>B:o", "ne\r", "\nA>B:two\nA>B:th", "ree\r\n"}) {
        for (auto& l : splitter.Feed(chunk)) lines.push_back(l);
    }
    EXPECT_EQ(lines, (Lines{"A>B:one", "A>B:two", "A>B:three"}));
}

TEST(AprsIs, OverlongLineIsDroppedWithoutBufferingIt) {
    LineSplitter splitter;
    const std::string limit(LineSplitter::kMaxLineBytes, 'x');
    EXPECT_EQ(splitter.Feed(limit + "\r\n"), (Lines{limit}));
    EXPECT_EQ(splitter.Feed(limit + "y"), Lines{});
    EXPECT_EQ(splitter.Feed(std::string(100000, 'z')), Lines{});
    EXPECT_EQ(splitter.Feed("\nA>B:next\n"), (Lines{"A>B:next"}));
    EXPECT_EQ(splitter.discarded(), 1u);
}

TEST(AprsIs, TheLimitHoldsForALineCutIntoPieces) {
    LineSplitter splitter;
    const std::string limit(LineSplitter::kMaxLineBytes, 'x');
    EXPECT_EQ(splitter.Feed(limit.substr(0, 300)), Lines{});
    EXPECT_EQ(splitter.Feed(limit.substr(300) + "\r"), Lines{});
    EXPECT_EQ(splitter.Feed("\n"), (Lines{limit}));
    EXPECT_EQ(splitter.Feed(limit.substr(1) + "\r"), Lines{});
    EXPECT_EQ(splitter.Feed("y\nA>B:next"), Lines{}) << "one past the limit, and not a CR";
    EXPECT_EQ(splitter.Feed("\n"), (Lines{"A>B:next"}));
    EXPECT_EQ(splitter.discarded(), 1u);
}

TEST(AprsIs, ServerCommentsAndEmptyLinesAreSkippedAndBytesKept) {
    AprsIsReceiver receiver;
    const auto lines = receiver.Feed(
        "# aprsc 2.1.14\r\n# logresp N0CALL unverified, server T2TEST\r\n\r\nA>B:\xE8\xFF\x00z\r\n"s);
    EXPECT_EQ(lines, (Lines{"A>B:\xE8\xFF\x00z"s}));
}

}  // namespace
}  // namespace decode
