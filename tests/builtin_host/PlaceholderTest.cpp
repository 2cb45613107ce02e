#include <gtest/gtest.h>
TEST(BuiltinHost, Builds) { SUCCEED(); }
