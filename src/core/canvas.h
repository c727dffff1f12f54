// The one open image: its size, the 272 layer slots and the current layer.
#pragma once

#include <array>
#include <cstdint>

#include "core/layer_slot.h"
#include "core/random_tables.h"
#include "core/subsystem_state.h"

namespace dro {

inline constexpr int kLayerSlotCount = 272;
inline constexpr int kTracingSlot = 0;
inline constexpr int kBackgroundSlot = 1;
inline constexpr int kMaxCanvasEdge = 10000;

struct Canvas {
    void* hostWindow = nullptr;
    int32_t width = 0;     // canvasWidth
    int32_t height = 0;    // canvasHeight
    int32_t rowPitch = 0;  // canvasRowPitch: width * 4
    int32_t maxBrushSize = 0;
    int32_t brushRowPitch = 0;
    std::array<LayerSlot, kLayerSlotCount> layerSlots;
    int32_t currentLayer = 0;
    LayerSlot* currentSlot = nullptr;
    int32_t topLayer = 0;
    uint16_t alphaLayerOpacity = 65535;
    RandomByteArray randomTableA;  // modulus 255
    RandomByteArray randomTableB;  // modulus 254
};

inline Canvas& canvas() noexcept { return subsystemState<Canvas>(); }
inline void resetCanvasState() noexcept { resetSubsystemState<Canvas>(); }

// The slot at index, or null for an index outside 0..271.
LayerSlot* slotAt(int32_t index) noexcept;
// The slot at index when it holds pixels, else null.
LayerSlot* filledSlotAt(int32_t index) noexcept;
// The current slot when it holds pixels, else null.
LayerSlot* filledCurrentSlot() noexcept;

// The part of a layer plane that whole-canvas operations may walk: the canvas size,
// cut to the slot's own plane so a layer of another size is never overrun.
struct PlaneExtent {
    int32_t width;
    int32_t height;
};
PlaneExtent canvasWalk(const LayerSlot& slot) noexcept;

}  // namespace dro
