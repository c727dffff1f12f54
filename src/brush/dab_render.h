// Dabs: one stamp of the brush shape, filtered by the grain, combined with the target
// by the tool's mix mode. The target is the paint layer while one exists, else the
// current layer; mask dabs paint into the selection mask instead.
#pragma once

#include <cstdint>

#include "core/rect.h"

namespace dro {

// The clipped square of a dab of side `side` centred at (x, y) on a width x height
// canvas. left/top are clamped to 0 (skipX/skipY say by how much), right/bottom are
// one past the last column/row and clamped to the canvas; right may stay below left
// for a square wholly off the canvas.
struct DabSquare {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t skipX = 0;
    int32_t skipY = 0;

    Rect asRect() const noexcept { return Rect{left, top, right, bottom}; }
};
DabSquare dabSquare(int32_t x, int32_t y, int32_t side, int32_t width, int32_t height) noexcept;

// DRO_DrawDabGrit: the colour arguments replace the tool colour (high bytes only).
void drawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
// DRO_DrawDabGritMask: a dab into the 16-bit selection mask.
void drawDabGritMask(int32_t x, int32_t y);

// Dabs covering more rows than this split their rows among threads.
inline constexpr int32_t kDabParallelRows = 35;

}  // namespace dro
