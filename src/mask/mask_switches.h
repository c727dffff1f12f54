// The switches that put the mask in force and on display, the display tint, and the
// two tool flags that route brush dabs into the mask or make them erase.
#pragma once

#include <cstdint>

namespace dro {

void enableMask(uint8_t flag) noexcept;
void displayMask(uint8_t flag) noexcept;
// Channels 0..255 are stored x 256; fullRange 0 draws the tint at half strength.
void setMaskOptions(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                    int32_t fullRange) noexcept;
void setMaskMakerOn() noexcept;
void setEraseModeOn() noexcept;

}  // namespace dro
