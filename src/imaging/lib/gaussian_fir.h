// The sampled-kernel Gaussian behind is5_GaussianBlurImage for small sigmas.
#pragma once

#include <cstdint>
#include <vector>

namespace dro::gaussian {

// Weights for offsets 0..radius (radius = ceil(4 sigma), at least 1), normalised in
// double over both sides and then rounded to float.
std::vector<float> sampledKernel(double sigma);

struct FirBlock {
    const uint8_t* source;
    int32_t sourceStride;
    uint8_t* destination;  // must not overlap source
    int32_t destinationStride;
    int32_t width, height, bytesPerPixel;
    uint32_t channels;  // bit c set: byte c of a pixel is blurred, else copied
};

// The blur defined by two float passes with edge pixels extended: a vertical pass
// whose result is rounded to 8.8 fixed point, then a horizontal pass rounded to the
// nearest level. Each output is w0 x centre, then + w[t] x (before + after) for t = 1
// up to the radius, in float and in that order, so the bytes do not depend on how the
// work is split. False when scratch memory could not be had.
bool firGaussian(const FirBlock& block, const std::vector<float>& weights);

}  // namespace dro::gaussian
