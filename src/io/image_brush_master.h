// Making, recolouring, cutting and saving the master image brush. Pictures must fit
// the brush box (maxBrushSize) on both sides; a new master that cannot be allocated
// leaves no master. Failures that the host should hear of throw, for the export's text.
#pragma once

#include <cstdint>

namespace dro {

void fillImageBrush(int32_t r, int32_t g, int32_t b);
void colorImageBrush(int32_t r, int32_t g, int32_t b);
void copyToImageBrush();
void loadImageBrushFromRGBA32(const uint8_t* pixels, int32_t width, int32_t height);
void loadImageBrush(const char* path);        // the old master stays when the file does not fit or read
void loadImageBrushArray(const char* path);   // a strip at least as wide as tall
void copyFromImageBrushArray(float position);  // 0..1; outside, NaN and infinities clamp to the ends
void saveImageBrush(const char* path);         // PNG, RGBA, 8 bits, 2834 pixels per metre

}  // namespace dro
