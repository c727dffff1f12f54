// The one animated GIF writer: opened at the canvas size with a global palette and a
// frame delay, fed RGB24 frames that each get a palette of their own (dithered), closed.
// The file appears at its path only when it was written whole.
#pragma once

#include <cstdint>

namespace dro::io {

// Finishes a writer that is still open, then opens one. palette: 256 entries of 4
// bytes (blue, green, red, unused: a Windows colour table) or null for black. Returns
// the frame delay in hundredths of a second (ms / 10).
int32_t createGif(const char* path, int32_t frameMs, const uint8_t* palette);
void writeGifRgb24(const uint8_t* rgb24, int32_t width, int32_t height);
// For the writers created after it: quality 1..100 of each frame's palette (100, the
// default, aims at the best) and how often viewers play the animation (0, the default:
// forever; 1: once; n: n times). False, nothing changed, outside those ranges.
bool setGifOptions(int32_t quality, int32_t plays) noexcept;
void closeGif();
void resetGifWriter() noexcept;

}  // namespace dro::io
