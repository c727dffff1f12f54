// Brush-sized buffers the canvas creates with itself: the 20 grain buffers, the
// shape buffer (brush plane), the cached brush shape image, the grain cursor and the
// per-pixel colour and brightness tables the dab reads.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/owned_buffer.h"
#include "core/random_tables.h"
#include "core/subsystem_state.h"

namespace dro {

inline constexpr int kGrainBufferCount = 20;
// Room around a grain window for the random cursor offset of 0..24 in each direction.
inline constexpr int kGrainMargin = 25;

struct BrushBuffers {
    // Each (maxBrushSize + 25)^2 bytes, addressed with row stride maxBrushSize.
    // 255 = no grain; 0..253 = grain cell values.
    std::array<OwnedBuffer<uint8_t>, kGrainBufferCount> grain;
    OwnedBuffer<uint16_t> brushPlane;  // the shape buffer: maxBrushSize^2 values, stride maxBrushSize
    int32_t grainEdge = 0;             // maxBrushSize the grain buffers were made for

    // The grain cursor: buffer index and offset of the current dab's top-left grain
    // value. A build leaves it at the start of the last buffer.
    int32_t grainBuffer = kGrainBufferCount - 1;
    int32_t grainOffset = 0;

    // The cached shape image (RGBA32, stride width * 4), its source path and the
    // rotation it was built with. Unloading keeps the path.
    OwnedBuffer<uint8_t> shapeImage;
    int32_t shapeWidth = 0;
    int32_t shapeHeight = 0;
    std::string shapePath;
    int32_t shapeImageParam = 0;

    // 3 * maxBrushSize bytes each, built by DRO_SetPixColorVary / DRO_SetPixLumVary.
    // Empty until built for the current canvas: readers treat that as no variation.
    RandomByteArray pixelColorTable;       // (rand() mod 1000) & 0xFF
    RandomByteArray pixelBrightnessTable;  // rand() mod 256

    void releaseShape() noexcept {
        shapeImage.reset();
        shapeWidth = 0;
        shapeHeight = 0;
    }
};

inline BrushBuffers& brushBuffers() noexcept { return subsystemState<BrushBuffers>(); }
inline void resetBrushBuffers() noexcept { resetSubsystemState<BrushBuffers>(); }

// Allocates the grain buffers and the brush plane for a brush box of maxBrush pixels.
// Returns false when any allocation failed (what was obtained stays).
bool allocateBrushBuffers(int32_t maxBrush);
void releaseBrushBuffers() noexcept;

// Bytes in one grain buffer for the current canvas, 0 without one.
int64_t grainBufferBytes() noexcept;

}  // namespace dro
