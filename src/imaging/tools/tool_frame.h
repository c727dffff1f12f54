// What the one-click fill, shape and selection tools share: the three forms of their
// tolerance, the strength scale, the tool source they work on and the rule that the
// whole canvas is marked changed however a tool ends.
#pragma once

#include <cstdint>

#include "core/owned_buffer.h"

namespace dro {

// Tolerance 0..50000 (50000 = 100 %).
struct ToolTolerance {
    int32_t library;  // squared colour distance, 0..195075
    int32_t percent;  // for the range builders
    double fraction;  // for the HSL range

    static ToolTolerance from(int32_t t) noexcept;
};

// Percent 0..100 as 0..255 (opacity of shapes, strength of selections).
int32_t percentTo255(int32_t percent) noexcept;

// Marks the whole canvas changed when it leaves scope, failure or not.
struct InvalidateCanvasOnExit {
    InvalidateCanvasOnExit() = default;
    InvalidateCanvasOnExit(const InvalidateCanvasOnExit&) = delete;
    InvalidateCanvasOnExit& operator=(const InvalidateCanvasOnExit&) = delete;
    ~InvalidateCanvasOnExit();
};

// The tool source (32), a copy of the current layer, released when this leaves scope.
// block() is null when there is no canvas.
class ToolSource {
public:
    ToolSource();
    ~ToolSource();
    ToolSource(const ToolSource&) = delete;
    ToolSource& operator=(const ToolSource&) = delete;
    uint8_t* block() const noexcept { return block_; }
    void writeBack() const;  // into the current layer through the mask

private:
    uint8_t* block_ = nullptr;
};

// Frees the tool source, as every fill and wand leaves it, whichever way it went.
void releaseToolSource() noexcept;

// A canvas-sized byte block of its own (black RGB24 images, flood maps), zeroed.
OwnedBuffer<uint8_t> canvasScratch(int32_t bytesPerPixel);

bool insideCanvas(int32_t x, int32_t y) noexcept;
// The current layer's colour at (x, y) packed r | g << 8 | b << 16.
uint32_t keyColourAt(int32_t x, int32_t y) noexcept;

}  // namespace dro
