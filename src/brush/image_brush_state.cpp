#include "brush/image_brush_state.h"

namespace dro {

namespace {
ImageBrushState state;
}

ImageBrushState& imageBrush() noexcept { return state; }

void resetImageBrush() noexcept { state = ImageBrushState{}; }

}  // namespace dro
