// One layer of the canvas, and the record shape the blend buffers and the paint layer
// reuse outside the slot table.
#pragma once

#include <cstdint>

#include "core/owned_buffer.h"
#include "core/rect.h"

namespace dro {

struct LayerSlot {
    OwnedBuffer<uint16_t> pixels;  // RGBA64, width x height, rows top to bottom
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowPitch = 0;  // in 16-bit channel values: width * 4
    uint8_t visible = 0;
    uint8_t alphaLocked = 0;
    uint16_t opacity = 0;  // 0..256, 256 = opaque
    int32_t mode = 0;      // blend mode id
    Rect extents;          // painted area; kept only for the paint layer

    bool empty() const noexcept { return !pixels; }
};

}  // namespace dro
