// AX.25 UI frames to TNC2 text and back: address bits, SSIDs, repeated digipeaters.
#include <gtest/gtest.h>

#include <string>

#include "decode/Ax25.h"

namespace decode {
namespace {

using namespace std::string_literals;

// One address written out by hand: characters shifted left, SSID byte 0x60 | ssid << 1.
std::string Address(const char* call, int ssid, bool hBit, bool last) {
    std::string out;
    for (int i = 0; i < 6; ++i) {
        const char c = i < static_cast<int>(std::char_traits<char>::length(call)) ? call[i] : ' ';
        out.push_back(static_cast<char>(c << 1));
    }
    out.push_back(static_cast<char>(0x60 | (hBit ? 0x80 : 0) | (ssid << 1) | (last ? 1 : 0)));
    return out;
}

// Written out independently of our encoder, so a fault shared by both directions shows.
TEST(Ax25, HandBuiltFramesDecode) {
    const std::string frame = Address("APRS", 0, true, false) +
                              Address("N0CALL", 15, false, false) +
                              Address("WIDE1", 1, true, false) + Address("WIDE2", 2, false, true) +
                              "\x03\xF0!4903.50N/07201.75W-"s;
    EXPECT_EQ(Ax25ToTnc2(frame), "N0CALL-15>APRS,WIDE1-1*,WIDE2-2:!4903.50N/07201.75W-");
    EXPECT_EQ(Tnc2ToAx25("N0CALL-15>APRS,WIDE1-1*,WIDE2-2:!4903.50N/07201.75W-"), frame);
    EXPECT_EQ(Ax25ToTnc2(Address("APRS", 0, false, false) + Address("N0CALL", 0, false, true) +
                         "\x03\xF0"s),
              "N0CALL>APRS:");  // an empty information field is still a frame
}

TEST(Ax25, EncodeThenDecode) {
    const std::pair<const char*, const char*> cases[] = {
        {"A>B:x", "A>B:x"},
        {"N0CALL-0>APRS:x", "N0CALL>APRS:x"},
        {"N0CALL-15>APRS-15:x", "N0CALL-15>APRS-15:x"},
        // Only the last repeated digipeater carries the star; earlier ones are implied.
        {"A>B,D1*,D2*,D3:x", "A>B,D1,D2*,D3:x"},
        {"A>B,D1,D2*,D3:x", "A>B,D1,D2*,D3:x"},
        {"A>B,D1,D2,D3,D4,D5,D6,D7,D8*:payload with \xC0 bytes",
         "A>B,D1,D2,D3,D4,D5,D6,D7,D8*:payload with \xC0 bytes"},
        {"N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test",
         "N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test"},
    };
    for (const auto& [in, out] : cases) {
        const auto frame = Tnc2ToAx25(in);
        ASSERT_TRUE(frame.has_value()) << in;
        EXPECT_EQ(Ax25ToTnc2(*frame), out);
    }
}

TEST(Ax25, LinesThatCannotBeEncoded) {
    for (const char* line : {"N0CALL-16>APRS:x", "TOOLONG7>APRS:x", "n0call>APRS:x", "A-1X>B:x",
                             "A>B,1,2,3,4,5,6,7,8,9:x", "A>B,,C:x", "no header"}) {
        EXPECT_FALSE(Tnc2ToAx25(line).has_value()) << line;
    }
}

TEST(Ax25, RejectedFramesSayWhy) {
    const std::string header = Address("APRS", 0, false, false) + Address("N0CALL", 0, false, true);
    const std::string tooManyDigis = [] {
        std::string f = Address("APRS", 0, false, false) + Address("N0CALL", 0, false, false);
        for (int i = 0; i < 9; ++i) f += Address("D", i, false, i == 8);
        return f + "\x03\xF0x";
    }();
    const std::pair<std::string, const char*> cases[] = {
        {header + "\x13\xF0x"s, "not an AX.25 UI frame"},
        {header + "\x03\xCFx"s, "AX.25 PID is not 0xF0"},
        {header + "\x03"s, "AX.25 frame without control and PID"},
        {header.substr(0, 10), "AX.25 address field cut short"},
        {Address("APRS", 0, false, true) + "\x03\xF0x"s, "AX.25 frame without source"},
        {Address("aprs", 0, false, false) + Address("N0CALL", 0, false, true) + "\x03\xF0x"s,
         "AX.25 address is not a callsign"},
        {Address("A PRS", 0, false, false) + Address("N0CALL", 0, false, true) + "\x03\xF0x"s,
         "AX.25 address is not a callsign"},
        {tooManyDigis, "AX.25 address field too long"},
    };
    for (const auto& [frame, reason] : cases) {
        const auto line = Ax25ToTnc2(frame);
        ASSERT_FALSE(line.has_value()) << reason;
        EXPECT_EQ(line.error().text, reason);
    }
}

}  // namespace
}  // namespace decode
