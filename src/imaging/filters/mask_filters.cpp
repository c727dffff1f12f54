// Mask filters: they write the selection mask from the picture and leave the
// destination as it is. The picture may be smaller or larger than the canvas; only
// the part over the canvas reaches the mask.
#include <algorithm>
#include <cstdlib>

#include "core/canvas.h"
#include "imaging/filters/filter_functions.h"
#include "imaging/filters/pixel_access.h"
#include "core/mask_state.h"

namespace dro::filters {
namespace {

struct MaskTarget {
    uint16_t* plane = nullptr;
    int32_t canvasWidth = 0;
    int32_t width = 0;   // columns both cover
    int32_t height = 0;  // rows both cover

    uint16_t& at(int32_t x, int32_t y) const noexcept {
        return plane[static_cast<int64_t>(y) * canvasWidth + x];
    }
};

MaskTarget maskTarget(const FilterParams& p) noexcept {
    MaskTarget t;
    t.plane = maskState().plane.get();
    if (!t.plane) return t;
    t.canvasWidth = canvas().width;
    t.width = std::min(p.width, canvas().width);
    t.height = std::min(p.height, canvas().height);
    return t;
}

uint16_t maskFromFraction(double scaled) noexcept {
    // scaled is already in 0..255 * 257 by construction; the cast truncates.
    return static_cast<uint16_t>(std::clamp(scaled, 0.0, 65535.0));
}

}  // namespace

void maskHighLow(FilterParams& p) {
    const MaskTarget mask = maskTarget(p);
    if (!mask.plane) return;
    const PixelView in = readView(p);
    const int32_t hi = truncInt(p.slider[0] * 255.0);
    const int32_t lo = truncInt(p.slider[1] * 255.0);
    const double hiSpan = std::max(255 - hi, 1);
    const double loSpan = std::max(lo, 1);
    for (int32_t y = 0; y < mask.height; ++y) {
        for (int32_t x = 0; x < mask.width; ++x) {
            const int32_t l = in.lumAt(x, y);
            if (l > hi) {
                mask.at(x, y) = maskFromFraction(std::min((255 - l) * 255.0 / hiSpan, 255.0) * 257.0);
            } else if (l < lo) {
                mask.at(x, y) = maskFromFraction(std::min(l * 255.0 / loSpan, 255.0) * 257.0);
            }
        }
    }
}

void maskDetail(FilterParams& p) {
    const MaskTarget mask = maskTarget(p);
    if (!mask.plane) return;
    const PixelView in = readView(p);
    const int32_t e = truncInt(p.slider[0] * 255.0);
    // A value outside 0..65535 (slider 2 outside 0..1) is held to the mask's range.
    const auto value = static_cast<uint16_t>(std::clamp(truncInt((1.0 - p.slider[1]) * 65535.0), 0, 65535));
    const bool allEight = p.flag[1] != 0;
    const auto differs = [e](int32_t a, int32_t b) { return std::abs(a - b) > e; };

    // Interior pixels of the picture that also lie on the canvas.
    const int32_t lastRow = std::min(p.height - 2, mask.height - 1);
    const int32_t lastColumn = std::min(p.width - 2, mask.width - 1);
    for (int32_t y = 1; y <= lastRow; ++y) {
        for (int32_t x = 1; x <= lastColumn; ++x) {
            const Rgba c = in.rgba(x, y);
            bool detail = false;
            // The colour channels carry the detail; alpha is left out.
            for (int k = 0; k < 3 && !detail; ++k) {
                if (allEight) {
                    bool fromAll = true;
                    for (int32_t dy = -1; dy <= 1 && fromAll; ++dy)
                        for (int32_t dx = -1; dx <= 1 && fromAll; ++dx)
                            if ((dx || dy) && !differs(c[k], in.rgba(x + dx, y + dy)[k])) fromAll = false;
                    detail = fromAll;
                } else {
                    const bool vertical = differs(c[k], in.rgba(x, y - 1)[k]) && differs(c[k], in.rgba(x, y + 1)[k]);
                    const bool horizontal =
                        differs(c[k], in.rgba(x - 1, y)[k]) && differs(c[k], in.rgba(x + 1, y)[k]);
                    detail = vertical || horizontal;
                }
            }
            if (detail) mask.at(x, y) = value;
        }
    }
}

}  // namespace dro::filters
