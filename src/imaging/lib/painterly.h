// Painterly filters of our imaging library on 8-bit blocks of 3 or 4 bytes per pixel:
// the picture redrawn as oil paint, stipple dots, scribbled strokes or a crackled
// glaze. A fourth byte (alpha) is copied. Source and destination (same stride) must
// not overlap. The random ones draw from a generator seeded by `seed`, so the same
// call gives the same picture.
#pragma once

#include <cstdint>

namespace dro {

// Each pixel takes the mean colour of the most common brightness band (levels bands
// of the grey 0..255) in its (2r + 1)² window, the lowest band winning ties: strokes
// of flat colour that keep edges. radius 0..64, levels 2..256.
bool ISE3OilPaintRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                     uint8_t* destination, int32_t radius, int32_t levels) noexcept;

// Paper (white) with round dots of diameter dotSize in a jittered grid of that pitch;
// a dot is set with probability darkness × density, darkness being 1 − the grey under
// it ÷ 255, and takes the ink colour (red + green × 256 + blue × 65536) or with
// sourceColour the picture's colour there. dotSize 1..64, density 0..2.
bool ISE3Stipple(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                 uint8_t* destination, int32_t dotSize, double density, uint32_t ink, bool sourceColour,
                 uint64_t seed) noexcept;

// Short straight strokes of strokeLength pixels at random angles; about density ÷ 100
// times the area ÷ length strokes. mode 0: the picture redrawn with strokes of its own
// colour (taken where each stroke starts) over a copy of it, so a flat picture stays
// flat; mode 1: pencil on white paper, a stroke darkening the paper (never lightening)
// to the grey where it starts. strokeLength 1..256, density 0..1000.
bool ISE3Scribble(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                  uint8_t* destination, int32_t mode, int32_t strokeLength, int32_t density, uint64_t seed) noexcept;

// Craquelure: the picture cut into irregular tiles (cells of about cellSize pixels
// around jittered seeds); pixels whose distances to the two nearest seeds differ by
// less than crackWidth lie on a crack and are darkened by up to depth (0..1), most at
// its middle. cellSize 2..1024.
bool ISE3CrackleRGB(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                    uint8_t* destination, int32_t cellSize, double crackWidth, double depth, uint64_t seed) noexcept;

}  // namespace dro
