// The brush shape: 16-bit coverage per brush pixel, built round with a soft rim or
// from an image (or image script) file scaled to the brush size.
#pragma once

#include <cstdint>

namespace dro {

// Rebuilds the shape buffer for the current size. A path of more than one character
// names a shape file (read once and cached with its rotation); when it cannot be
// read or scaled, the round shape is built instead.
void setBrushShape(const char* path, int32_t shapeParam);

// The older variant: image files only, one resampling filter and no blur, and a round
// shape measured from the integer centre.
void setBrushShapeOriginal(const char* path, int32_t shapeParam);

// Frees the cached shape image (its path is kept, so the next build rereads the file).
void unloadBrushShape() noexcept;

// The side of the shape as built: size kept within the brush box and the scale table.
int32_t shapeEdge() noexcept;

}  // namespace dro
