// TNC2 monitor lines: header split, payload bytes untouched, unusable headers refused.
#include <gtest/gtest.h>

#include <string>

#include "builtin_host/Tnc2.h"

namespace builtin_host {
namespace {

using namespace std::string_literals;

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

}  // namespace
}  // namespace builtin_host
