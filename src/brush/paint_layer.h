// The paint layer: the stroke in progress, a canvas-sized layer record kept outside
// the slot table until it is merged into a layer.
#pragma once

#include <cstdint>

#include "core/layer_slot.h"

namespace dro {

struct PaintLayer {
    LayerSlot layer;
    uint16_t secondOpacity = 0;
    char modeName[50] = {};
};

PaintLayer& paintLayer() noexcept;
void resetPaintLayer() noexcept;

}  // namespace dro
