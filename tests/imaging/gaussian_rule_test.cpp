// The sampled-kernel Gaussian (sigma up to 6) against its rule written out plainly:
// the same float operations in the same order, one output at a time. The blur's
// stripes, bands, vector tails and threads must not change a single byte.
#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "imaging/lib/blur.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Vertical: w0 x centre + w[t] x (above + below) for t = 1..r in float, kept as 8.8
// fixed point; horizontal likewise on those values, rounded to a level. Edge pixels
// extend; unselected channels are copied.
Bytes sampledRule(const Bytes& src, int w, int h, int bpp, double sigma, uint32_t channels) {
    const int r = std::max(1, static_cast<int>(std::ceil(4.0 * sigma)));
    std::vector<double> exact(r + 1);
    double sum = 0;
    for (int i = 0; i <= r; ++i) sum += (i ? 2 : 1) * (exact[i] = std::exp(-0.5 * i * i / (sigma * sigma)));
    std::vector<float> k(r + 1);
    for (int i = 0; i <= r; ++i) k[i] = static_cast<float>(exact[i] / sum);

    const auto at = [&](int x, int y, int c) { return static_cast<size_t>((y * w + x) * bpp + c); };
    std::vector<uint16_t> mid(src.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp; ++c) {
                float o = k[0] * static_cast<float>(src[at(x, y, c)]);
                for (int t = 1; t <= r; ++t)
                    o += k[t] * (static_cast<float>(src[at(x, std::max(y - t, 0), c)]) +
                                 static_cast<float>(src[at(x, std::min(y + t, h - 1), c)]));
                mid[at(x, y, c)] = static_cast<uint16_t>(std::min(std::max(o * 256.0f + 0.5f, 0.0f), 65535.0f));
            }
    Bytes out(src.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < bpp; ++c) {
                const auto v = [&](int xx) { return mid[at(std::clamp(xx, 0, w - 1), y, c)] / 256.0f; };
                float o = k[0] * v(x);
                for (int t = 1; t <= r; ++t) o += k[t] * (v(x - t) + v(x + t));
                out[at(x, y, c)] = (channels >> c) & 1
                                       ? static_cast<uint8_t>(std::min(std::max(o + 0.5f, 0.0f), 255.0f))
                                       : src[at(x, y, c)];
            }
    return out;
}

Bytes randomPicture(size_t n, std::mt19937& rng) {
    Bytes b(n);
    // Runs of equal bytes between jumps: flat stretches, hard edges and 0/255 both occur.
    uint8_t v = 0;
    for (auto& e : b) {
        if (rng() % 5 == 0) v = static_cast<uint8_t>(rng() % 3 == 0 ? (rng() % 2) * 255 : rng());
        e = v;
    }
    return b;
}

TEST(GaussianSampledRule, EverySplitGivesTheRuleBytes) {
    std::mt19937 rng(2024);
    struct Case {
        int w, h, bpp;
        double sigma;
        uint32_t flags;
    };
    // 1-pixel lines, pictures narrower than the reach, several stripes (a stripe is
    // 256 + 8r pixels wide) with ragged last ones, sizes that run on threads, and an odd
    // radius with four bytes a pixel (the centre then sits half a vector into the line).
    const Case cases[] = {{1, 1, 4, 2.0, 0xF},    {1, 37, 1, 0.6, 1},      {41, 1, 3, 3.3, 0x7},
                          {5, 6, 4, 6.0, 0xF},    {333, 9, 1, 0.1, 1},     {700, 100, 4, 2.0, 0xF},
                          {601, 113, 3, 1.0, 0x5}, {260, 300, 4, 6.0, 0xB}, {1500, 50, 1, 4.5, 1},
                          {97, 800, 4, 2.0, 0x8},  {300, 40, 4, 2.2, 0xF}};
    for (const Case& c : cases) {
        const Bytes src = randomPicture(static_cast<size_t>(c.w) * c.h * c.bpp, rng);
        const Bytes want = sampledRule(src, c.w, c.h, c.bpp, c.sigma, c.flags);
        const int pitch = c.w * c.bpp;
        for (int threads : {1, 2}) {
            const int before = omp_get_max_threads();
            omp_set_num_threads(threads);
            Bytes out(src.size(), 0xAB);
            const bool ok = is5_GaussianBlurImage(src.data(), c.w, c.h, c.bpp, pitch, out.data(), pitch, c.sigma,
                                                  0x100 | c.flags);
            Bytes inPlace = src;
            const bool okInPlace = is5_GaussianBlurImage(inPlace.data(), c.w, c.h, c.bpp, pitch, inPlace.data(),
                                                         pitch, c.sigma, 0x100 | c.flags);
            omp_set_num_threads(before);
            ASSERT_TRUE(ok && okInPlace);
            const auto firstDifference = [&](const Bytes& got) {
                return std::mismatch(got.begin(), got.end(), want.begin()).first - got.begin();
            };
            EXPECT_EQ(out, want) << c.w << 'x' << c.h << " bpp " << c.bpp << " sigma " << c.sigma << " threads "
                                 << threads << " first difference at byte " << firstDifference(out);
            EXPECT_EQ(inPlace, want) << c.w << 'x' << c.h << " in place, threads " << threads;
        }
    }
}

}  // namespace
