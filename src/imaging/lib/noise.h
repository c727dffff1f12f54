// Noise of our imaging library: zero-mean noise added to RGBA32 blocks, and three
// generators. Every call draws from its own generator seeded by `seed`, so the same
// call gives the same picture.
#pragma once

#include <cstdint>

namespace dro {

enum class NoiseDistribution : uint8_t { gaussian, negativeExponential, rayleigh, uniform };

// Adds noise of standard deviation amount ÷ 100 levels to the channels whose bits are
// set in channels (bit 0 = R ... bit 3 = A); monochrome adds the same value to each
// channel of a pixel. Every distribution is shifted to mean 0; results are rounded and
// clamped.
void addNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, NoiseDistribution distribution,
              int32_t amount, bool monochrome, uint32_t channels, uint64_t seed) noexcept;

// Independent uniform R, G, B per pixel, scaled toward `colour` (red + green × 256 +
// blue × 65536) by 1 − variety; alpha 255.
void ISE3GenerateColoredNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, uint32_t colour,
                              double variety, uint64_t seed) noexcept;
// Value noise: random values on a lattice of `cell` pixels, smoothly interpolated, grey;
// alpha 255.
void ISE3GenerateHugoNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t cell,
                           uint64_t seed) noexcept;
// Gradient (Perlin) noise summed over octaves, each twice the frequency and
// `persistence` times the amplitude of the last, grey; alpha 255.
void ISE3GeneratePerlinNoise(uint8_t* block, int32_t width, int32_t height, int32_t stride, double scale,
                             int32_t octaves, double persistence, uint64_t seed) noexcept;

}  // namespace dro
