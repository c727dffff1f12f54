#include "mask/mask_to_image.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "mask/mask_walk.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

void paintPixel(uint8_t* p, int32_t r, int32_t g, int32_t b, int32_t a) noexcept {
    p[0] = static_cast<uint8_t>(r);
    p[1] = static_cast<uint8_t>(g);
    p[2] = static_cast<uint8_t>(b);
    p[3] = static_cast<uint8_t>(a);
}

}  // namespace

void createImageFromMask() noexcept {
    forEachCurrentLayerPixel([](uint16_t* px, uint16_t& m) {
        // White is capped at 65280, the widened 8-bit 255, as every white loaded from
        // the host is.
        const auto grey = static_cast<uint16_t>(m > 254 ? 65535 - m : 65280);
        px[0] = px[1] = px[2] = grey;
        px[3] = 65535;
    });
}

void createAlphaFromMask(int32_t kind) noexcept {
    switch (kind) {
        case 0:
            forEachCurrentLayerPixel([](uint16_t* px, uint16_t& m) { px[3] = m; });
            break;
        case 1:
            forEachCurrentLayerPixel([](uint16_t* px, uint16_t& m) {
                px[3] = static_cast<uint16_t>(std::min<uint32_t>(uint32_t{px[3]} + m, 65535));
            });
            break;
        case 2:
            forEachCurrentLayerPixel([](uint16_t* px, uint16_t& m) {
                px[3] = static_cast<uint16_t>(px[3] > m ? px[3] - m : 0);
            });
            break;
        default:
            break;
    }
}

void applyMaskToAlphaRectRGBA32(uint8_t* data, int32_t stride, int32_t x0, int32_t y0, int32_t x1,
                                int32_t y1) noexcept {
    const uint16_t* mask = maskPlane();
    if (!mask || !data) return;
    const Canvas& c = canvas();
    // Only the part on the canvas is read from the mask; the block keeps its origin at
    // (x0, y0), so the cut rows and columns are skipped in it, not shifted.
    const int32_t left = std::max(x0, 0);
    const int32_t top = std::max(y0, 0);
    const int32_t right = std::min(x1, c.width - 1);
    const int32_t bottom = std::min(y1, c.height - 1);
    for (int32_t y = top; y <= bottom; ++y) {
        uint8_t* p = data + (int64_t{y} - y0) * stride + (int64_t{left} - x0) * 4;
        const uint16_t* m = mask + static_cast<size_t>(y) * static_cast<size_t>(c.width);
        for (int32_t x = left; x <= right; ++x, p += 4) {
            const uint32_t h = m[x] >> 8;
            if (h == 0) {
                p[3] = 0;
            } else if (h < 255) {
                p[3] = static_cast<uint8_t>((p[3] * (h + 1)) >> 8);
            }
        }
    }
}

void applyMaskToAlphaRGBA32(uint8_t* data) noexcept {
    const Canvas& c = canvas();
    applyMaskToAlphaRectRGBA32(data, c.width * 4, 0, 0, c.width - 1, c.height - 1);
}

void colorRGBA32FromFloodMask(uint8_t* out, const uint8_t* map, int32_t r, int32_t g, int32_t b,
                              int32_t a) noexcept {
    const size_t count = canvasPixelCount();
    if (!count || !out || !map) return;
    for (size_t i = 0; i < count; ++i, out += 4) {
        if (map[i] == 1) paintPixel(out, r, g, b, a);
    }
    invalidateDirtyUndoCanvas();
}

void replaceFromRGBAImageAlphaRange(uint8_t* data, int32_t alpha, int32_t tolerance, int32_t r, int32_t g,
                                    int32_t b, int32_t a) noexcept {
    const size_t count = canvasPixelCount();
    if (!count || !data) return;
    const int64_t t = percentTolerance8(tolerance);
    for (size_t i = 0; i < count; ++i, data += 4) {
        if (std::llabs(int64_t{data[3]} - alpha) <= t) paintPixel(data, r, g, b, a);
    }
}

}  // namespace dro
