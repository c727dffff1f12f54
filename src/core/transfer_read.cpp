#include "core/transfer_read.h"

#include <algorithm>

#include "core/canvas.h"
#include "core/pixel_format.h"
#include "core/plane_copy.h"
#include "core/rect.h"

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
    const PlaneSpan on = overlapWithPlane(x, y, width, height, slot->width, slot->height);
    if (on.empty()) return;
    auto* out = reinterpret_cast<uint8_t*>(destination) + (on.top - y) * destinationPitch + (on.left - x) * 8;
    copyPlaneRect(out, destinationPitch, slot->pixels.get() + on.top * slot->rowPitch + on.left * 4,
                  int64_t{slot->rowPitch} * 2, on.width() * 8, on.height());
}

namespace {

// No row or column outside the canvas is read.
bool clipRectToCanvas(int32_t& x, int32_t& y, int32_t& width, int32_t& height) noexcept {
    return pinRectToPlane(x, y, width, height, canvas().width, canvas().height);
}

// Narrows the canvas-clipped rectangle of an RGBA64 block (rows `blockWidth` pixels
// apart) into packed rows of `Channels` bytes a pixel.
template <int Channels, void (*NarrowRow)(const uint16_t*, uint8_t*, int32_t) noexcept>
void narrowClippedRect(const uint16_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t blockWidth, uint8_t* destination) noexcept {
    if (!block || !destination || !clipRectToCanvas(x, y, width, height)) return;
    for (int64_t j = 0; j < height; ++j) {
        const uint16_t* src = block + ((y + j) * int64_t{blockWidth} + x) * 4;
        NarrowRow(src, destination + j * width * Channels, width);
    }
}

}  // namespace

void rgba64RectToRGBA32(const uint16_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t blockWidth, uint8_t* destination) noexcept {
    narrowClippedRect<4, narrowRowRGBA>(block, x, y, width, height, blockWidth, destination);
}

// Clipped like its RGBA32 twin: an unclipped rectangle off the canvas read far
// outside any block a host could hold.
void rgba64RectToRGB24(const uint16_t* block, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t blockWidth, uint8_t* destination) noexcept {
    narrowClippedRect<3, narrowRowRGB>(block, x, y, width, height, blockWidth, destination);
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
