// The linear motion blur's row-wise path against the per-pixel rule written out here:
// the mean of the samples along the line, each rounded to the nearest pixel and held to
// the image, the mean rounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "imaging/lib/convolve.h"

namespace {

std::vector<uint8_t> perPixelRule(const std::vector<uint8_t>& src, int w, int h, int bpp, double angle, double length) {
    const double radians = angle * std::numbers::pi / 180.0;
    const double dx = std::cos(radians), dy = -std::sin(radians);
    const int n = std::clamp(static_cast<int>(std::ceil(std::abs(length))), 1, 256);
    std::vector<uint8_t> out(src.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sum[4] = {};
            for (int i = 0; i < n; ++i) {
                const double t = n == 1 ? 0.0 : (i / static_cast<double>(n - 1) - 0.5) * length;
                const long sx = std::clamp(std::lround(x + dx * t), 0L, long{w - 1});
                const long sy = std::clamp(std::lround(y + dy * t), 0L, long{h - 1});
                for (int c = 0; c < bpp; ++c) sum[c] += src[static_cast<size_t>((sy * w + sx) * bpp + c)];
            }
            for (int c = 0; c < bpp; ++c)
                out[static_cast<size_t>((y * w + x) * bpp + c)] = static_cast<uint8_t>(std::min(255.0, sum[c] / n + 0.5));
        }
    return out;
}

TEST(MotionBlurTest, TheLineMatchesThePerPixelRuleBitForBit) {
    std::mt19937 random(11);
    struct Size {
        int w, h;
    };
    // The largest size runs on threads; long lines only on the small ones, to keep it quick.
    for (const Size size : {Size{1, 1}, Size{7, 5}, Size{61, 23}, Size{300, 260}})
        for (int bpp : {3, 4}) {
            std::vector<uint8_t> src(static_cast<size_t>(size.w) * size.h * bpp);
            for (uint8_t& v : src) v = static_cast<uint8_t>(random());
            // 60 degrees at length 2 samples at exactly half a pixel: the tie case.
            for (double angle : {0.0, 30.0, 45.0, 60.0, 90.0, 135.0, 200.0, -17.3})
                for (double length : {1.0, 2.0, 3.0, 10.0, 33.5, 300.0}) {
                    if (size.w * size.h > 10000 && length > 10) continue;
                    std::vector<uint8_t> out(src.size());
                    ASSERT_TRUE(dro::ISE3MotionBlur(src.data(), size.w, size.h, bpp, size.w * bpp, out.data(),
                                                    dro::MotionMode::linear, angle, length, 0, 0, false));
                    ASSERT_EQ(out, perPixelRule(src, size.w, size.h, bpp, angle, length))
                        << size.w << "x" << size.h << " bpp " << bpp << " angle " << angle << " length " << length;
                }
        }
}

}  // namespace
