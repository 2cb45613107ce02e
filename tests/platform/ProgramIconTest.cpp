// The program's icon, drawn in code for every front end: a red dome on a grey base with yellow
// rays, on a clear background.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "platform/ProgramIcon.h"

namespace {

TEST(ProgramIcon, RedDomeGreyBaseYellowRaysOnClear) {
    constexpr int kSize = 64;
    const std::vector<std::uint8_t> rgba = platform::ProgramIconRgba(kSize);
    ASSERT_EQ(rgba.size(), std::size_t{kSize * kSize * 4});
    const auto pixel = [&](int x, int y) {
        const auto at = static_cast<std::size_t>((y * kSize + x) * 4);
        return std::array<int, 4>{rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]};
    };
    EXPECT_EQ(pixel(32, 32), (std::array<int, 4>{216, 12, 12, 255})) << "the dome";
    EXPECT_EQ(pixel(32, 46), (std::array<int, 4>{63, 63, 76, 255})) << "the base";
    const auto ray = pixel(32, 14);  // straight up from the dome
    EXPECT_EQ(ray[0], 255);
    EXPECT_NEAR(ray[1], 204, 1);
    EXPECT_NEAR(ray[2], 25, 1);
    EXPECT_EQ(ray[3], 255);
    EXPECT_EQ(pixel(0, 0)[3], 0) << "a clear corner";
}

}  // namespace
