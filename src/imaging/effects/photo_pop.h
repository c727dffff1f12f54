// The "Photo Pop" chain: sharpen, contrast and saturation, each written into the layer.
#pragma once

#include <cstdint>

namespace dro {

// amount: the host's slider integer for the contrast step; saturation: 0..100, where
// 50 keeps the saturation, 0 gives a factor of −2 and 100 of 3; preContrast runs a
// mild contrast step first. Needs the IPL RGBA32 buffers; does nothing without them.
void photoPop(int32_t amount, double saturation, uint8_t preContrast);

// The chain as a command of its own: as photoPop, then the effect command's clean-up
// (24-bit buffers freed, the whole canvas marked changed) when it ran.
void photoPopCommand(int32_t amount, double saturation, uint8_t preContrast);

}  // namespace dro
