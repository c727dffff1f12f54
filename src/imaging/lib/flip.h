// Mirroring pixel blocks in place.
#pragma once

#include <cstdint>

namespace dro {

// Reverses the order of the pixels in every row.
bool IS3HorizontalFlipImage(uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel,
                            int32_t stride) noexcept;
// Reverses the order of the rows; rowBytes is both the row length and the stride.
bool IS3VerticalFlipImage(uint8_t* pixels, int32_t rowBytes, int32_t height) noexcept;

}  // namespace dro
