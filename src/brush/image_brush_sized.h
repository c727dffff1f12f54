// The image brush at the brush size: resampled, rotated, and laid into the selected
// blend buffer, from which dabs paint with imageBrushMode on.
#pragma once

#include <cstdint>

namespace dro {

void sizeImageBrush();               // nothing without a master or a positive size
void rotateImageBrush(int32_t angle);  // degrees; rebuilds the sized brush first when size changed
// keepPercent 0..100: the share of the buffer kept.
void copyFromImageBrush(int32_t keepPercent);
void copyFromImageBrushRotate(int32_t keepPercent);

}  // namespace dro
