// TNC2 monitor lines: header split, payload bytes untouched, unusable headers refused.
#include <gtest/gtest.h>

#include <string>

#include "builtin_host/Tnc2.h"

namespace builtin_host {
namespace {

using namespace std::string_literals;

TEST(Tnc2, SplitsAndJoinsBack) {
    const std::string line = "N0CALL-9>APRS,WIDE1-1*,qAR,IGATE:!4903.50N/07201.75W-a:b>c";
    const auto frame = ParseTnc2(line + "\r\n");
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->source, "N0CALL-9");
    EXPECT_EQ(frame->destination, "APRS");
    EXPECT_EQ(frame->path, "WIDE1-1*,qAR,IGATE");
    EXPECT_EQ(frame->payload, "!4903.50N/07201.75W-a:b>c");
    EXPECT_EQ(FormatTnc2(*frame), line);
}

TEST(Tnc2, NoPathAndEmptyPayload) {
    const auto frame = ParseTnc2("A>B:");
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->path, "");
    EXPECT_EQ(frame->payload, "");
    EXPECT_EQ(FormatTnc2(*frame), "A>B:");
}

TEST(Tnc2, PayloadBytesAreKept) {
    const std::string payload = "\x01\xC0\xFF text \x7F"s;
    const auto frame = ParseTnc2("A>B:" + payload);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->payload, payload);
}

TEST(Tnc2, UnusableHeadersAreRefused) {
    for (const char* line : {"", "A>B", "AB:payload", ">B:x", "A>:x", "A>,WIDE:x", "A B>C:x",
                             "12:00:01 A>B:x", "A>B>C:x", "A>B\x01:x"}) {
        EXPECT_FALSE(ParseTnc2(line).has_value()) << line;
    }
}

}  // namespace
}  // namespace builtin_host
