// Air text on a terminal: nothing in it acts on the terminal, and readable text stays readable.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "platform/Log.h"
#include "platform/PrintableText.h"

namespace platform {
namespace {

TEST(PrintableText, EscapesWhatATerminalActsOnAndKeepsUtf8) {
    const struct {
        std::string_view air, shown;
    } cases[] = {
        {"plain ASCII ~!", "plain ASCII ~!"},
        {"\x1b]0;owned\a", "\\x1b]0;owned\\x07"},                    // ESC, BEL
        {"del\x7f", "del\\x7f"},                                     // DEL
        {"caf\xe8 \xb0", "caf\\xe8 \\xb0"},                          // Latin-1: not UTF-8
        {"caff\xc3\xa8 \xe2\x82\xac", "caff\xc3\xa8 \xe2\x82\xac"},  // UTF-8 stays
        {"\xc2\x9b"
         "31m",
         "\\xc2\\x9b31m"},                                        // C1 CSI, in UTF-8
        {"\xc0\xaf \xed\xa0\x80", "\\xc0\\xaf \\xed\\xa0\\x80"},  // overlong, surrogate
        {"cut \xe2\x82", "cut \\xe2\\x82"},                       // a sequence cut short
        {"a\tb\nc\rd", "a\\x09b\\x0ac\\x0dd"},
    };
    for (const auto& c : cases) EXPECT_EQ(PrintableText(c.air), c.shown) << c.air;
    EXPECT_EQ(PrintableText("a\tb\nc\rd", true), "a\tb\nc\\x0dd");
}

TEST(Log, StandardErrorShowsAirTextEscapedAndKeepsItsOwnLayout) {
    std::ostringstream err;
    std::streambuf* const old = std::cerr.rdbuf(err.rdbuf());
    Log(Level::Info, "# server \x1b[2J\a\tok", "feed");
    std::cerr.rdbuf(old);
    EXPECT_EQ(err.str(), "feed: # server \\x1b[2J\\x07\tok\n");
}

}  // namespace
}  // namespace platform
