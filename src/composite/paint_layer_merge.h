// The stroke laid into its layer: the paint layer's pixels merged by the merge core.
#pragma once

#include <cstdint>

namespace dro {

// Merges the painted extents into layer slot index with the paint layer's mode and
// opacities, then clears the paint layer. An empty or missing slot keeps the stroke.
void mergePaintLayer(int32_t index) noexcept;

}  // namespace dro
