// Hue/saturation/lightness and hue/saturation/value shifts of a host RGBA32 block
// (stride width * 4), in place; alpha is kept. Hue shifts are in degrees, the other
// shifts in hundredths. A null block or a non-positive size does nothing.
#pragma once

#include <cstdint>

namespace dro {

void processBufferHslAdjust(uint8_t* rgba, int32_t width, int32_t height,
                            int32_t hueShift, int32_t saturationShift, int32_t lightnessShift) noexcept;
void processBufferHsvAdjust(uint8_t* rgba, int32_t width, int32_t height,
                            int32_t hueShift, int32_t saturationShift, int32_t valueShift) noexcept;

}  // namespace dro
