// What the mask operations share: the plane they write, walks that pair canvas-sized
// host blocks or the current layer with it, and the value arithmetic of the builders.
// Every walk stays inside the canvas: host blocks are trusted to be canvas-sized, the
// plane is canvas-sized whenever it exists, and a layer is walked only where it
// overlaps the canvas.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/canvas.h"
#include "core/mask_state.h"

namespace dro {

// Canvas pixels, 0 before a canvas exists.
inline size_t canvasPixelCount() noexcept {
    const Canvas& c = canvas();
    return c.width > 0 && c.height > 0 ? static_cast<size_t>(c.width) * static_cast<size_t>(c.height) : 0;
}

// The plane the operations may write, or null: no canvas, or its allocation failed.
// The mask-enabled switch does not matter here; it only steers consumers.
inline uint16_t* maskPlane() noexcept { return canvasPixelCount() ? maskState().plane.get() : nullptr; }

// What builders write on matching pixels: (65535 - amount) * 256 kept to 16 bits, so
// amount 0 gives 65280 (editable, though not fully) and 255 gives 0 (protected).
constexpr uint16_t maskSetValue(int32_t amount) noexcept {
    return static_cast<uint16_t>((65535u - static_cast<uint32_t>(amount)) * 256u);
}

// A tolerance in percent as 8-bit units, trunc(percent * 2.56); 64 bits so that no
// argument overflows the conversion.
inline int64_t percentTolerance8(int32_t percent) noexcept { return static_cast<int64_t>(percent * 2.56); }

// Gives matching pixels of a tightly packed canvas-sized block the set value.
// match(const uint8_t* pixel) sees bytesPerPixel bytes.
template <class Match>
void markMatching(const uint8_t* block, size_t bytesPerPixel, int32_t amount, Match match) {
    uint16_t* mask = maskPlane();
    if (!mask || !block) return;
    const uint16_t value = maskSetValue(amount);
    const size_t count = canvasPixelCount();
    for (size_t i = 0; i < count; ++i, block += bytesPerPixel) {
        if (match(block)) mask[i] = value;
    }
}

// Calls visit(uint16_t* pixel, uint16_t& m) for the current layer's pixels that lie on
// the canvas, paired with their mask values. Nothing without a mask plane or a
// current layer with pixels.
template <class Visit>
void forEachCurrentLayerPixel(Visit visit) {
    uint16_t* mask = maskPlane();
    LayerSlot* slot = filledCurrentSlot();
    if (!mask || !slot) return;
    const PlaneExtent walk = canvasWalk(*slot);
    const size_t canvasWidth = static_cast<size_t>(canvas().width);
    for (int32_t y = 0; y < walk.height; ++y) {
        uint16_t* px = slot->pixels.get() + static_cast<size_t>(y) * static_cast<size_t>(slot->rowPitch);
        uint16_t* m = mask + static_cast<size_t>(y) * canvasWidth;
        for (int32_t x = 0; x < walk.width; ++x, px += 4, ++m) visit(px, *m);
    }
}

}  // namespace dro
