#include "core/transfer_load.h"

#include <algorithm>

#include "brush/texture_map.h"
#include "core/canvas.h"
#include "core/pixel_format.h"
#include "core/plane_copy.h"
#include "mask/mask_state.h"

namespace dro {
namespace {

constexpr int64_t kParallelPixels = 1000;

// The load rule without mask or texture. Written branch-free so the row vectorises.
inline void loadRowUnmasked(const uint8_t* src, uint16_t* dst, int32_t count, bool alphaLocked) noexcept {
    if (alphaLocked) {
        for (int32_t i = 0; i < count; ++i) {
            dst[i * 4 + 0] = widen8(src[i * 4 + 0]);
            dst[i * 4 + 1] = widen8(src[i * 4 + 1]);
            dst[i * 4 + 2] = widen8(src[i * 4 + 2]);
        }
        return;
    }
    for (int32_t i = 0; i < count * 4; i += 4) {
        // A transparent source pixel clears all four channels.
        const uint16_t keep = src[i + 3] != 0 ? 0xFFFF : 0;
        dst[i + 0] = static_cast<uint16_t>(widen8(src[i + 0]) & keep);
        dst[i + 1] = static_cast<uint16_t>(widen8(src[i + 1]) & keep);
        dst[i + 2] = static_cast<uint16_t>(widen8(src[i + 2]) & keep);
        dst[i + 3] = widen8(src[i + 3]);
    }
}

// One pixel through texture and mask with coverage c.
inline void loadPixelMasked(const uint8_t* s, uint16_t* d, uint32_t c, bool alphaLocked) noexcept {
    if (c == 0) return;
    if (c == 65535) {
        d[0] = widen8(s[0]);
        d[1] = widen8(s[1]);
        d[2] = widen8(s[2]);
        if (!alphaLocked) d[3] = widen8(s[3]);
        return;
    }
    const uint32_t a = s[3];
    const uint32_t layerAlpha = d[3];
    if (layerAlpha == 0) {
        d[0] = widen8(s[0]);
        d[1] = widen8(s[1]);
        d[2] = widen8(s[2]);
        if (!alphaLocked) d[3] = static_cast<uint16_t>((uint32_t{widen8(a)} * c) >> 16);
    } else if (a == 0) {
        if (!alphaLocked) d[3] = static_cast<uint16_t>((layerAlpha * (65535 - c)) >> 16);
    } else {
        d[0] = mixWithCoverage(s[0], d[0], c);
        d[1] = mixWithCoverage(s[1], d[1], c);
        d[2] = mixWithCoverage(s[2], d[2], c);
        if (!alphaLocked) d[3] = mixWithCoverage(a, layerAlpha, c);
    }
}

}  // namespace

void loadRGBA32Layer(const uint8_t* block, int32_t pitch, int32_t layer, int32_t x, int32_t y,
                     int32_t width, int32_t height, bool useMask) {
    LayerSlot* slot = filledSlotAt(layer);
    if (!slot || !block) return;
    const bool alphaLocked = slot->alphaLocked != 0;
    const uint16_t* mask = activeMask();
    const uint8_t* texture = activeTexture();
    const bool masked = useMask && (mask || texture);

    // Clip to the layer; the masked path also reads canvas-sized planes, so it stays
    // on the canvas as well.
    int64_t right = std::min<int64_t>(int64_t{x} + width, slot->width);
    int64_t bottom = std::min<int64_t>(int64_t{y} + height, slot->height);
    if (masked) {
        right = std::min<int64_t>(right, canvas().width);
        bottom = std::min<int64_t>(bottom, canvas().height);
    }
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    if (left >= right || top >= bottom) return;
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
        for (int32_t i = 0; i < columns; ++i) {
            loadPixelMasked(src + i * 4, dst + i * 4, loadCoverage(texture, mask, rowStart + i), alphaLocked);
        }
    }
}

void loadRGBA32(const uint8_t* block, int32_t pitch, bool useMask) {
    const Canvas& c = canvas();
    const LayerSlot* slot = filledSlotAt(c.currentLayer);
    if (!slot) return;
    loadRGBA32Layer(block, pitch, c.currentLayer, 0, 0, slot->width, slot->height, useMask);
}

void loadRGB24(const uint8_t* block, int32_t pitch, bool useMask) {
    LayerSlot* slot = filledCurrentSlot();
    if (!slot || !block) return;
    const uint16_t* mask = activeMask();
    const uint8_t* texture = activeTexture();
    const bool masked = useMask && (mask || texture);
    const PlaneExtent walk = canvasWalk(*slot);
    const int64_t canvasWidth = canvas().width;
    for (int64_t j = 0; j < walk.height; ++j) {
        const uint8_t* src = block + j * pitch;
        uint16_t* dst = slot->pixels.get() + j * slot->rowPitch;
        for (int32_t i = 0; i < walk.width; ++i, src += 3, dst += 4) {
            const uint32_t c = masked ? loadCoverage(texture, mask, static_cast<size_t>(j * canvasWidth + i)) : 65535;
            if (c == 0) continue;
            for (int k = 0; k < 3; ++k) dst[k] = c == 65535 ? widen8(src[k]) : mixWithCoverage(src[k], dst[k], c);
        }
    }
}

void loadRGB24ToAlpha(const uint8_t* block, int32_t pitch, bool useMask) {
    LayerSlot* slot = filledCurrentSlot();
    if (!slot || !block) return;
    const uint16_t* mask = activeMask();
    const uint8_t* texture = activeTexture();
    const bool masked = useMask && (mask || texture);
    const PlaneExtent walk = canvasWalk(*slot);
    const int64_t canvasWidth = canvas().width;
    for (int64_t j = 0; j < walk.height; ++j) {
        const uint8_t* src = block + j * pitch;
        uint16_t* dst = slot->pixels.get() + j * slot->rowPitch;
        for (int32_t i = 0; i < walk.width; ++i, src += 3, dst += 4) {
            if (dst[3] == 0) continue;
            const uint32_t c =
                masked ? alphaLoadCoverage(texture, mask, static_cast<size_t>(j * canvasWidth + i)) : 65535;
            if (c == 0) continue;
            dst[3] = c == 65535 ? widen8(src[0]) : mixWithCoverage(src[0], dst[3], c);
        }
    }
}

void loadBGR24(const uint8_t* block, int32_t pitch, int32_t width, int32_t height) {
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

void setRGBA64Layer(const uint16_t* block, int32_t pitch, int32_t layer) {
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
