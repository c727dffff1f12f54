#include "brush/paint_layer.h"

namespace dro {

PaintLayer& paintLayer() noexcept {
    static PaintLayer state;
    return state;
}

void resetPaintLayer() noexcept { paintLayer() = PaintLayer{}; }

}  // namespace dro
