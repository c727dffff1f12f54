// Small fixed kernels and directional blurs of our imaging library on 8-bit blocks of
// 3 or 4 bytes per pixel (all channels treated alike). Edges extend the edge pixels,
// so a flat image stays exactly flat. Source and destination must not overlap.
#pragma once

#include <cstdint>

namespace dro {

// The 3 × 3 binomial kernel (1 2 1)² ÷ 16, rounded.
bool IS3BlurImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination) noexcept;
// The 5 × 5 binomial kernel (1 4 6 4 1)² ÷ 256, rounded.
bool ISE40_BlurImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination) noexcept;

enum class MotionMode : int32_t { linear = 0, radial = 1, zoom = 2 };

// The mean of samples along a path through each pixel, rounded. linear: a line of
// `length` pixels at `angle` degrees (0 = horizontal) centred on the pixel; radial: an
// arc of `angle` degrees about (centreX, centreY); zoom: the ray from the pixel toward
// the centre, `length` percent of the distance long. Samples outside the image take the
// nearest edge pixel; bilinear sampling when smooth is set, nearest otherwise.
bool ISE3MotionBlur(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                    uint8_t* destination, MotionMode mode, double angle, double length, double centreX,
                    double centreY, bool smooth) noexcept;

}  // namespace dro
