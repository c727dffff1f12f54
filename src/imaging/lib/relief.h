// Relief filters of our imaging library on 8-bit blocks of 3 or 4 bytes per pixel:
// emboss and a bevelled frame. A fourth byte (alpha) is copied. Source and destination
// must not overlap; both use the same stride.
#pragma once

#include <cstdint>

namespace dro {

// Each colour channel becomes 128 + depth × (c(p + d) − c(p − d)), rounded and
// clamped, where d is the light direction (angle in degrees, 0 = from the right,
// 90 = from above) times distance pixels, rounded to whole pixels; reads beyond the
// edge take the edge pixel, so a flat block becomes flat middle grey.
bool IS3EmbossRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination, double angle, int32_t distance, double depth) noexcept;

// A raised frame bevelWidth pixels wide: the top and left facets are lit (each
// channel moved toward 255 by shade, the left by 0.6 shade), the bottom and right
// shaded (toward 0 likewise); a pixel belongs to the facet of its nearest edge,
// top and left winning ties. The inside is copied. shade 0..1.
bool ISE3ShadeBevelEdge(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                        int32_t stride, uint8_t* destination, int32_t bevelWidth, double shade) noexcept;

}  // namespace dro
