// Brush-sized buffers the canvas creates with itself: the 20 grain buffers, the
// brush plane, and the brush shape image loaded later by the shape code.
#pragma once

#include <array>
#include <cstdint>

#include "core/owned_buffer.h"

namespace dro {

inline constexpr int kGrainBufferCount = 20;

struct BrushBuffers {
    std::array<OwnedBuffer<uint8_t>, kGrainBufferCount> grain;  // (maxBrushSize + 25)^2 bytes
    OwnedBuffer<uint16_t> brushPlane;                          // maxBrushSize^2 values
    OwnedBuffer<uint8_t> shapeImage;                           // the loaded brush shape
    int32_t shapeWidth = 0;
    int32_t shapeHeight = 0;

    void releaseShape() noexcept {
        shapeImage.reset();
        shapeWidth = 0;
        shapeHeight = 0;
    }
};

BrushBuffers& brushBuffers() noexcept;
void resetBrushBuffers() noexcept;

// Allocates the grain buffers and the brush plane for a brush box of maxBrush pixels.
// Returns false when any allocation failed (what was obtained stays).
bool allocateBrushBuffers(int32_t maxBrush);
void releaseBrushBuffers() noexcept;

}  // namespace dro
