#include "core/transfer_read.h"

#include <algorithm>

#include "core/canvas.h"
#include "core/pixel_format.h"
#include "core/plane_copy.h"

namespace dro {
namespace {

constexpr int64_t kParallelPixels = 1000;

inline const uint16_t* rowOf(const uint16_t* plane, int64_t pitchBytes, int64_t j) noexcept {
    return reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(plane) + j * pitchBytes);
}

inline void narrowRowRGBA(const uint16_t* src, uint8_t* dst, int32_t count) noexcept {
    for (int64_t i = 0; i < int64_t{count} * 4; ++i) dst[i] = narrow16(src[i]);
}

inline void narrowRowRGB(const uint16_t* src, uint8_t* dst, int32_t count) noexcept {
    for (int32_t i = 0; i < count; ++i) {
        dst[i * 3 + 0] = narrow16(src[i * 4 + 0]);
        dst[i * 3 + 1] = narrow16(src[i * 4 + 1]);
        dst[i * 3 + 2] = narrow16(src[i * 4 + 2]);
    }
}

}  // namespace

void getRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t layer) noexcept {
    const LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !destination) return;
    const PlaneExtent walk = canvasWalk(*slot);
    const int64_t rows = walk.height;
    const int64_t rowPitch = slot->rowPitch;
    const uint16_t* plane = slot->pixels.get();
#pragma omp parallel for schedule(static) if (rows * walk.width > kParallelPixels)
    for (int64_t j = 0; j < rows; ++j) {
        narrowRowRGBA(plane + j * rowPitch, destination + j * pitch, walk.width);
    }
}

void getRGB24Layer(uint8_t* destination, int32_t pitch, int32_t layer) noexcept {
    const LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !destination) return;
    const PlaneExtent walk = canvasWalk(*slot);
    for (int64_t j = 0; j < walk.height; ++j) {
        narrowRowRGB(slot->pixels.get() + j * slot->rowPitch, destination + j * pitch, walk.width);
    }
}

void getRGB24FromCurrent(uint8_t* destination, int32_t pitch) noexcept {
    const LayerSlot* slot = filledCurrentSlot();
    if (!slot) return;
    getRGB24Layer(destination, pitch, static_cast<int32_t>(slot - canvas().layerSlots.data()));
}

void getRGB24FromAlpha(uint8_t* destination, int32_t pitch) noexcept {
    const LayerSlot* slot = filledCurrentSlot();
    if (!slot || !destination) return;
    const PlaneExtent walk = canvasWalk(*slot);
    for (int64_t j = 0; j < walk.height; ++j) {
        const uint16_t* src = slot->pixels.get() + j * slot->rowPitch;
        uint8_t* dst = destination + j * pitch;
        for (int32_t i = 0; i < walk.width; ++i) {
            const uint8_t a = narrow16(src[i * 4 + 3]);
            dst[i * 3 + 0] = a;
            dst[i * 3 + 1] = a;
            dst[i * 3 + 2] = a;
        }
    }
}

void getRGBA64Layer(uint16_t* destination, int32_t pitch, int32_t layer) noexcept {
    const LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !destination) return;
    const PlaneExtent walk = canvasWalk(*slot);
    copyPlaneRect(destination, pitch, slot->pixels.get(), int64_t{slot->rowPitch} * 2, int64_t{walk.width} * 8,
                  walk.height);
}

void getRGBA64LayerRect(uint16_t* destination, int32_t destinationPitch, int32_t layer, int32_t x, int32_t y,
                        int32_t width, int32_t height) noexcept {
    const LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !destination || width <= 0 || height <= 0) return;
    // The layer side never reads outside its plane: rows and columns off the layer are
    // left as they are in the destination.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, slot->width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, slot->height);
    if (left >= right || top >= bottom) return;
    auto* out = reinterpret_cast<uint8_t*>(destination) + (top - y) * destinationPitch + (left - x) * 8;
    copyPlaneRect(out, destinationPitch, slot->pixels.get() + top * slot->rowPitch + left * 4,
                  int64_t{slot->rowPitch} * 2, (right - left) * 8, bottom - top);
}

namespace {

// The rectangle held to the canvas: a negative corner moves to 0 and the far edges
// stop at the canvas, so no row or column outside it is read. False when nothing is left.
bool clipRectToCanvas(int32_t& x, int32_t& y, int32_t& width, int32_t& height) noexcept {
    const Canvas& c = canvas();
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (int64_t{x} + width > c.width) width = c.width - x;
    if (int64_t{y} + height > c.height) height = c.height - y;
    return width > 0 && height > 0;
}

}  // namespace

void rgba64RectToRGBA32(const uint16_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t blockWidth, uint8_t* destination) noexcept {
    if (!block || !destination || !clipRectToCanvas(x, y, width, height)) return;
    for (int64_t j = 0; j < height; ++j) {
        const uint16_t* src = block + ((y + j) * int64_t{blockWidth} + x) * 4;
        narrowRowRGBA(src, destination + j * width * 4, width);
    }
}

// Clipped like its RGBA32 twin: an unclipped rectangle off the canvas read far
// outside any block a host could hold.
void rgba64RectToRGB24(const uint16_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t blockWidth, uint8_t* destination) noexcept {
    if (!block || !destination || !clipRectToCanvas(x, y, width, height)) return;
    for (int64_t j = 0; j < height; ++j) {
        const uint16_t* src = block + ((y + j) * int64_t{blockWidth} + x) * 4;
        narrowRowRGB(src, destination + j * width * 3, width);
    }
}

void rgba64ToRGBA32Rect(uint8_t* destination, int32_t destinationPitch, const uint16_t* source,
                        int32_t sourcePitch, int32_t width, int32_t height) noexcept {
    if (!destination || !source) return;
    for (int64_t j = 0; j < height; ++j) {
        narrowRowRGBA(rowOf(source, sourcePitch, j), destination + j * destinationPitch, width);
    }
}

void rgba64ToRGB24Rect(uint8_t* destination, int32_t destinationPitch, const uint16_t* source,
                       int32_t sourcePitch, int32_t width, int32_t height) noexcept {
    if (!destination || !source) return;
    for (int64_t j = 0; j < height; ++j) {
        narrowRowRGB(rowOf(source, sourcePitch, j), destination + j * destinationPitch, width);
    }
}

}  // namespace dro
