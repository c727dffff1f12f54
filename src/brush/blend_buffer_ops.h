// What blending tools do with the selected blend buffer: fill it from a canvas source
// under the brush square (copy), keep mixing the canvas into it (mix), tint it, filter
// it; and the point readers that sample the same sources.
#pragma once

#include <cstdint>

namespace dro {

// A canvas image an operation reads: RGBA64 rows of `pitch` values. Planes smaller than
// the canvas are read only where they have pixels.
struct SourcePlane {
    const uint16_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch = 0;

    explicit operator bool() const noexcept { return pixels != nullptr; }
};

SourcePlane hostSource(const uint16_t* canvasSizedPlane) noexcept;  // the canvas's size
SourcePlane surfaceSource() noexcept;                               // the current layer
SourcePlane layerSource(int32_t index) noexcept;                    // slot index
SourcePlane underLayerSource() noexcept;                            // the undo back buffer
SourcePlane traceSource() noexcept;                                 // slot 0
SourcePlane historySource() noexcept;  // the back buffer while the next undo has a copy

void selectBlendBuffer(int32_t k) noexcept;
void clearBlendBuffer() noexcept;
void fillBlendBuffer(int32_t a1, int32_t a2, int32_t a3, int32_t a4) noexcept;
void filterBlendBuffer(int32_t kind, int32_t level) noexcept;

// share: weight of the tool colour, 0..256; keepColorOutside: low byte.
void copyBlendBuffer(int32_t x, int32_t y, const SourcePlane& source, int32_t share, int32_t keepColorOutside) noexcept;
void copyBlendBufferMask(int32_t x, int32_t y, int32_t share) noexcept;
// amount 0..256; rows run in parallel above kMixParallelRows.
void mixBlendBuffer(int32_t x, int32_t y, const SourcePlane& source, int32_t amount) noexcept;
void colorBlendBuffer(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t amount) noexcept;

inline constexpr int32_t kMixParallelRows = 36;

// 0xRRGGBBAA of high bytes at (x, y) clamped into the source; 0 without a source.
uint32_t rgbaAt(const SourcePlane& source, int32_t x, int32_t y) noexcept;
// 0xAARRGGBB of high bytes; 0x00FFFFFF outside the canvas; 0 without a source.
uint32_t colorAt(const SourcePlane& source, int32_t x, int32_t y) noexcept;

}  // namespace dro
