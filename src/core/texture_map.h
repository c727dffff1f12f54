// The texture map: one byte per canvas pixel (4..250) built from the visible
// "Texturize3" layer. Masked loads and dabs scale their coverage by it.
#pragma once

#include <cstdint>

#include "core/owned_buffer.h"
#include "core/subsystem_state.h"

namespace dro {

struct TextureMap {
    OwnedBuffer<uint8_t> plane;  // canvasWidth x canvasHeight, or none
};

inline TextureMap& textureMap() noexcept { return subsystemState<TextureMap>(); }
inline void resetTextureMap() noexcept { resetSubsystemState<TextureMap>(); }

// The plane when a texture exists, else null.
inline const uint8_t* activeTexture() noexcept { return textureMap().plane.get(); }

// Builds (or rebuilds in place) the texture from layer slot index:
// t = (R + G + B) / 768 of the 16-bit channels, clamped to 4..250. False only when
// the plane could not be allocated (then nothing changed); an empty slot or no
// canvas does nothing and counts as done.
bool createTexture(int32_t index) noexcept;
void deleteTexture() noexcept;

}  // namespace dro
