// Reduction of RGB24 pictures to at most 256 colours (libimagequant), for GIF output.
#pragma once

#include <cstdint>

namespace dro::codecs {

// Picks up to maxColours (2..256) colours for the w x h picture at rgb24 (rows stride
// bytes apart), and writes one palette index per pixel into indices (rows indexStride
// bytes apart) with error-diffusion dithering. paletteRgb receives 256 RGB entries
// (unused ones zero) and coloursUsed the count in use. The same input always gives the
// same output. quality 1..100 is the fidelity aimed at: below 100 fewer colours are
// used where they reach it. False for bad arguments or a failed run.
bool quantizeRgbTo8Bit(const uint8_t* rgb24, int32_t w, int32_t h, int32_t stride, uint8_t* indices,
                       int32_t indexStride, int32_t maxColours, uint8_t* paletteRgb, int32_t& coloursUsed,
                       int32_t quality = 100);

}  // namespace dro::codecs
