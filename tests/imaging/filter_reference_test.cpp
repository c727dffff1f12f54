// Integer filters against small references written here from the rules, on random
// images whose sizes are odd and small.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "imaging/filter_fixture.h"

namespace {

int clampByte(long v) { return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v)); }

// ---- the sweep family -------------------------------------------------------------

struct Pass {
    int y0, y1, dy, x0, x1, dx, nx, ny;  // ranges exclude their end
};

std::vector<Pass> passes(int w, int h) {
    return {{0, h - 2, 1, 0, w - 2, 1, 1, 0},   {h - 1, 1, -1, w - 1, 1, -1, -1, 0},
            {1, h - 1, 1, w - 1, 1, -1, -1, 0}, {h - 1, 1, -1, 0, w - 2, 1, 1, 0},
            {0, h - 2, 1, 0, w - 2, 1, 0, 1},   {h - 1, 1, -1, w - 1, 1, -1, 0, -1},
            {0, h - 2, 1, w - 1, 1, -1, 0, 1},  {h - 1, 1, -1, 0, w - 2, 1, 0, -1}};
}

template <class Pair>
Image sweepReference(Image im, Pair pair) {
    for (const Pass& s : passes(im.w, im.h))
        for (int y = s.y0; s.dy > 0 ? y < s.y1 : y > s.y1; y += s.dy)
            for (int x = s.x0; s.dx > 0 ? x < s.x1 : x > s.x1; x += s.dx) pair(im, x, y, x + s.nx, y + s.ny);
    return im;
}

// Weights summing to 65536, rounded: equal inputs stay equal (the form with 65535 − w
// and three truncating shifts lost a level on every mix of equal pixels).
int mix16(unsigned w, unsigned next, unsigned cur) {
    return clampByte(static_cast<long>((w * next + (65536u - w) * cur + 32768u) >> 16));
}

TEST(FilterReference, ValueBlurFollowsTheEightSweeps) {
    for (auto [w, h] : {std::pair{7, 5}, std::pair{3, 9}, std::pair{12, 3}}) {
        const Image in = randomImage(w, h, 11u * w + h);
        const int s1 = 700, s2 = 250;
        const unsigned w1 = static_cast<unsigned>(s1 * 0.001 * 65535), w2 = static_cast<unsigned>(s2 * 0.001 * 65535);
        const Image expected = sweepReference(in, [&](Image& im, int x, int y, int nx, int ny) {
            const int d = im.lum(x, y) - im.lum(nx, ny);
            if (d == 0) return;
            const unsigned wt = d > 0 ? w1 : w2;
            auto n = im.get(nx, ny);
            const auto c = im.get(x, y);
            for (int k = 0; k < 4; ++k) n[k] = mix16(wt, n[k], c[k]);
            im.set(nx, ny, n);
        });
        EXPECT_EQ(runFilterOn("Value Blur", in, settings({s1, s2})), expected) << w << "x" << h;
    }
}

TEST(FilterReference, NoiseReductionRgbWorksPerChannelAndSparesAlpha) {
    const Image in = randomImage(9, 6, 5, 60);
    const std::array<int, 6> s{200, 300, 900, 100, 0, 1000};
    const Image expected = sweepReference(in, [&](Image& im, int x, int y, int nx, int ny) {
        auto n = im.get(nx, ny);
        const auto c = im.get(x, y);
        for (int k = 0; k < 3; ++k) {
            const unsigned wt = static_cast<unsigned>((1.0 - s[2 * k] * 0.001 / 2.0) * 65535.0);
            const int t = static_cast<int>(s[2 * k + 1] * 0.001 * 255.0);
            if (std::abs(c[k] - n[k]) < t) n[k] = mix16(wt, n[k], c[k]);
        }
        im.set(nx, ny, n);
    });
    const Image out = runFilterOn("Noise Reduction RGB", in, settings(s));
    EXPECT_EQ(out, expected);
    for (int y = 0; y < in.h; ++y)
        for (int x = 0; x < in.w; ++x) EXPECT_EQ(out.at(x, y)[3], in.at(x, y)[3]);
}

TEST(FilterReference, NoiseReductionMixesBelowTheLuminanceThreshold) {
    const Image in = randomImage(8, 7, 21, 80);
    const unsigned wt = static_cast<unsigned>((1.0 - 0.4 / 2.0) * 65535.0);
    const Image expected = sweepReference(in, [&](Image& im, int x, int y, int nx, int ny) {
        if (std::abs(im.lum(x, y) - im.lum(nx, ny)) >= 25) return;  // trunc(0.1 * 255)
        auto n = im.get(nx, ny);
        const auto c = im.get(x, y);
        for (int k = 0; k < 4; ++k) n[k] = mix16(wt, n[k], c[k]);
        im.set(nx, ny, n);
    });
    EXPECT_EQ(runFilterOn("Noise Reduction", in, settings({400, 100})), expected);
}

// ---- per-pixel filters --------------------------------------------------------------

TEST(FilterReference, HyperContrast) {
    const Image in = randomImage(11, 4, 3);
    for (int s1 : {0, 300, 1000, 20}) {
        int b = static_cast<int>((1.0 - s1 * 0.001) * 255.0);
        b = b == 0 ? 1 : std::min(b, 250);
        Image expected = in;
        for (int y = 0; y < in.h; ++y) {
            for (int x = 0; x < in.w; ++x) {
                auto c = in.get(x, y);
                const double o = (std::max({c[0], c[1], c[2]}) + std::min({c[0], c[1], c[2]})) / 510.0;
                for (int k = 0; k < 3; ++k) {
                    const double v = (1 - o) * (255 - (255 - c[k]) * (255 - c[k]) / b) + o * (c[k] * c[k] / b);
                    c[k] = clampByte(static_cast<long>(v));
                }
                expected.set(x, y, c);
            }
        }
        EXPECT_EQ(runFilterOn("Hyper Contrast", in, settings({s1})), expected) << s1;
    }
}

TEST(FilterReference, ClampChannelAndAlphaEdge) {
    const Image in = randomImage(10, 3, 8);
    Image clampExpected = in, channelExpected = in, edgeExpected = in;
    for (int y = 0; y < in.h; ++y) {
        for (int x = 0; x < in.w; ++x) {
            auto c = in.get(x, y);
            auto k = c;
            for (int i : {0, 2, 3}) {  // flags 1, 3, 4
                if (100 * 0.001 * 255 > k[i]) k[i] = static_cast<int>(900 * 0.001 * 255);
                if (800 * 0.001 * 255 < k[i]) k[i] = static_cast<int>(200 * 0.001 * 255);
            }
            clampExpected.set(x, y, k);
            // flags 2 then 3: green becomes the alpha of pure green, then blue of that
            // (always 0) clears the pixel.
            channelExpected.set(x, y, {0, 0, 0, 0});
            auto e = c;
            if (e[3] <= 76) {
                e[3] = 0;
            } else if (e[3] < 178) {
                e = {25, 51, 229, 255};
            } else {
                e[3] = 255;
            }
            edgeExpected.set(x, y, e);
        }
    }
    EXPECT_EQ(runFilterOn("Clamp", in, settings({100, 900, 800, 200}, {1, 0, 1, 1})), clampExpected);
    EXPECT_EQ(runFilterOn("Channel", in, settings({}, {0, 1, 1})), channelExpected);
    EXPECT_EQ(runFilterOn("Alpha Edge Color", in, settings({100, 200, 900, 300, 700}, {1})), edgeExpected);

    // One flag keeps a channel as the alpha of its primary.
    Image red = runFilterOn("Channel", in, settings({}, {1}));
    for (int x = 0; x < in.w; ++x) {
        const int r = in.at(x, 0)[0];
        const std::array<int, 4> want = r > 0 ? std::array{255, 0, 0, r} : std::array{0, 0, 0, 0};
        EXPECT_EQ(red.get(x, 0), want);
    }
}

// ---- neighbourhood filters ------------------------------------------------------------

TEST(FilterReference, DetailBlurAndAdaptiveBlur) {
    const Image in = randomImage(9, 8, 17);
    Image detail = in, adaptive = in;
    const int t = static_cast<int>(0.05 * 255);
    const double g = (1.0 - 0.85) * 255.0, m2 = 0.6, m3 = 0.3;
    for (int y = 1; y < in.h - 1; ++y) {
        for (int x = 1; x < in.w - 1; ++x) {
            int lumSum = 0;
            std::array<int, 4> sum{};
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    lumSum += in.lum(x + i, y + j);
                    for (int k = 0; k < 4; ++k) sum[k] += in.get(x + i, y + j)[k];
                }
            if (std::abs(in.lum(x, y) - static_cast<int>(lumSum * (1.0 / 9.0))) > t) {
                std::array<int, 4> v;
                for (int k = 0; k < 4; ++k) v[k] = static_cast<int>(sum[k] * (1.0 / 9.0));
                detail.set(x, y, v);
            }

            const std::array<std::array<int, 4>, 4> nb{in.get(x - 1, y), in.get(x + 1, y), in.get(x, y - 1),
                                                       in.get(x, y + 1)};
            double m = -1;
            for (const auto& n : nb) {
                const int ln = (n[0] + n[1] + n[2]) / 3;
                if (in.lum(x, y) - ln > g) { m = m2; break; }
                if (ln - in.lum(x, y) > g) { m = m3; break; }
            }
            if (m < 0) continue;
            std::array<int, 4> v;
            const auto c = in.get(x, y);
            for (int k = 0; k < 4; ++k) {
                const int kk = static_cast<int>(c[k] * (1 - m));
                int a = static_cast<int>(nb[0][k] * m + kk);
                for (int i = 1; i < 4; ++i) a = static_cast<int>(nb[i][k] * m + a + kk);
                v[k] = a / 4;
            }
            adaptive.set(x, y, v);
        }
    }
    EXPECT_EQ(runFilterOn("Detail Blur", in, settings({50})), detail);
    EXPECT_EQ(runFilterOn("Adaptive Blur", in, settings({850, 600, 300})), adaptive);
}

// ---- box blur: a direct window sum, no running totals ----------------------------------

int wrapIndex(long i, int n) {
    if (i >= 0 && i < n) return static_cast<int>(i);
    if (i < 0) return static_cast<int>(std::max<long>(n - 1 + i, 0));
    return static_cast<int>(std::min<long>(i - n + 1, n - 1));
}

Image boxPass(const Image& in, int r, bool wrap, bool vertical) {
    Image out = in;
    for (int y = 0; y < in.h; ++y) {
        for (int x = 0; x < in.w; ++x) {
            std::array<long, 4> sum{};
            long count = 0;
            for (long d = -r; d <= r; ++d) {
                long sx = x, sy = y;
                (vertical ? sy : sx) += d;
                const int n = vertical ? in.h : in.w;
                const long along = vertical ? sy : sx;
                if (!wrap && (along < 0 || along >= n)) continue;
                const int idx = wrap ? wrapIndex(along, n) : static_cast<int>(along);
                const auto p = vertical ? in.get(x, idx) : in.get(idx, y);
                for (int k = 0; k < 4; ++k) sum[k] += p[k];
                ++count;
            }
            std::array<int, 4> v;
            for (int k = 0; k < 4; ++k) v[k] = static_cast<int>(sum[k] / count);
            out.set(x, y, v);
        }
    }
    return out;
}

TEST(FilterReference, BoxBlurClippedAndWrapped) {
    for (auto [w, h] : {std::pair{9, 7}, std::pair{1, 6}, std::pair{5, 1}, std::pair{4, 13}}) {
        const Image in = randomImage(w, h, 31u * w + h);
        for (int slider : {0, 20, 50, 120}) {  // radius 1, 3, 6, 13: past the edge too
            const int r = static_cast<int>(slider * 0.001 * 100 + 1);
            for (bool wrap : {false, true}) {
                Image expected = in;
                for (int round = 0; round < 3; ++round)
                    expected = boxPass(boxPass(expected, r, wrap, true), r, wrap, false);
                EXPECT_EQ(runFilterOn("Box Blur", in, settings({slider}, {wrap})), expected)
                    << w << "x" << h << " r" << r << " wrap " << wrap;
            }
        }
    }
}

// ---- geometric --------------------------------------------------------------------------

TEST(FilterReference, BorderizeRingsTakeTheSampledColour) {
    const Image in = randomImage(9, 7, 4);
    // slider 2 = 1: n = 3 rings; slider 1 = 0.3: sample (w - 1 - k, trunc(4 * 0.05 * 7)).
    Image expected = in;
    for (int k = 0; k < 3; ++k) {
        const auto c = in.get(9 - 1 - k, static_cast<int>(4 * (0.3 - 0.25) * 7));
        for (int y = 0; y < in.h; ++y)
            for (int x = 0; x < in.w; ++x) {
                const bool onRing = (x == k || x == 8 - k || y == k || y == 6 - k) && x >= k && x <= 8 - k &&
                                    y >= k && y <= 6 - k;
                if (onRing) expected.set(x, y, {c[0], c[1], c[2], in.get(x, y)[3]});
            }
    }
    EXPECT_EQ(runFilterOn("Borderize", in, settings({300, 1000})), expected);
}

}  // namespace
