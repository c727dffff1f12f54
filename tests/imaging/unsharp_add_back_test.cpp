// The add-back of "Unsharp Mask" runs branch-free in vector lanes; it must give the
// bytes of the rule written out with its branches, for every (pixel, blurred) pair.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "imaging/lib/blur.h"
#include "imaging/lib/sharpen.h"

namespace {

uint8_t addBackRule(uint8_t in, uint8_t blurred, double amount, int32_t threshold) {
    const int difference = in - blurred;
    if (std::abs(difference) <= threshold) return in;
    const double v = in + amount * difference;
    if (!(v > 0.0)) return 0;
    return v >= 255.0 ? 255 : static_cast<uint8_t>(v + 0.5);
}

TEST(UnsharpAddBack, EveryBytePairMatchesTheRule) {
    const std::vector<double> edges = {0.0,    1.0,     -1.0,         0.3,   1.0 / 3, 0.5,     2.5,     127.5,
                                       255.0,  1e-300,  -1e-300,      DBL_TRUE_MIN, 1e300,   -1e300, DBL_MAX, -DBL_MAX};
    const std::vector<int32_t> everyThreshold = {INT_MIN, -1, 0, 1, 7, 254, 255, INT_MAX};
    std::vector<std::pair<double, std::vector<int32_t>>> runs;
    for (double amount : edges) runs.push_back({amount, everyThreshold});
    for (int k = 1; k <= 400; ++k) runs.push_back({k * 0.05, {0, 3}});  // the effect's slider steps
    std::vector<uint8_t> in(65536), blurred(65536);
    for (int i = 0; i < 65536; ++i) in[i] = static_cast<uint8_t>(i >> 8), blurred[i] = static_cast<uint8_t>(i);
    for (const auto& [amount, thresholds] : runs)
        for (int32_t threshold : thresholds) {
            std::vector<uint8_t> out = blurred;
            // Ragged pieces, so vector bodies and scalar tails both run.
            for (int at = 0, piece = 1; at < 65536; at += piece, piece = piece * 3 % 97 + 1)
                dro::unsharpAddBack(in.data() + at, out.data() + at, std::min(piece, 65536 - at), amount, threshold);
            for (int i = 0; i < 65536; ++i)
                ASSERT_EQ(out[i], addBackRule(in[i], blurred[i], amount, threshold))
                    << "in " << int(in[i]) << " blurred " << int(blurred[i]) << " amount " << amount << " threshold "
                    << threshold;
        }
}

// The whole call is the Gaussian of the picture, then that add-back row by row.
TEST(UnsharpAddBack, UnsharpMaskIsBlurThenAddBack) {
    const int w = 61, h = 37, bpp = 3, pitch = w * bpp + 5;
    std::mt19937 rng(8);
    std::vector<uint8_t> src(size_t(pitch) * h);
    for (auto& v : src) v = static_cast<uint8_t>(rng());
    std::vector<uint8_t> want(src.size(), 0xEE), got(src.size(), 0xEE);
    ASSERT_TRUE(is5_GaussianBlurImage(src.data(), w, h, bpp, pitch, want.data(), pitch, 1.7, 0x107));
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * bpp; ++i) {
            uint8_t& v = want[size_t(y) * pitch + i];
            v = addBackRule(src[size_t(y) * pitch + i], v, 2.35, 4);
        }
    ASSERT_TRUE(dro::IS3UnsharpMaskImage(src.data(), w, h, bpp, pitch, got.data(), 1.7, 2.35, 4));
    EXPECT_EQ(got, want);
}

}  // namespace
