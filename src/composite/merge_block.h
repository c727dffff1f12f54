// The merge core: one rectangle of RGBA64 pixels laid onto another under a blend
// mode, with an optional layer mask, a pre-opacity applied before the alpha-mode
// rewrite, and the same-mode rule for two layers sharing an alpha mode.
#pragma once

#include <cstdint>

namespace dro {

struct MergeBlockCall {
    const uint16_t* source = nullptr;  // RGBA64; nothing is done when null
    int32_t sourceX = 0;
    int32_t sourceY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t sourceStride = 0;          // in 16-bit values, also the mask's
    const uint16_t* mask = nullptr;    // RGBA64 mask layer addressed like the source
    uint16_t* destination = nullptr;   // RGBA64; nothing is done when null
    int32_t destinationX = 0;
    int32_t destinationY = 0;
    int32_t destinationStride = 0;     // in 16-bit values
    int32_t mode = 0;
    int32_t maskMode = 0;              // kModeLayerMask to use the mask
    int32_t opacity = 256;             // 0..256, after the rewrite
    int32_t preOpacity = 255;          // 0..255, before the rewrite
    bool alphaLock = false;
    bool sameMode = false;
};

// Trusts its rectangle: it must lie inside source, mask and destination.
void MergeBlock(const MergeBlockCall& call) noexcept;

// The slot of the "Layer Mask" layer masking slot index, or 0 for none: the first
// visible slot with pixels above it (up to topLayer), if that slot has mode 51.
int32_t FindLayerMask(int32_t index) noexcept;

}  // namespace dro
