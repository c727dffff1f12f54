// Premultiply and unpremultiply of host blocks around neighbourhood filters, so that
// transparent pixels lend no colour to their neighbours. Row stride is width pixels;
// a null block or a non-positive size does nothing.
#pragma once

#include <cstdint>

namespace dro {

// 0 < a < 255: C = trunc((C + 1) * a / 255).
void premultiplyRgba32(uint8_t* block, int32_t width, int32_t height) noexcept;
// a = 254: C = C * 255 / 254 (at most 255), then a = 255; other 0 < a < 255:
// C = min(trunc(C * 255 / a), 255).
void unpremultiplyRgba32(uint8_t* block, int32_t width, int32_t height) noexcept;
// a != 0: C = trunc(C * a / 65535).
void premultiplyRgba64(uint16_t* block, int32_t width, int32_t height) noexcept;
// a != 0: C = min(trunc(C * 65535 / a), 65535).
void unpremultiplyRgba64(uint16_t* block, int32_t width, int32_t height) noexcept;

}  // namespace dro
