// Neighbourhood filters: interior pixels only (columns 1..w-2, rows 1..h-2), so an
// image under three pixels on either side is left as it is.
#include <cstdlib>

#include "imaging/filters/filter_functions.h"
#include "imaging/filters/pixel_access.h"

namespace dro::filters {
namespace {

template <class F>
void eachInterior(const FilterParams& p, F&& f) {
    for (int32_t y = 1; y < p.height - 1; ++y)
        for (int32_t x = 1; x < p.width - 1; ++x) f(x, y);
}

int32_t lumSum3x3(const PixelView& in, int32_t x, int32_t y) noexcept {
    int32_t sum = 0;
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) sum += in.lumAt(x + dx, y + dy);
    return sum;
}

}  // namespace

void detailBlur(FilterParams& p) {
    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    const int32_t t = truncInt(p.slider[0] * 255.0);
    constexpr double kNinth = 1.0 / 9.0;
    eachInterior(p, [&](int32_t x, int32_t y) {
        const auto mean = static_cast<int32_t>(lumSum3x3(in, x, y) * kNinth);
        if (std::abs(in.lumAt(x, y) - mean) <= t) return;
        Rgba sum{0, 0, 0, 0};
        for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
                const Rgba n = in.rgba(x + dx, y + dy);
                for (int c = 0; c < 4; ++c) sum[c] += n[c];
            }
        }
        Rgba v;
        for (int c = 0; c < 4; ++c) v[c] = truncClampByte(sum[c] * kNinth);
        out.rgba(x, y, v);
    });
}

void adaptiveBlur(FilterParams& p) {
    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    const double g = (1.0 - p.slider[0]) * 255.0;
    eachInterior(p, [&](int32_t x, int32_t y) {
        const Rgba cur = in.rgba(x, y);
        const Rgba around[4] = {in.rgba(x - 1, y), in.rgba(x + 1, y), in.rgba(x, y - 1), in.rgba(x, y + 1)};
        const int32_t lc = lum(cur);
        double m = 0.0;
        bool triggered = false;
        for (const Rgba& n : around) {
            const int32_t ln = lum(n);
            if (lc - ln > g) {
                m = p.slider[1];
                triggered = true;
                break;
            }
            if (ln - lc > g) {
                m = p.slider[2];
                triggered = true;
                break;
            }
        }
        if (!triggered) return;
        Rgba v;
        for (int c = 0; c < 4; ++c) {
            const double k = truncInt(cur[c] * (1.0 - m));
            double a = truncInt(around[0][c] * m + k);
            for (int i = 1; i < 4; ++i) a = truncInt(around[i][c] * m + a + k);
            v[c] = clampByte(static_cast<int32_t>(a) / 4);
        }
        out.rgba(x, y, v);
    });
}

void basRelief(FilterParams& p) {
    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    int32_t dx = 0, dy = 0;
    switch (p.style[0]) {
        case 0: dx = -1; break;
        case 1: dy = -1; break;
        case 2: dx = -1; dy = -1; break;
        default: break;
    }
    const double amount = p.slider[0];
    // Moves v away from the neighbour's value: toward 1 when above it, toward 0 below.
    const auto push = [amount](double v, double neighbour) {
        if (v > neighbour) return v + (1.0 - v) * amount;
        if (v < neighbour) return v - v * amount;
        return v;
    };
    eachInterior(p, [&](int32_t x, int32_t y) {
        const Rgba c = in.rgba(x, y);
        const Rgba n = in.rgba(x + dx, y + dy);
        color::Hsl hsl = color::rgbToHsl({c[0], c[1], c[2]});
        const color::Hsl nh = color::rgbToHsl({n[0], n[1], n[2]});
        hsl.l = push(hsl.l, nh.l);
        hsl.s = push(hsl.s, nh.s);
        out.hsl(x, y, hsl);
    });
}

void lineArtCleaner(FilterParams& p) {
    const int32_t t = truncInt(p.slider[0] * 255.0);
    {
        const PixelView in = readView(p);
        const PixelWriter out = writer(p);
        for (int32_t y = 0; y < p.height; ++y) {
            for (int32_t x = 0; x < p.width; ++x) {
                const int32_t v = in.lumAt(x, y) >= t ? 255 : 0;
                out.rgb(x, y, v, v, v);
            }
        }
    }
    commitIntermediate(p);

    const int32_t lift = truncInt(p.slider[1] * 255.0);
    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    eachInterior(p, [&](int32_t x, int32_t y) {
        const int32_t l = in.lumAt(x, y);
        if (l < t && l < lumSum3x3(in, x, y) / 9 - lift) out.rgb(x, y, 255, 255, 255);
    });
}

}  // namespace dro::filters
