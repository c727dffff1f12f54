// The image brush: a master picture, its copy resampled to the brush size, the rotated
// copy, and the frame strip masters can be cut from.
#pragma once

#include <cstdint>

#include "core/owned_buffer.h"
#include "core/subsystem_state.h"

namespace dro {

struct Rgba64Image {
    OwnedBuffer<uint16_t> pixels;  // RGBA64, rows of width pixels
    int32_t width = 0;
    int32_t height = 0;

    explicit operator bool() const noexcept { return pixels != nullptr; }
    void reset() noexcept {
        pixels.reset();
        width = height = 0;
    }
};

struct ImageBrushState {
    Rgba64Image master;
    Rgba64Image sized;               // side x side, made for the `size` of its time
    OwnedBuffer<uint8_t> rotationSource;  // RGBA32 of the sized brush
    OwnedBuffer<uint8_t> rotated;         // RGBA32, rotatedSide square
    int32_t rotatedSide = 0;
    bool rotationValid = false;
    Rgba64Image strip;  // square frames of side strip.height, side by side

    int32_t frameCount() const noexcept { return strip.height > 0 ? strip.width / strip.height : 0; }
};

inline ImageBrushState& imageBrush() noexcept { return subsystemState<ImageBrushState>(); }
inline void resetImageBrush() noexcept { resetSubsystemState<ImageBrushState>(); }

}  // namespace dro
