// A 4-connected scanline seed fill with an explicit stack of row spans (Heckbert's
// algorithm): no recursion, and memory grows with the number of pending spans, never
// per pixel. `inside(x, y)` must turn false for a pixel once `paint(y, x0, x1)` has
// covered it (columns x0..x1 inclusive), or the fill would never end.
#pragma once

#include <cstdint>
#include <vector>

namespace dro::lib {

// The first column from x up to limit that is not inside. An `inside` with a
// runEnd(x, y, limit) member of the same meaning answers for whole runs at once.
template <class Inside>
int32_t runEnd(Inside& inside, int32_t x, int32_t y, int32_t limit) {
    if constexpr (requires { inside.runEnd(x, y, limit); }) {
        return inside.runEnd(x, y, limit);
    } else {
        while (x < limit && inside(x, y)) ++x;
        return x;
    }
}

template <class Inside, class Paint>
void scanlineFill(int32_t width, int32_t height, int32_t seedX, int32_t seedY, Inside&& inside, Paint&& paint) {
    if (seedX < 0 || seedY < 0 || seedX >= width || seedY >= height || !inside(seedX, seedY)) return;
    // A span [x0, x1] of row y whose neighbours in row y + dy are still to be looked at.
    struct Span {
        int32_t y, x0, x1, dy;
    };
    std::vector<Span> stack;
    stack.reserve(256);
    const auto push = [&](int32_t y, int32_t x0, int32_t x1, int32_t dy) {
        if (y + dy >= 0 && y + dy < height) stack.push_back({y, x0, x1, dy});
    };
    push(seedY, seedX, seedX, 1);
    push(seedY + 1, seedX, seedX, -1);  // the seed's row, reached from below
    while (!stack.empty()) {
        const Span s = stack.back();
        stack.pop_back();
        const int32_t y = s.y + s.dy;
        int32_t x = s.x0;
        // Extend left from the span's start.
        while (x >= 0 && inside(x, y)) --x;
        int32_t left;
        if (x >= s.x0) {
            // The start itself is outside: look for the next run inside the span.
            ++x;
            while (x <= s.x1 && !inside(x, y)) ++x;
            left = x;
            if (x > s.x1) continue;
        } else {
            left = x + 1;
            if (left < s.x0) push(y, left, s.x0 - 1, -s.dy);  // leaks back past the parent's start
            x = s.x0;
        }
        // Runs of row y starting at `left`, each painted and seeded onward.
        while (x <= s.x1) {
            x = runEnd(inside, x, y, width);
            paint(y, left, x - 1);
            push(y, left, x - 1, s.dy);
            if (x - 1 > s.x1) push(y, s.x1 + 1, x - 1, -s.dy);  // leaks past the parent's end
            ++x;
            while (x <= s.x1 && !inside(x, y)) ++x;
            left = x;
        }
    }
}

}  // namespace dro::lib
