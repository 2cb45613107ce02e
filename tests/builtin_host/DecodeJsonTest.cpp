// The decode command's JSON: escaping, invalid UTF-8, missing numbers.
#include <gtest/gtest.h>

#include "builtin_host/AprsDecoder.h"
#include "builtin_host/DecodedJson.h"

namespace builtin_host {
namespace {

TEST(DecodeJson, TheMicEEmergencyExample) {
    EXPECT_EQ(ToJson(Decode("N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test")),
              "{\"source\":\"N0CALL-9\",\"latitude\":42.619000,\"longitude\":-71.347167,"
              "\"course\":251,\"speed_kmh\":66.7,\"altitude_m\":200.0,"
              "\"message_type\":\"EMERGENCY\",\"comment\":\"EMERGENCY test\",\"object\":\"\","
              "\"error\":\"\"}");
}

TEST(DecodeJson, MissingValuesAreNull) {
    const std::string json = ToJson(Decode("garbage"));
    EXPECT_NE(json.find("\"latitude\":null,\"longitude\":null,\"course\":null"), std::string::npos);
    EXPECT_NE(json.find("\"error\":\"bad frame header\""), std::string::npos);
}

TEST(DecodeJson, StringsAreEscapedAndAlwaysValidUtf8) {
    EXPECT_EQ(JsonString("a\"b\\c\n\t\x01\x7F"), "\"a\\\"b\\\\c\\n\\t\\u0001\\u007f\"");
    EXPECT_EQ(JsonString("caff\xC3\xA8 \xE2\x82\xAC"), "\"caff\xC3\xA8 \xE2\x82\xAC\"");
    EXPECT_EQ(JsonString("\xE8t\xC3"), "\"\xEF\xBF\xBDt\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");  // surrogate
}

}  // namespace
}  // namespace builtin_host
