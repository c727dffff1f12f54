#include "core/transfer_load.h"

#include <algorithm>

#include "core/rect.h"
#include "core/texture_map.h"
#include "core/canvas.h"
#include "core/load_kernels.h"
#include "core/pixel_format.h"
#include "core/plane_copy.h"
#include "core/mask_state.h"

namespace dro {
namespace {

constexpr int64_t kParallelPixels = 1000;
// Coverage is worked out a chunk of a row at a time, on the stack of each thread.
constexpr int32_t kCoverageChunk = 512;

}  // namespace

void loadRGBA32Layer(const uint8_t* block, int32_t pitch, int32_t layer, int32_t x, int32_t y,
                     int32_t width, int32_t height, bool useMask) noexcept {
    LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !block) return;
    const bool alphaLocked = slot->alphaLocked != 0;
    const uint16_t* mask = activeMask();
    const uint8_t* texture = activeTexture();
    const bool masked = useMask && (mask || texture);

    // Clip to the layer; the masked path also reads canvas-sized planes, so it stays
    // on the canvas as well.
    const PlaneSpan on = overlapWithPlane(x, y, width, height, masked ? std::min(slot->width, canvas().width) : slot->width,
                                          masked ? std::min(slot->height, canvas().height) : slot->height);
    if (on.empty()) return;
    const int64_t left = on.left, top = on.top, right = on.right, bottom = on.bottom;
    const auto columns = static_cast<int32_t>(right - left);
    const int64_t rows = bottom - top;
    const int64_t canvasWidth = canvas().width;
    uint16_t* plane = slot->pixels.get();
    const int64_t rowPitch = slot->rowPitch;

#pragma omp parallel for schedule(static) if (rows * columns > kParallelPixels)
    for (int64_t j = top; j < bottom; ++j) {
        const uint8_t* src = block + (j - y) * int64_t{pitch} + (left - x) * 4;
        uint16_t* dst = plane + j * rowPitch + left * 4;
        if (!masked) {
            loadRowUnmasked(src, dst, columns, alphaLocked);
            continue;
        }
        const size_t rowStart = static_cast<size_t>(j * canvasWidth + left);
        if (!texture) {
            loadRowMaskedBySelection(src, dst, mask + rowStart, columns, alphaLocked);
            continue;
        }
        uint16_t coverage[kCoverageChunk];
        for (int32_t i = 0; i < columns; i += kCoverageChunk) {
            const int32_t n = std::min(kCoverageChunk, columns - i);
            rowCoverage(texture ? texture + rowStart + i : nullptr, mask ? mask + rowStart + i : nullptr, coverage, n);
            loadRowMasked(src + i * 4, dst + i * 4, coverage, n, alphaLocked);
        }
    }
}

void loadRGBA32(const uint8_t* block, int32_t pitch, bool useMask) noexcept {
    const Canvas& c = canvas();
    const LayerSlot* slot = filledSlotAt(c.currentLayer);
    if (!slot) return;
    loadRGBA32Layer(block, pitch, c.currentLayer, 0, 0, slot->width, slot->height, useMask);
}

namespace {

// Visits every pixel of an RGB24 block over the current layer's part on the canvas:
// visit(source pixel, layer pixel, canvas index).
template <class Visit>
void walkRgb24(const uint8_t* block, int32_t pitch, Visit visit) {
    LayerSlot* slot = filledCurrentSlot();
    if (!slot || !block) return;
    const PlaneExtent walk = canvasWalk(*slot);
    const int64_t canvasWidth = canvas().width;
    for (int64_t j = 0; j < walk.height; ++j) {
        const uint8_t* src = block + j * pitch;
        uint16_t* dst = slot->pixels.get() + j * slot->rowPitch;
        for (int32_t i = 0; i < walk.width; ++i, src += 3, dst += 4) visit(src, dst, static_cast<size_t>(j * canvasWidth + i));
    }
}

}  // namespace

void loadRGB24(const uint8_t* block, int32_t pitch, bool useMask) noexcept {
    const uint16_t* mask = activeMask();
    const uint8_t* texture = activeTexture();
    const bool masked = useMask && (mask || texture);
    walkRgb24(block, pitch, [&](const uint8_t* src, uint16_t* dst, size_t at) {
        const uint32_t c = masked ? loadCoverage(texture, mask, at) : 65535;
        if (c == 0) return;
        for (int k = 0; k < 3; ++k) dst[k] = c == 65535 ? widen8(src[k]) : mixWithCoverage(src[k], dst[k], c);
    });
}

void loadRGB24ToAlpha(const uint8_t* block, int32_t pitch, bool useMask) noexcept {
    const uint16_t* mask = activeMask();
    const uint8_t* texture = activeTexture();
    const bool masked = useMask && (mask || texture);
    walkRgb24(block, pitch, [&](const uint8_t* src, uint16_t* dst, size_t at) {
        if (dst[3] == 0) return;
        const uint32_t c = masked ? alphaLoadCoverage(texture, mask, at) : 65535;
        if (c == 0) return;
        dst[3] = c == 65535 ? widen8(src[0]) : mixWithCoverage(src[0], dst[3], c);
    });
}

void loadBGR24(const uint8_t* block, int32_t pitch, int32_t width, int32_t height) noexcept {
    LayerSlot* slot = filledCurrentSlot();
    if (!slot || !block) return;
    const PlaneExtent walk = canvasWalk(*slot);
    const int32_t rows = std::min(height, walk.height);
    const int32_t columns = std::min(width, walk.width);
    for (int64_t j = 0; j < rows; ++j) {
        const uint8_t* src = block + j * pitch;
        uint16_t* dst = slot->pixels.get() + j * slot->rowPitch;
        for (int32_t i = 0; i < columns; ++i, src += 3, dst += 4) {
            dst[0] = widen8(src[2]);
            dst[1] = widen8(src[1]);
            dst[2] = widen8(src[0]);
            dst[3] = 65535;
        }
    }
}

void setRGBA64Layer(const uint16_t* block, int32_t pitch, int32_t layer) noexcept {
    LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !block) return;
    const PlaneExtent walk = canvasWalk(*slot);
    copyPlaneRect(slot->pixels.get(), int64_t{slot->rowPitch} * 2, block, pitch, int64_t{walk.width} * 8,
                  walk.height);
}

void RGBA32ToRGBA64Block(const uint8_t* source, uint16_t* destination, int32_t width, int32_t height) {
    if (!source || !destination || width <= 0 || height <= 0) return;
    const int64_t channels = int64_t{width} * height * 4;
    for (int64_t i = 0; i < channels; ++i) destination[i] = widen8(source[i]);
}

void RGBA64ToRGBA32Block(const uint16_t* source, uint8_t* destination, int32_t width, int32_t height) {
    if (!source || !destination || width <= 0 || height <= 0) return;
    const int64_t channels = int64_t{width} * height * 4;
    for (int64_t i = 0; i < channels; ++i) destination[i] = narrow16(source[i]);
}

}  // namespace dro
