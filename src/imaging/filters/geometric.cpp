// Geometric and compositing filters that move whole pixels: "Mirror", "Reflection"
// and "Borderize".
#include <algorithm>
#include <array>

#include "imaging/filters/filter_functions.h"
#include "imaging/filters/pixel_access.h"

namespace dro::filters {

void mirror(FilterParams& p) {
    const int32_t w = p.width;
    const int32_t h = p.height;
    const int32_t halfH = h / 2;
    const int32_t halfW = w / 2;

    // Each pass rewrites destination pixels from the read block; reads outside the
    // image give transparent black. Settings above 1 can reach far past the image, so
    // the walked range is cut to it and source indices are worked out in 64 bits.
    const auto rows = [&](int64_t first, int64_t last, auto sourceRow) {
        const PixelView in = readView(p);
        const PixelWriter out = writer(p);
        for (int64_t y = std::max<int64_t>(first, 0); y <= std::min<int64_t>(last, h - 1); ++y) {
            const int64_t from = sourceRow(y);
            const bool inside = from >= 0 && from < h;
            for (int32_t x = 0; x < w; ++x)
                out.rgba(x, static_cast<int32_t>(y), inside ? in.rgba(x, static_cast<int32_t>(from)) : Rgba{});
        }
    };
    const auto columns = [&](int64_t first, int64_t last, auto sourceColumn) {
        const PixelView in = readView(p);
        const PixelWriter out = writer(p);
        for (int32_t y = 0; y < h; ++y) {
            for (int64_t x = std::max<int64_t>(first, 0); x <= std::min<int64_t>(last, w - 1); ++x) {
                const int64_t from = sourceColumn(x);
                const bool inside = from >= 0 && from < w;
                out.rgba(static_cast<int32_t>(x), y, inside ? in.rgba(static_cast<int32_t>(from), y) : Rgba{});
            }
        }
    };

    std::array<bool, 4> runs{};
    for (int i = 0; i < 4; ++i) runs[i] = p.slider[i] > 0.0;
    int lastRun = -1;
    for (int i = 0; i < 4; ++i)
        if (runs[i]) lastRun = i;

    for (int pass = 0; pass < 4; ++pass) {
        if (!runs[pass]) continue;
        switch (pass) {
            case 0: {  // bottom half reflected up from row h - a
                const int64_t a = truncInt(p.slider[0] * halfH);
                rows(h - a + 1, h - 1, [&](int64_t y) { return 2 * (h - a) - y; });
                break;
            }
            case 1: {  // top rows reflected about row a
                const int64_t a = truncInt(p.slider[1] * halfH);
                rows(0, a - 1, [&](int64_t y) { return 2 * a - y; });
                break;
            }
            case 2: {  // right columns reflected about column d
                const int64_t d = w - int64_t{truncInt(p.slider[2] * halfW)};
                columns(d + 1, w - 1, [&](int64_t x) { return 2 * d - x; });
                break;
            }
            default: {  // left columns reflected about column a
                const int64_t a = truncInt(p.slider[3] * halfW);
                columns(0, a - 1, [&](int64_t x) { return 2 * a - x; });
                break;
            }
        }
        // The next pass starts from this one's result; the last result is the caller's
        // to write.
        if (pass != lastRun) commitIntermediate(p);
    }
}

void reflection(FilterParams& p) {
    const int32_t w = p.width;
    const int32_t h = p.height;
    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    const int32_t e = std::max(truncInt((1.0 - p.slider[0]) * (h - 1)), 0);

    int32_t sharedStart = e;
    const bool fromOpaque = p.flag[0] != 0;
    if (fromOpaque) {
        // The lowest row holding a nearly opaque pixel; none: the start row e.
        bool found = false;
        for (int32_t y = h - 1; y >= 0 && !found; --y) {
            for (int32_t x = 0; x < w && !found; ++x) {
                if (in.rgba(x, y)[3] > 253) {
                    sharedStart = y;
                    found = true;
                }
            }
        }
    }
    // The fade per row; images under 16 rows fade over one row rather than divide by 0.
    const double startFactor = p.slider[1];
    const double fall = (startFactor - (1.0 - p.slider[2]) * startFactor) / std::max(h / 16, 1);
    const double spread = 4.0 * p.slider[3];

    for (int32_t x = 0; x < w; ++x) {
        int32_t n = e - 1;
        if (fromOpaque) {
            n = sharedStart;
        } else if (!p.flag[1]) {
            for (int32_t y = h - 1; y >= e; --y)
                if (in.rgba(x, y)[3] != 0) {
                    n = y;
                    break;
                }
        }
        double factor = startFactor;
        for (int32_t k = 0; n + k < h; ++k) {
            const int32_t from = truncInt(n - 1 - k * spread);
            // Single-buffer mode reads what earlier rows of this pass wrote.
            Rgba px = in.rgba(x, from);
            px[3] = truncClampByte(px[3] * factor);
            out.rgba(x, n + k, px);
            factor -= fall;
        }
    }
}

void borderize(FilterParams& p) {
    const int32_t w = p.width;
    const int32_t h = p.height;
    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    // Rings from max(w, h) on lie wholly off the image, so the count stops there.
    const int32_t rings = std::min(truncInt((std::min(w, h) / 2) * p.slider[1]), std::max(w, h));
    const double s = p.slider[0];
    for (int32_t k = 0; k < rings; ++k) {
        int32_t sx, sy;
        if (s < 0.25) {
            sx = truncInt(4.0 * s * w);
            sy = k;
        } else if (s < 0.5) {
            sx = w - 1 - k;
            sy = truncInt(4.0 * (s - 0.25) * h);
        } else if (s < 0.75) {
            sx = truncInt(w - 4.0 * (s - 0.5) * w);
            sy = h - 1 - k;
        } else {
            sx = k;
            sy = truncInt(h - 4.0 * (s - 0.75) * h);
        }
        const Rgba c = in.rgba(sx, sy);  // black outside the image
        const int32_t right = w - 1 - k;
        const int32_t bottom = h - 1 - k;
        for (int32_t x = k; x <= right; ++x) {
            out.rgb(x, k, c[0], c[1], c[2]);
            out.rgb(x, bottom, c[0], c[1], c[2]);
        }
        for (int32_t y = k; y <= bottom; ++y) {
            out.rgb(k, y, c[0], c[1], c[2]);
            out.rgb(right, y, c[0], c[1], c[2]);
        }
    }
}

}  // namespace dro::filters
