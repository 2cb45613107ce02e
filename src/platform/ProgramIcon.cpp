// A red siren dome on a grey base with yellow rays, smoothed by sampling each pixel 4 x 4.
#include "platform/ProgramIcon.h"

#include <cmath>

namespace platform {
namespace {

struct Rgba {
    double r, g, b, a;
};

// The icon's shapes in a unit square (y down).
Rgba IconAt(double x, double y) {
    const double dx = x - 0.5, dy = y - 0.62;
    if (y > 0.66 && y < 0.8 && x > 0.2 && x < 0.8) return {0.25, 0.25, 0.3, 1};
    if (dy <= 0.04 && dx * dx + dy * dy < 0.27 * 0.27) {
        const bool shine = (dx + 0.1) * (dx + 0.1) + (dy + 0.12) * (dy + 0.12) < 0.006;
        return shine ? Rgba{1, 0.75, 0.75, 1} : Rgba{0.85, 0.05, 0.05, 1};
    }
    const double angle = std::atan2(dy, dx), radius = std::hypot(dx, dy);
    for (double ray : {-2.6, -2.1, -1.5708, -1.04, -0.54}) {
        if (radius > 0.32 && radius < 0.46 && std::abs(angle - ray) < 0.07) return {1, 0.8, 0.1, 1};
    }
    return {0, 0, 0, 0};
}

}  // namespace

std::vector<std::uint8_t> ProgramIconRgba(int size) {
    constexpr int kSub = 4;
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const Rgba c =
                        IconAt((x + (sx + 0.5) / kSub) / size, (y + (sy + 0.5) / kSub) / size);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            const double alpha = sum.a / (kSub * kSub);
            for (double channel : {sum.r, sum.g, sum.b})
                pixels.push_back(static_cast<std::uint8_t>(sum.a > 0 ? 255 * channel / sum.a : 0));
            pixels.push_back(static_cast<std::uint8_t>(255 * alpha));
        }
    }
    return pixels;
}

}  // namespace platform
