// Colour operations of our imaging library on RGBA32 blocks (stride width × 4 unless
// given). Alpha is never changed; every result is rounded and clamped to 0..255.
#pragma once

#include <cstdint>

namespace dro {

// grey + (c − grey) × factor per channel, grey = (77 R + 150 G + 29 B + 128) >> 8; 1
// keeps the pixel, 0 gives grey, negative factors swap the hue to its opposite.
void IS3ModifyImageSaturation(uint8_t* block, int32_t width, int32_t height, int32_t stride, double factor) noexcept;
// Cyan–red, magenta–green and yellow–blue shifts in levels, added to R, G and B, the
// tones favoured by the mode: 0 midtones (weight 4t(1 − t) of the pixel's grey t),
// 1 shadows (1 − t), 2 highlights (t); with preserveLuminosity the grey stays put.
void ISE40_AdjustImageColorBalance(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t cyanRed,
                                   int32_t magentaGreen, int32_t yellowBlue, int32_t mode,
                                   bool preserveLuminosity) noexcept;
// Grey mapped onto the ramp black → dark → light → white (dark at grey 85, light at
// 170), then mixed with the original by amount 0..1.
void ISE3DuotoneImage(uint8_t* block, int32_t width, int32_t height, int32_t stride, uint32_t dark, uint32_t light,
                      double amount) noexcept;
// The pixel's grey times the tint colour ÷ 255, mixed with the original by amount 0..1.
void ISE3AdjustTint(uint8_t* block, int32_t width, int32_t height, int32_t stride, uint32_t tint,
                    double amount) noexcept;
// 255 − c on R, G and B.
void ISE3InvertImage(uint8_t* block, int32_t width, int32_t height, int32_t stride) noexcept;
// levels 2..256 evenly spaced values per channel, each value to the nearest of them.
void ISE3PosterizeRGB(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t levels) noexcept;
// Channel values above threshold become 255 − value.
void ISE3SolarizeImage(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t threshold) noexcept;
// Pixels whose grey is at least threshold take the light colour, the others the dark.
void ISE3ThresholdFilter(uint8_t* block, int32_t width, int32_t height, int32_t stride, int32_t threshold,
                         uint32_t dark, uint32_t light) noexcept;
// R = G = B = the grey of the pixel.
void IS3GreyToColourChannels(uint8_t* block, int32_t width, int32_t height, int32_t stride) noexcept;

// A colour as the library takes it: red + green × 256 + blue × 65536.
constexpr uint32_t packColour(uint32_t r, uint32_t g, uint32_t b) noexcept { return r | (g << 8) | (b << 16); }

}  // namespace dro
