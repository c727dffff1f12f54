// Canny edge detection of our imaging library on one grey byte per pixel.
#pragma once

#include <cstdint>

namespace dro {

// Smooths the grey plane (Gaussian of sigma pixels; 0 skips it), takes the Sobel
// gradient, keeps only pixels whose gradient is a maximum across the edge (ties go to
// the pixel on the lower side, so a step gives a line one pixel wide), and keeps those
// at or above high, plus those at or above low that connect (8-neighbours) to one
// kept. Edges are 255, the rest 0. Gradient magnitudes are |gx| + |gy| of the Sobel
// kernels, 0..2040. grey and edges are width × height bytes without padding and may
// not overlap.
bool ISE3CannyEdgeDetector(const uint8_t* grey, int32_t width, int32_t height, uint8_t* edges, double sigma,
                           int32_t low, int32_t high) noexcept;

}  // namespace dro
