// APRS-IS: the login line and the bounded line splitting of the server stream.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtin_host/AprsIs.h"

namespace builtin_host {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

// The login is one line of fixed words: user input cannot add lines or words to it.
TEST(AprsIs, LoginLine) {
    EXPECT_EQ(AprsIsLogin("N0CALL", "1.1.1", "r/45.5/9.2/100"),
              "user N0CALL pass -1 vers Sirenwatch 1.1.1 filter r/45.5/9.2/100\r\n");
    EXPECT_EQ(AprsIsLogin("N0CALL", "1.1.1"), "user N0CALL pass -1 vers Sirenwatch 1.1.1\r\n");
    EXPECT_EQ(AprsIsLogin("N0CALL", "1.1.1", "  "),
              "user N0CALL pass -1 vers Sirenwatch 1.1.1\r\n");
    EXPECT_EQ(AprsIsLogin("N0 CALL\r\nuser X", "1\n", "r/1/2/3\r\n#x"),
              "user N0CALLuserX pass -1 vers Sirenwatch 1 filter r/1/2/3#x\r\n");
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

TEST(AprsIs, ServerCommentsAndEmptyLinesAreSkippedAndBytesKept) {
    AprsIsReceiver receiver;
    const auto lines = receiver.Feed(
        "# aprsc 2.1.14\r\n# logresp N0CALL unverified, server T2TEST\r\n\r\nA>B:\xE8\xFF\x00z\r\n"s);
    EXPECT_EQ(lines, (Lines{"A>B:\xE8\xFF\x00z"s}));
}

}  // namespace
}  // namespace builtin_host
