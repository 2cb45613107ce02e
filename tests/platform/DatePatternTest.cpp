// Short-date patterns of Qt and Windows in the core's tokens.
#include <gtest/gtest.h>

#include "platform/DatePattern.h"

namespace {

TEST(ShortDatePattern, SystemPatternsBecomeTheCoreTokens) {
    struct Case {
        const char* system;
        const char* core;
    };
    for (const Case& c :
         {Case{"dd/MM/yyyy", "dd/MM/yyyy"}, Case{"M/d/yy", "M/d/yy"}, Case{"dd.MM.yy", "dd.MM.yy"},
          Case{"yyyy-MM-dd", "yyyy-MM-dd"}, Case{"d MMM yyyy", "d MM yyyy"},
          Case{"dddd, d MMMM yyyy", "d MM yyyy"}, Case{"yyyy'年'M'月'd'日'", "yyyy年M月d日"},
          Case{"d'd' M y", "d M yyyy"}, Case{"gg yyyy/MM/dd", "yyyy/MM/dd"},
          Case{"MMMM", "dd/MM/yyyy"}, Case{"dd yyyy", "dd/MM/yyyy"}, Case{"", "dd/MM/yyyy"}})
        EXPECT_EQ(platform::ShortDatePattern(c.system), c.core) << c.system;
}

}  // namespace
