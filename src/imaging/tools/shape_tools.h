// Filled rectangles, ellipses and gradients merged into the current layer, and the
// rectangle and ellipse selections combined into the mask. Every tool marks the whole
// canvas changed; shapes are clipped to the canvas.
#pragma once

#include <cstdint>

namespace dro {

void drawRectangle(int32_t r, int32_t g, int32_t b, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                   int32_t opacityPercent);
void drawEllipse(int32_t r, int32_t g, int32_t b, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                 int32_t opacityPercent);

// colours: count colours of three ints each (red, green, blue). count above 4 is taken
// as 4; a negative count draws nothing. type "Linear", anything else radial.
void drawGradient(const int32_t (&colours)[4][3], int32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                  const char* type);

void maskRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strengthPercent, int32_t black,
                   const char* operation);
void maskEllipse(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strengthPercent, int32_t black,
                 const char* operation);

}  // namespace dro
