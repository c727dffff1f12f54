#include "imaging/lib/blur.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& v : b) v = static_cast<uint8_t>(rng());
    return b;
}

// Sampled Gaussian, normalised over its +-4 sigma support, as an independent reference.
std::vector<double> sampledKernel(double sigma, int radius) {
    std::vector<double> w(2 * radius + 1);
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += w[i + radius] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& v : w) v /= sum;
    return w;
}

Bytes blur(const Bytes& src, int w, int h, int bpp, double sigma, uint32_t flags = 0x10F) {
    Bytes out(src.size(), 0xAB);
    EXPECT_TRUE(is5_GaussianBlurImage(src.data(), w, h, bpp, w * bpp, out.data(), w * bpp, sigma, flags));
    return out;
}

TEST(GaussianBlur, FlatStaysExactlyFlat) {
    for (int bpp : {1, 3, 4})
        for (double sigma : {0.1, 0.3, 2.0, 6.0, 7.0, 30.0, 700.0})
            for (auto [w, h] : {std::pair{1, 1}, {1, 9}, {13, 1}, {7, 5}, {40, 33}}) {
                Bytes src(size_t(w) * h * bpp);
                for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(37 + 50 * (i % bpp));
                EXPECT_EQ(blur(src, w, h, bpp, sigma), src) << bpp << ' ' << sigma << ' ' << w << 'x' << h;
            }
}

// A bright column in a dark image: each row is the line spread function, which must be
// the sampled Gaussian (the vertical pass sees constant columns and changes nothing).
TEST(GaussianBlur, LineResponseIsTheSampledGaussian) {
    for (double sigma : {1.0, 3.0, 30.0}) {
        const int radius = static_cast<int>(std::ceil(4 * sigma)), w = 2 * radius + 41, h = 3, c = w / 2;
        Bytes src(size_t(w) * h, 0);
        for (int y = 0; y < h; ++y) src[size_t(y) * w + c] = 255;
        const Bytes out = blur(src, w, h, 1, sigma);
        const auto k = sampledKernel(sigma, radius);
        double total = 0;
        for (int x = 0; x < w; ++x) {
            const double want = std::abs(x - c) <= radius ? 255 * k[x - c + radius] : 0;
            total += out[size_t(w) + x];
            EXPECT_NEAR(out[size_t(w) + x], want, sigma > 6 ? 1.0 : 0.51) << sigma << ' ' << x;
        }
        EXPECT_NEAR(total, 255, sigma > 6 ? 20 : 3) << sigma;  // energy kept, up to rounding
    }
}

// A step is the running sum of the line response: at sigma 30 it shows the recursive
// filter's shape and both edges of the line over hundreds of samples.
TEST(GaussianBlur, StepResponseFollowsTheErrorFunction) {
    for (double sigma : {3.0, 30.0, 300.0}) {
        const int w = static_cast<int>(12 * sigma) + 20, c = w / 2;
        Bytes row(w);
        for (int x = 0; x < w; ++x) row[x] = x >= c ? 255 : 0;
        const Bytes out = blur(row, w, 1, 1, sigma);
        const Bytes column = blur(row, 1, w, 1, sigma);
        for (int x = 0; x < w; ++x) {
            const double want = 255 * 0.5 * (1 + std::erf((x - c + 0.5) / (sigma * std::sqrt(2.0))));
            ASSERT_NEAR(out[x], want, 1.6) << sigma << ' ' << x;
            ASSERT_LE(std::abs(column[x] - out[x]), 1) << sigma << ' ' << x;  // quantised at another stage
        }
    }
}

TEST(GaussianBlur, MirroredInputGivesMirroredOutput) {
    for (double sigma : {2.5, 12.0, 1000.0}) {
        const int w = 57, h = 3;
        const Bytes src = randomBytes(size_t(w) * h, 9);
        Bytes flipped(src.size());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) flipped[size_t(y) * w + x] = src[size_t(y) * w + (w - 1 - x)];
        const Bytes a = blur(src, w, h, 1, sigma), b = blur(flipped, w, h, 1, sigma);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_LE(std::abs(a[size_t(y) * w + x] - b[size_t(y) * w + (w - 1 - x)]), 1) << sigma;
    }
}

TEST(GaussianBlur, ChannelFlagsPickChannelsAndEachChannelBlursAlone) {
    const int w = 23, h = 17;
    const Bytes src = randomBytes(size_t(w) * h * 4, 4);
    for (double sigma : {1.5, 9.0}) {
        const Bytes out = blur(src, w, h, 4, sigma, 0x105);  // channels 0 and 2
        for (int ch = 0; ch < 4; ++ch) {
            Bytes plane(size_t(w) * h);
            for (size_t i = 0; i < plane.size(); ++i) plane[i] = src[i * 4 + ch];
            const Bytes expected = (ch == 0 || ch == 2) ? blur(plane, w, h, 1, sigma) : plane;
            for (size_t i = 0; i < plane.size(); ++i) ASSERT_EQ(out[i * 4 + ch], expected[i]) << ch;
        }
    }
    // RGB24 ignores the fourth bit; no channel bits is a plain copy.
    const Bytes rgb = randomBytes(size_t(w) * h * 3, 5);
    EXPECT_EQ(blur(rgb, w, h, 3, 2.0, 0x10F), blur(rgb, w, h, 3, 2.0, 0x107));
    EXPECT_EQ(blur(rgb, w, h, 3, 2.0, 0x100), rgb);
}

TEST(GaussianBlur, InPlaceStridesAndThreadsGiveTheSameBytes) {
    const int w = 300, h = 260, bpp = 4;  // big enough for the threaded path
    const Bytes src = randomBytes(size_t(w) * h * bpp, 6);
    for (double sigma : {2.0, 20.0}) {
        const Bytes reference = blur(src, w, h, bpp, sigma);
        Bytes inPlace = src;
        ASSERT_TRUE(is5_GaussianBlurImage(inPlace.data(), w, h, bpp, w * bpp, inPlace.data(), w * bpp, sigma, 0x10F));
        EXPECT_EQ(inPlace, reference);

        const int pitch = w * bpp + 13;  // padded rows: the padding stays untouched
        Bytes padded(size_t(pitch) * h, 0x5A), out(size_t(pitch) * h, 0xC3);
        for (int y = 0; y < h; ++y) std::copy_n(&src[size_t(y) * w * bpp], w * bpp, &padded[size_t(y) * pitch]);
        ASSERT_TRUE(is5_GaussianBlurImage(padded.data(), w, h, bpp, pitch, out.data(), pitch, sigma, 0x10F));
        for (int y = 0; y < h; ++y) {
            ASSERT_TRUE(std::equal(&out[size_t(y) * pitch], &out[size_t(y) * pitch + w * bpp],
                                   &reference[size_t(y) * w * bpp]));
            for (int p = w * bpp; p < pitch; ++p) ASSERT_EQ(out[size_t(y) * pitch + p], 0xC3);
        }

        const int threads = omp_get_max_threads();
        omp_set_num_threads(1);
        const Bytes single = blur(src, w, h, bpp, sigma);
        omp_set_num_threads(threads);
        EXPECT_EQ(single, reference);
    }
}

TEST(GaussianBlur, BadArgumentsLeaveTheDestinationAlone) {
    const Bytes src(64 * 4, 100);
    Bytes dst(64 * 4, 7);
    const Bytes before = dst;
    EXPECT_FALSE(is5_GaussianBlurImage(nullptr, 8, 8, 4, 32, dst.data(), 32, 2, 15));
    EXPECT_FALSE(is5_GaussianBlurImage(src.data(), 8, 8, 4, 32, nullptr, 32, 2, 15));
    EXPECT_FALSE(is5_GaussianBlurImage(src.data(), 0, 8, 4, 32, dst.data(), 32, 2, 15));
    EXPECT_FALSE(is5_GaussianBlurImage(src.data(), 8, -1, 4, 32, dst.data(), 32, 2, 15));
    EXPECT_FALSE(is5_GaussianBlurImage(src.data(), 8, 8, 2, 32, dst.data(), 32, 2, 15));
    EXPECT_FALSE(is5_GaussianBlurImage(src.data(), 8, 8, 4, 31, dst.data(), 32, 2, 15));
    EXPECT_FALSE(is5_GaussianBlurImage(src.data(), 8, 8, 4, 32, dst.data(), -32, 2, 15));
    for (double sigma : {0.0, -1.0, std::nan(""), 1e9})
        EXPECT_FALSE(is5_GaussianBlurImage(src.data(), 8, 8, 4, 32, dst.data(), 32, sigma, 15));
    EXPECT_EQ(dst, before);
    // One block read through two different pitches would read rows already written.
    Bytes shared(40 * 4 * 8, 1);
    EXPECT_FALSE(is5_GaussianBlurImage(shared.data(), 8, 8, 4, 40, shared.data() + 4, 40, 2, 15));
    EXPECT_FALSE(is5_GaussianBlurImage(shared.data(), 8, 8, 4, 40, shared.data(), 32, 2, 15));
}

}  // namespace
