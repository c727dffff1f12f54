#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "imaging/lib/resample.h"

namespace {

std::vector<uint8_t> randomBlock(int w, int h, int bpp, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> block(static_cast<size_t>(w) * h * bpp);
    for (auto& v : block) v = static_cast<uint8_t>(rng());
    return block;
}

constexpr int kAllCodes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 17, 18, 99};

TEST(Resample, FlatImagesStayFlatForEveryFilterAndDirection) {
    struct Case {
        int w, h, nw, nh;
    };
    const Case cases[] = {{7, 5, 19, 3}, {40, 30, 3, 2}, {1, 1, 6, 4}, {5, 9, 5, 9}, {300, 2, 1, 1}};
    for (int code : kAllCodes)
        for (const auto& c : cases) {
            std::vector<uint8_t> source(static_cast<size_t>(c.w) * c.h * 4);
            for (size_t i = 0; i < source.size(); i += 4) {
                source[i] = 12;
                source[i + 1] = 200;
                source[i + 2] = 255;
                source[i + 3] = 0;
            }
            std::vector<uint8_t> out(static_cast<size_t>(c.nw) * c.nh * 4, 7);
            ASSERT_TRUE(is5_ResizeImage(source.data(), c.w, c.h, c.w * 4, out.data(), c.nw, c.nh, c.nw * 4, 4, code, 0));
            for (size_t i = 0; i < out.size(); i += 4) {
                ASSERT_EQ(out[i], 12) << "code " << code;
                ASSERT_EQ(out[i + 1], 200) << "code " << code;
                ASSERT_EQ(out[i + 2], 255) << "code " << code;
                ASSERT_EQ(out[i + 3], 0) << "code " << code;
            }
        }
}

TEST(Resample, InterpolatingKernelsKeepTheImageAtTheSameSize) {
    const auto source = randomBlock(23, 17, 3, 1);
    for (int code : {1, 6, 7, 8, 10, 13, 17, 18, 15, 0}) {
        std::vector<uint8_t> out(source.size());
        ASSERT_TRUE(is5_ResizeImage(source.data(), 23, 17, 23 * 3, out.data(), 23, 17, 23 * 3, 3, code, 0));
        EXPECT_EQ(out, source) << "code " << code;
    }
}

TEST(Resample, AreaAverageShrinkIsTheRoundedMeanOfEachBlock) {
    const int w = 12, h = 9, factor = 3;
    const auto source = randomBlock(w, h, 1, 2);
    std::vector<uint8_t> out(static_cast<size_t>(w / factor) * (h / factor));
    ASSERT_TRUE(IS3DecimateImage(source.data(), w, h, w, out.data(), w / factor, h / factor, w / factor, 1, 1));
    for (int y = 0; y < h / factor; ++y)
        for (int x = 0; x < w / factor; ++x) {
            int sum = 0;
            for (int dy = 0; dy < factor; ++dy)
                for (int dx = 0; dx < factor; ++dx) sum += source[(y * factor + dy) * w + x * factor + dx];
            const double mean = sum / 9.0;
            EXPECT_NEAR(out[y * (w / factor) + x], mean, 0.5 + 1e-4);
        }
}

TEST(Resample, NearestNeighbourDoublesPixels) {
    const auto source = randomBlock(5, 4, 4, 3);
    std::vector<uint8_t> out(10 * 8 * 4);
    ASSERT_TRUE(is5_ResizeImage(source.data(), 5, 4, 20, out.data(), 10, 8, 40, 4, 18, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            for (int c = 0; c < 4; ++c) ASSERT_EQ(out[(y * 10 + x) * 4 + c], source[((y / 2) * 5 + x / 2) * 4 + c]);
}

TEST(Resample, RespectsStridesAndLeavesPaddingAlone) {
    const auto source = randomBlock(8, 6, 4, 4);  // read as 6 x 6 with a stride of 8 pixels
    std::vector<uint8_t> out(7 * 5 * 4, 0xEE);   // written as 5 x 5 with a stride of 7 pixels
    ASSERT_TRUE(is5_ResizeImage(source.data(), 6, 6, 32, out.data(), 5, 5, 28, 4, 17, 0));
    for (int y = 0; y < 5; ++y)
        for (int x = 5; x < 7; ++x)
            for (int c = 0; c < 4; ++c) EXPECT_EQ(out[(y * 7 + x) * 4 + c], 0xEE);
}

TEST(Resample, RefusesBadArgumentsWithoutWriting) {
    std::vector<uint8_t> source(16, 1), out(16, 9);
    const std::vector<uint8_t> untouched = out;
    EXPECT_FALSE(is5_ResizeImage(nullptr, 2, 2, 8, out.data(), 2, 2, 8, 4, 8, 0));
    EXPECT_FALSE(is5_ResizeImage(source.data(), 2, 2, 8, nullptr, 2, 2, 8, 4, 8, 0));
    EXPECT_FALSE(is5_ResizeImage(source.data(), 0, 2, 8, out.data(), 2, 2, 8, 4, 8, 0));
    EXPECT_FALSE(is5_ResizeImage(source.data(), 2, 2, 8, out.data(), 2, -1, 8, 4, 8, 0));
    EXPECT_FALSE(is5_ResizeImage(source.data(), 2, 2, 4, out.data(), 2, 2, 8, 4, 8, 0));  // stride too small
    EXPECT_FALSE(IS3ResizeImage(source.data(), 2, 2, 8, out.data(), 1 << 30, 1 << 30, 8, 4));
    EXPECT_EQ(out, untouched);
}

// Resampling is a weighted average whose weights sum to one, so the excess of a
// small bump over a mid-grey field keeps its total (scaled by the area ratio).
TEST(Resample, ABumpKeepsItsIntegralForEveryFilter) {
    struct Case {
        int w, h, nw, nh, bump;  // bump: side of the square bump
    };
    const Case cases[] = {{15, 13, 30, 26, 1}, {15, 15, 45, 45, 1}, {33, 30, 11, 10, 6}, {31, 17, 13, 9, 5}};
    for (int code : kAllCodes)
        for (const auto& c : cases) {
            std::vector<uint8_t> source(static_cast<size_t>(c.w) * c.h, 128);
            for (int y = 0; y < c.bump; ++y)
                for (int x = 0; x < c.bump; ++x) source[(c.h / 2 - c.bump / 2 + y) * c.w + c.w / 2 - c.bump / 2 + x] = 228;
            // Nearest neighbour samples points when shrinking; it keeps no integral there.
            if (code == 18 && c.nw < c.w) continue;
            std::vector<uint8_t> out(static_cast<size_t>(c.nw) * c.nh);
            ASSERT_TRUE(is5_ResizeImage(source.data(), c.w, c.h, c.w, out.data(), c.nw, c.nh, c.nw, 1, code, 0));
            double excess = 0.0;
            for (uint8_t v : out) excess += v - 128.0;
            const double expected = 100.0 * c.bump * c.bump * c.nw * c.nh / (c.w * c.h);
            EXPECT_NEAR(excess, expected, (code == 0 ? 0.1 : 0.06) * expected + 4.0) << "code " << code << " to " << c.nw << "x" << c.nh;
        }
}

TEST(Resample, AGradientShrunkAndEnlargedComesBackClose) {
    const int w = 63, h = 47;
    std::vector<uint8_t> source(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int ch = 0; ch < 3; ++ch) source[(y * w + x) * 3 + ch] = static_cast<uint8_t>(20 + 2 * x + y + 10 * ch);
    for (int code : kAllCodes) {
        std::vector<uint8_t> small(31 * 23 * 3), back(source.size());
        ASSERT_TRUE(is5_ResizeImage(source.data(), w, h, w * 3, small.data(), 31, 23, 31 * 3, 3, code, 0));
        ASSERT_TRUE(is5_ResizeImage(small.data(), 31, 23, 31 * 3, back.data(), w, h, w * 3, 3, code, 0));
        // Away from the edges, where repeating the edge sample bends the ramp.
        int worst = 0;
        for (int y = 6; y < h - 6; ++y)
            for (int x = 6; x < w - 6; ++x)
                for (int ch = 0; ch < 3; ++ch)
                    worst = std::max(worst, std::abs(back[(y * w + x) * 3 + ch] - source[(y * w + x) * 3 + ch]));
        EXPECT_LE(worst, code == 18 || code == 0 || code == 15 ? 5 : 2) << "code " << code;
    }
}

// Overshoot at a hard edge must saturate, never wrap around.
TEST(Resample, RingingAtAHardEdgeSaturates) {
    const int w = 16;
    std::vector<uint8_t> source(w * 2);
    for (int x = 0; x < w; ++x) source[x] = source[w + x] = x < w / 2 ? 0 : 255;
    for (int code : kAllCodes)
        for (int nw : {7, 41}) {
            std::vector<uint8_t> out(static_cast<size_t>(nw) * 3);
            ASSERT_TRUE(is5_ResizeImage(source.data(), w, 2, w, out.data(), nw, 3, nw, 1, code, 0));
            for (int x = 0; x < nw; ++x) {
                const double at = (x + 0.5) * w / nw;  // source position of this pixel
                if (at < w / 2 - 4) EXPECT_LT(out[x], 40) << "code " << code;
                if (at > w / 2 + 4) EXPECT_GT(out[x], 215) << "code " << code;
            }
        }
}

// Colour under zero alpha must not bleed into the partly transparent rim.
TEST(Resample, TransparentPixelsLendNoColour) {
    const int w = 12, h = 4;
    std::vector<uint8_t> source(static_cast<size_t>(w) * h * 4);
    for (int i = 0; i < w * h; ++i) {
        const bool opaque = (i % w) < w / 2;
        source[i * 4 + 0] = opaque ? 255 : 0;
        source[i * 4 + 1] = opaque ? 0 : 255;
        source[i * 4 + 3] = opaque ? 255 : 0;
    }
    for (int code : kAllCodes)
        for (int nw : {5, 29}) {
            std::vector<uint8_t> out(static_cast<size_t>(nw) * 3 * 4);
            ASSERT_TRUE(is5_ResizeImage(source.data(), w, h, w * 4, out.data(), nw, 3, nw * 4, 4, code, 0));
            for (int i = 0; i < nw * 3; ++i)
                if (out[i * 4 + 3] > 0 && code != 18) {
                    EXPECT_EQ(out[i * 4 + 1], 0) << "code " << code;
                    EXPECT_EQ(out[i * 4 + 0], 255) << "code " << code;
                }
        }
}

// The RGBA path resamples several pixels per step; the generic per-channel path one at a
// time, in the same order. On opaque pixels both must give the same colour bytes, for
// widths that leave every remainder of a step.
TEST(Resample, RgbaPathMatchesTheGenericPathOnOpaquePixels) {
    const int w = 23, h = 7;
    const auto rgb = randomBlock(w, h, 3, 11);
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 255);
    for (int i = 0; i < w * h; ++i) std::copy_n(&rgb[i * 3], 3, &rgba[i * 4]);
    for (int code : kAllCodes)
        for (int nw : {1, 2, 3, 4, 5, 6, 7, 9, 17, 50}) {
            const int nh = 5;
            std::vector<uint8_t> fromRgb(static_cast<size_t>(nw) * nh * 3), fromRgba(static_cast<size_t>(nw) * nh * 4);
            const bool ok3 = is5_ResizeImage(rgb.data(), w, h, w * 3, fromRgb.data(), nw, nh, nw * 3, 3, code, 0);
            ASSERT_EQ(ok3, is5_ResizeImage(rgba.data(), w, h, w * 4, fromRgba.data(), nw, nh, nw * 4, 4, code, 0));
            if (!ok3) continue;
            for (int i = 0; i < nw * nh; ++i)
                for (int ch = 0; ch < 3; ++ch)
                    ASSERT_EQ(fromRgb[i * 3 + ch], fromRgba[i * 4 + ch]) << "code " << code << " width " << nw;
        }
}

}  // namespace
