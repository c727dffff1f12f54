// Filters that reach past their two blocks: the mask filters, the passes written into
// the current layer, and the fader's content box; plus the anti-alias sweeps and the
// vignette's falloff.
#include <algorithm>
#include <cstdlib>

#include "imaging/filter_fixture.h"

namespace {

class FilterCanvas : public EngineTest {
protected:
    void open(const Image& im) {
        openCanvas(im.w, im.h);
        DRO_LoadRGBA32(im.px.data(), im.w * 4, 0);
        DRO_EnableMask(0);
    }
    Image layer(int w, int h) const {
        Image out{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
        DRO_GetRGBA32Layer(out.px.data(), w * 4, 1);
        return out;
    }
};

TEST_F(FilterCanvas, MaskDetailMarksIsolatedPixels) {
    const Image in = randomImage(8, 6, 14, 120);
    open(in);
    for (uint8_t allEight : {0, 1}) {
        std::vector<uint16_t> start(48, 777);
        DRO_SetMaskData16(start.data());
        const int slider = allEight ? 20 : 150;
        runFilterOn("Mask Detail", in, settings({slider, 250}, {0, allEight}));
        const auto mask = maskValues(8, 6);
        const int e = static_cast<int>(slider * 0.001 * 255);
        const auto value = static_cast<uint16_t>((1.0 - 250 * 0.001) * 65535);
        int marked = 0;
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x) {
                bool detail = false;
                const bool interior = x > 0 && y > 0 && x < 7 && y < 5;
                for (int k = 0; k < 3 && interior; ++k) {
                    const int c = in.get(x, y)[k];
                    const auto far = [&](int dx, int dy) { return std::abs(c - in.get(x + dx, y + dy)[k]) > e; };
                    if (allEight) {
                        bool all = true;
                        for (int dy = -1; dy <= 1; ++dy)
                            for (int dx = -1; dx <= 1; ++dx)
                                if ((dx || dy) && !far(dx, dy)) all = false;
                        detail = detail || all;
                    } else {
                        detail = detail || (far(0, -1) && far(0, 1)) || (far(-1, 0) && far(1, 0));
                    }
                }
                marked += detail;
                EXPECT_EQ(mask[y * 8 + x], detail ? value : 777) << x << "," << y << " eight " << int{allEight};
            }
        }
        EXPECT_GT(marked, 0);
    }
}

TEST_F(FilterCanvas, MaskHighLowKeepsValuesAtTheLimits) {
    // hi = lo = 127 (slider 500): lum 127 keeps its value, 128 and 126 do not.
    Image in = Image::flat(3, 1, {0, 0, 0, 255});
    in.set(0, 0, {127, 127, 127, 255});
    in.set(1, 0, {128, 128, 128, 255});
    in.set(2, 0, {126, 126, 126, 255});
    open(in);
    std::vector<uint16_t> start(3, 4321);
    DRO_SetMaskData16(start.data());
    runFilterOn("Mask High Low", in, settings({500, 500}));
    const auto mask = maskValues(3, 1);
    EXPECT_EQ(mask[0], 4321);
    EXPECT_EQ(mask[1], static_cast<uint16_t>(std::min(127 * 255.0 / 128, 255.0) * 257));
    EXPECT_EQ(mask[2], static_cast<uint16_t>(std::min(126 * 255.0 / 127, 255.0) * 257));
}

TEST_F(FilterCanvas, MaskFiltersStayOnTheCanvas) {
    // A picture larger than the canvas (as the brush-shape code may pass) writes only
    // the canvas part of the mask.
    openCanvas(3, 2);
    const Image big = randomImage(9, 7, 2);
    runFilterOn("Mask High Low", big, settings({100, 900}));
    runFilterOn("Mask Detail", big, settings({10, 0}, {0, 1}));
    EXPECT_EQ(maskValues(3, 2).size(), 6u);
}

TEST_F(FilterCanvas, LineArtCleanerWhitensFaintDarkPixels) {
    const Image in = randomImage(9, 8, 23);
    open(in);
    const int t = static_cast<int>(600 * 0.001 * 255), lift = static_cast<int>(100 * 0.001 * 255);
    Image first = in;
    for (int y = 0; y < in.h; ++y)
        for (int x = 0; x < in.w; ++x) {
            const int v = in.lum(x, y) >= t ? 255 : 0;
            first.set(x, y, {v, v, v, in.get(x, y)[3]});
        }
    Image expected = first;
    for (int y = 1; y < in.h - 1; ++y)
        for (int x = 1; x < in.w - 1; ++x) {
            int sum = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) sum += first.lum(x + i, y + j);
            const int l = first.lum(x, y);
            if (l < t && l < sum / 9 - lift) expected.set(x, y, {255, 255, 255, first.get(x, y)[3]});
        }
    EXPECT_EQ(runFilterOn("Line Art Cleaner", in, settings({600, 100})), expected);
    // The first pass went into the layer.
    EXPECT_EQ(layer(in.w, in.h), first);
}

TEST_F(FilterCanvas, FaderRampsAlphaAcrossTheContentBox) {
    Image in = Image::flat(7, 5, {50, 60, 70, 0});
    for (int y = 1; y <= 3; ++y)
        for (int x = 2; x <= 5; ++x) in.set(x, y, {50, 60, 70, 200});
    open(in);
    // Horizontal from 0 to 2 * 0.5 = 1 across the content box (columns 2..5), vertical 1.
    const Image out = runFilterOn("Fader", in, settings({500, 500, 0, 500}, {1, 0, 0, 1}));
    for (int x = 2; x <= 5; ++x)
        EXPECT_EQ(out.get(x, 2)[3], static_cast<int>(200 * ((x - 2) / 3.0))) << x;
    EXPECT_EQ(out.get(6, 2), in.get(6, 2));  // outside the box
    // The whole image when flag 1 is clear; factors of 1 keep every alpha.
    EXPECT_EQ(runFilterOn("Fader", in, settings({500, 500, 500, 500}, {0, 0, 0, 1})), in);
}

TEST(FilterSweeps, AntiAliasFollowsTheSweepsWithTheAcrossPixel) {
    const Image in = randomImage(9, 7, 99);
    const double m1 = 0.7, m2 = 0.4;
    const int t1 = static_cast<int>((1.0 - 900 * 0.001) * 255), t2 = static_cast<int>((1.0 - 800 * 0.001) * 255);
    struct P { int y0, y1, dy, x0, x1, dx, nx, ny; };
    const int w = in.w, h = in.h;
    const P ps[8] = {{0, h - 2, 1, 0, w - 2, 1, 1, 0},   {h - 1, 1, -1, w - 1, 1, -1, -1, 0},
                     {1, h - 1, 1, w - 1, 1, -1, -1, 0}, {h - 1, 1, -1, 0, w - 2, 1, 1, 0},
                     {0, h - 2, 1, 0, w - 2, 1, 0, 1},   {h - 1, 1, -1, w - 1, 1, -1, 0, -1},
                     {0, h - 2, 1, w - 1, 1, -1, 0, 1},  {h - 1, 1, -1, 0, w - 2, 1, 0, -1}};
    Image im = in;
    for (const P& s : ps) {
        for (int y = s.y0; s.dy > 0 ? y < s.y1 : y > s.y1; y += s.dy) {
            for (int x = s.x0; s.dx > 0 ? x < s.x1 : x > s.x1; x += s.dx) {
                const int nx = x + s.nx, ny = y + s.ny;
                const int ax = nx + (s.ny ? s.dx : 0), ay = ny + (s.ny ? 0 : s.dy);
                const int lc = im.lum(x, y), ln = im.lum(nx, ny), la = im.lum(ax, ay);
                double m = -1;
                if (lc - ln > t1 && lc - la <= 0) m = m1;
                else if (ln - lc > t2 && la - lc <= 0) m = m2;
                if (m < 0) continue;
                auto n = im.get(nx, ny);
                const auto c = im.get(x, y);
                for (int k = 0; k < 4; ++k) n[k] = static_cast<int>(n[k] * m + c[k] * (1 - m));
                im.set(nx, ny, n);
            }
        }
    }
    EXPECT_EQ(runFilterOn("Anti Alias", in, settings({700, 400, 900, 800})), im);
}

TEST_F(FilterCanvas, VignetteFadesTheCornersAndKeepsTheCentre) {
    const Image in = Image::flat(41, 31, {100, 150, 200, 200});
    open(in);
    // Ellipse drawn with 255 on a ground of trunc(255 - 1 * 255) = 0, a light blur;
    // alpha falls toward 0 (flag 2) where the blurred shape is dark.
    const Image out = runFilterOn("Vignette", in, settings({0, 0, 0, 50, 0, 1000}, {0, 1}));
    EXPECT_EQ(out.get(0, 0)[3], 0);
    EXPECT_EQ(out.get(40, 30)[3], 0);
    EXPECT_NEAR(out.get(20, 15)[3], 200, 1);
    EXPECT_EQ(out.get(20, 15)[0], 100);  // colour untouched without flag 1
    // Toward a colour (flag 1): the corners take it outright.
    const Image tinted = runFilterOn("Vignette", in, settings({1000, 0, 0, 50, 0, 1000}, {1, 0}));
    EXPECT_EQ(tinted.get(0, 0), (std::array{255, 0, 0, 255}));
    EXPECT_NEAR(tinted.get(20, 15)[2], 200, 1);
}

}  // namespace
