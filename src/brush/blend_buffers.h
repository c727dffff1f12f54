// The blend buffers: brush-sized RGBA64 images that blending tools carry colour in.
#pragma once

#include <array>
#include <cstdint>

#include "core/layer_slot.h"
#include "core/subsystem_state.h"

namespace dro {

inline constexpr int kMaxBlendBuffers = 20;

struct BlendBuffers {
    std::array<LayerSlot, kMaxBlendBuffers> table;
    int32_t count = 0;
    int32_t selected = 0;

    LayerSlot& selectedBuffer() noexcept { return table[static_cast<size_t>(selected)]; }
};

inline BlendBuffers& blendBuffers() noexcept { return subsystemState<BlendBuffers>(); }
inline void resetBlendBuffers() noexcept { resetSubsystemState<BlendBuffers>(); }

// Reallocates the buffers when n (at most 20) differs from the count, each cleared
// and maxBrushSize square; always selects buffer 0. Returns false on a failed
// allocation, with "SetBlendBufferCount Excpt" recorded and the count unchanged.
bool setBlendBufferCount(int32_t n);

}  // namespace dro
