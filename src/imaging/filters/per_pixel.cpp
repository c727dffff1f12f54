// Per-pixel filters: each output pixel depends on its own input pixel only (and, for
// the fader, on its position). Alpha is kept unless a filter says otherwise.
#include <algorithm>

#include "core/layer_alpha.h"
#include "core/canvas.h"
#include "imaging/filters/filter_functions.h"
#include "imaging/filters/pixel_access.h"

namespace dro::filters {
namespace {

// Calls f(x, y, pixel) for every pixel, pixel read under the single-buffer rule.
template <class F>
void eachPixel(const FilterParams& p, F&& f) {
    const PixelView in = readView(p);
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) f(x, y, in.rgba(x, y));
}

int32_t sliderByte(double slider) noexcept { return truncInt(slider * 255.0); }

}  // namespace

void grayscale(FilterParams& p) {
    const PixelWriter out = writer(p);
    eachPixel(p, [&](int32_t x, int32_t y, const Rgba& c) {
        const int32_t l = lum(c);
        out.rgb(x, y, l, l, l);
    });
}

void invert(FilterParams& p) {
    const PixelWriter out = writer(p);
    eachPixel(p, [&](int32_t x, int32_t y, const Rgba& c) { out.rgb(x, y, 255 - c[0], 255 - c[1], 255 - c[2]); });
}

void basicThreshold(FilterParams& p) {
    const PixelWriter out = writer(p);
    const int32_t t = sliderByte(p.slider[0]);
    eachPixel(p, [&](int32_t x, int32_t y, const Rgba& c) {
        const int32_t v = lum(c) >= t ? 255 : 0;
        out.rgb(x, y, v, v, v);
    });
}

void hyperContrast(FilterParams& p) {
    const PixelWriter out = writer(p);
    int32_t b = truncInt((1.0 - p.slider[0]) * 255.0);
    if (b == 0) b = 1;
    if (b >= 250) b = 250;
    // A negative divisor (slider above 1) is kept: the clamp at the end bounds it.
    eachPixel(p, [&](int32_t x, int32_t y, const Rgba& c) {
        const int32_t hi = std::max({c[0], c[1], c[2]});
        const int32_t lo = std::min({c[0], c[1], c[2]});
        const double o = (hi + lo) / 510.0;
        int32_t v[3];
        for (int k = 0; k < 3; ++k) {
            const int32_t inv = 255 - c[k];
            const int32_t shadow = 255 - inv * inv / b;
            const int32_t light = c[k] * c[k] / b;
            v[k] = truncClampByte((1.0 - o) * shadow + o * light);
        }
        out.rgb(x, y, v[0], v[1], v[2]);
    });
}

void adjustRgba(FilterParams& p) {
    const PixelWriter out = writer(p);
    const PixelView in = readView(p);
    for (int32_t y = 0; y < p.height; ++y) {
        for (int32_t x = 0; x < p.width; ++x) {
            RgbaD c = in.rgbaD(x, y);
            for (int k = 0; k < 4; ++k) {
                const double s = p.slider[k];
                c[k] = s < 0.5 ? c[k] - (0.5 - s) * c[k] * 2.0 : c[k] + (s - 0.5) * (1.0 - c[k]) * 2.0;
            }
            out.rgbaD(x, y, c);
        }
    }
}

void adjustLab(FilterParams& p) {
    const PixelWriter out = writer(p);
    const double dl = (p.slider[0] - 0.5) * 200.0;
    const double da = (p.slider[1] - 0.5) * 200.0;
    const double db = (p.slider[2] - 0.5) * 200.0;
    eachPixel(p, [&](int32_t x, int32_t y, const Rgba& c) {
        color::Lab lab = color::xyzToLab(color::rgbToXyz({c[0], c[1], c[2]}));
        lab.l += dl;
        lab.a += da;
        lab.b += db;
        out.lab(x, y, lab);
    });
}

void clampChannels(FilterParams& p) {
    const PixelWriter out = writer(p);
    const double low = p.slider[0] * 255.0;
    const int32_t lowValue = truncInt(p.slider[1] * 255.0);
    const double high = p.slider[2] * 255.0;
    const int32_t highValue = truncInt(p.slider[3] * 255.0);
    eachPixel(p, [&](int32_t x, int32_t y, Rgba c) {
        for (int k = 0; k < 4; ++k) {
            if (!p.flag[k]) continue;
            if (low > c[k]) c[k] = lowValue;
            if (high < c[k]) c[k] = highValue;
        }
        out.rgba(x, y, c);
    });
}

void channel(FilterParams& p) {
    const PixelWriter out = writer(p);
    eachPixel(p, [&](int32_t x, int32_t y, Rgba c) {
        // Each flag keeps one channel as the alpha of a pure primary; later flags see
        // the result of earlier ones.
        for (int k = 0; k < 3; ++k) {
            if (!p.flag[k]) continue;
            const int32_t v = c[k];
            c = {0, 0, 0, 0};
            if (v > 0) {
                c[k] = 255;
                c[3] = v;
            }
        }
        out.rgba(x, y, c);
    });
}

void alphaEdgeColor(FilterParams& p) {
    const PixelWriter out = writer(p);
    const int32_t lo = sliderByte(p.slider[3]);
    const int32_t hi = sliderByte(p.slider[4]);
    const Rgba colour{sliderByte(p.slider[0]), sliderByte(p.slider[1]), sliderByte(p.slider[2]), 0};
    const bool opaque = p.flag[0] == 1;
    eachPixel(p, [&](int32_t x, int32_t y, Rgba c) {
        if (c[3] <= lo) {
            c[3] = 0;
        } else if (c[3] < hi) {
            c[0] = colour[0];
            c[1] = colour[1];
            c[2] = colour[2];
            if (opaque) c[3] = 255;
        } else if (opaque) {
            c[3] = 255;
        }
        out.rgba(x, y, c);
    });
}

void fader(FilterParams& p) {
    int32_t left = 0, top = 0, right = p.width - 1, bottom = p.height - 1;
    if (p.flag[0]) {
        Rect extents;
        if (!findDataExtentsLayer(canvas().currentLayer, extents)) return;
        left = std::max(extents.left, 0);
        top = std::max(extents.top, 0);
        right = std::min(extents.right, p.width - 1);
        bottom = std::min(extents.bottom, p.height - 1);
    }
    if (left > right || top > bottom) return;
    const bool saturation = p.flag[1] != 0;
    const bool lightness = p.flag[2] != 0;
    const bool alpha = p.flag[3] != 0;
    if (!saturation && !lightness && !alpha) return;

    // Linear from the first edge's factor to the last's; a one-pixel span keeps the first.
    const auto ramp = [](double first, double last, int32_t at, int32_t from, int32_t to) {
        return to == from ? first : first + (last - first) * (at - from) / static_cast<double>(to - from);
    };
    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    for (int32_t y = top; y <= bottom; ++y) {
        const double fy = ramp(2.0 * p.slider[0], 2.0 * p.slider[1], y, top, bottom);
        for (int32_t x = left; x <= right; ++x) {
            const double product = ramp(2.0 * p.slider[2], 2.0 * p.slider[3], x, left, right) * fy;
            const Rgba c = in.rgba(x, y);
            if (saturation || lightness) {
                color::Hsl hsl = color::rgbToHsl({c[0], c[1], c[2]});
                if (saturation) hsl.s *= product;
                if (lightness) hsl.l *= product;
                out.hsl(x, y, hsl);
            }
            if (alpha) out.alpha(x, y, truncClampByte(c[3] * product));
        }
    }
}

}  // namespace dro::filters
