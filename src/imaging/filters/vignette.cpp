// "Vignette": a soft elliptical or rectangular falloff toward a colour or toward
// transparency. The shape is drawn into an 8-bit plane, blurred, and used as the
// weight of the original pixel.
#include <algorithm>
#include <cstring>

#include "brush/tool_settings.h"
#include "core/allocation.h"
#include "core/owned_buffer.h"
#include "imaging/filters/filter_functions.h"
#include "imaging/filters/pixel_access.h"
#include "imaging/lib/blur.h"
#include "imaging/lib/draw.h"

namespace dro::filters {
namespace {

int32_t toInt32(int64_t v) noexcept {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void vignette(FilterParams& p) {
    const int32_t w = p.width;
    const int32_t h = p.height;
    const uint64_t area = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
    OwnedBuffer<uint8_t> shape = adoptBuffer(x_NewCharUndoReduce(area));
    if (!shape) return;
    OwnedBuffer<uint8_t> blurred = adoptBuffer(x_NewCharUndoReduce(area));
    if (!blurred) return;

    const bool inverted = p.flag[2] != 0;
    const uint8_t ground = inverted ? 0 : static_cast<uint8_t>(truncClampByte(255.0 - p.slider[5] * 255.0));
    const uint8_t ink = (inverted && p.flag[2] == 1) ? static_cast<uint8_t>(truncClampByte(p.slider[5] * 255.0)) : 255;
    std::memset(shape.get(), ground, area);

    int64_t xi = (w - 2 * int64_t{truncInt(p.slider[4] * w)}) / 2;
    int64_t yi = (h - 2 * int64_t{truncInt(p.slider[4] * h)}) / 2;
    if (p.flag[4]) {
        const int64_t longer = w >= h ? xi : yi;
        xi = yi = longer;
    }
    const int64_t a = std::max<int64_t>((w - 2 * xi) / 2, 2);
    const int64_t b = std::max<int64_t>((h - 2 * yi) / 2, 2);
    if (!p.flag[3]) {
        IS40_DrawEllipseOnImage(shape.get(), w, h, 1, w, w / 2, h / 2, toInt32(a), toInt32(b), &ink, true);
    } else {
        const int64_t right = w - xi - 1;
        const int64_t bottom = h - yi;
        if (xi < right && yi < bottom)
            IS40_FillSolidRect(shape.get(), w, h, 1, w, toInt32(xi), toInt32(yi), toInt32(right), toInt32(bottom),
                               &ink);
    }

    double radius = std::max(w, h) * 0.1 * p.slider[3];
    if (radius == 0.0) radius = 0.1;
    if (!is5_GaussianBlurImage(shape.get(), w, h, 1, w, blurred.get(), w, radius, 0x101)) return;

    if (p.slider[0] == 0.0) p.slider[0] = 0.001;
    RgbaD colour{p.slider[0], p.slider[1], p.slider[2], 0.0};
    if (p.flag[5]) {
        const auto& tool = toolSettings().color;
        for (int c = 0; c < 3; ++c) colour[c] = (tool[c] >> 8) * kInv255;
    }
    const bool tint = p.flag[0] != 0;
    const double alphaTarget = p.flag[1] ? 0.0 : 1.0;
    const bool invertWeight = p.flag[2] == 1;

    const PixelView in = readView(p);
    const PixelWriter out = writer(p);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            double m = blurred[static_cast<size_t>(y) * w + x] * kInv255;
            if (invertWeight) m = 1.0 - m;
            RgbaD px = in.rgbaD(x, y);
            if (tint) {
                const bool clear = px[3] == 0.0;
                for (int c = 0; c < 3; ++c) px[c] = clear ? colour[c] : m * px[c] + (1.0 - m) * colour[c];
            }
            px[3] = m * px[3] + (1.0 - m) * alphaTarget;
            out.rgbaD(x, y, px);
        }
    }
}

}  // namespace dro::filters
