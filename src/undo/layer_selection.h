// Making a layer current: the texture map follows the visible "Texturize3" layer
// while it is not current, and the undo back buffer takes the new layer.
#pragma once

#include <cstdint>

namespace dro {

void setLayer(int32_t index);

}  // namespace dro
