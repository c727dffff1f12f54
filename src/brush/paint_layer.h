// The paint layer: the stroke in progress, a canvas-sized layer record kept outside
// the slot table until it is merged into a layer.
#pragma once

#include <cstdint>

#include "core/layer_slot.h"
#include "core/subsystem_state.h"

namespace dro {

struct PaintLayer {
    LayerSlot layer;
    uint16_t secondOpacity = 0;  // 0..255, the merge core's pre-opacity
    char modeName[50] = {};
};

inline PaintLayer& paintLayer() noexcept { return subsystemState<PaintLayer>(); }
inline void resetPaintLayer() noexcept { resetSubsystemState<PaintLayer>(); }

// Creates the paint layer when absent (canvas-sized, cleared; a failed allocation
// leaves it absent), then sets its name, opacities and mode. Returns the mode id.
int32_t createPaintLayer(int32_t opacityPercent, int32_t secondPercent, const char* modeName) noexcept;
// Zeroes every pixel; the extents become empty.
void clearPaintLayer() noexcept;
// Opaque white everywhere except the old extents, which are zeroed; extents empty.
void clearPaintLayerOld() noexcept;
void deletePaintLayer() noexcept;
void setPaintLayerExtents(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY) noexcept;
// Exchanges the paint layer record with layer slot index's record.
void swapPaintLayer(int32_t index) noexcept;
// Softens the alpha of the paint layer; colours stay. Throws AllocationFailure when
// the blur cannot run.
void blurPaintLayerAlpha();

// extents cut to a w x h plane; right and bottom are one past the last pixel.
Rect clipPaintExtents(const Rect& e, int32_t w, int32_t h) noexcept;

// The empty extents: left and top at the far edge, right and bottom at 0.
Rect emptyPaintExtents() noexcept;

}  // namespace dro
