// Local contrast of our imaging library on 8-bit blocks of 3 or 4 bytes per pixel
// (a fourth byte, alpha, is copied): enhancement of dim detail by local statistics,
// and the contrast mask that evens out light and shade. Source and destination (same
// stride) must not overlap.
#pragma once

#include <cstdint>

namespace dro {

// The mean and the standard deviation of a grey plane of width × height bytes.
double ISE40_FindImageMean(const uint8_t* grey, int32_t width, int32_t height) noexcept;
double ISE40_FindImageStandardDeviation(const uint8_t* grey, int32_t width, int32_t height, double mean) noexcept;

// Local enhancement by statistics: where the grey's mean over the (2r + 1)² window is
// at most meanLimit × mean (a dark area) and its deviation there lies within
// lowDeviation × deviation .. highDeviation × deviation (detail, not flat, not an
// edge; a flat window holds no detail), the colour channels are multiplied by gain, rounded and clamped; elsewhere
// copied. radius 1..256.
bool ISE40_LocalHistogramEnhancement(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                                     int32_t stride, uint8_t* destination, double mean, double deviation,
                                     int32_t radius, double gain, double meanLimit, double lowDeviation,
                                     double highDeviation) noexcept;

// Each colour channel moved by amount × (128 − the grey blurred with a Gaussian of
// radius pixels), rounded and clamped: shadows lifted and highlights lowered in broad
// areas while fine contrast stays. amount 0..2.
bool is5_ContrastMaskImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                           int32_t stride, uint8_t* destination, double radius, double amount) noexcept;

}  // namespace dro
