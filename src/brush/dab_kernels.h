// Row kernels of the common dab: the tool colour laid in mode Normal over a row whose
// coverage is already known. They give the same bits as the per-pixel walk in
// dab_render.cpp, which stays the reference for every other case; test hooks turn the
// kernels (or just their vector form) off so tests can compare.
#pragma once

#include <cstdint>

namespace dro {

// What a Normal tool-colour row needs besides its pixels, fixed for the whole dab.
struct ToolNormalRow {
    uint32_t source[4] = {0, 0, 0, 0};  // dab colour R, G, B, A (16-bit values)
    bool writeColor = true;             // colorLocked off
    bool writeAlpha = false;            // alpha may be written at all
    bool blobLocked = false;            // alpha written only where old and new exceed 0x1FFF
    uint32_t alphaLevel = 0;            // > 0: written instead of the combined alpha
};

// count pixels of a row: coverage[i] = 0 leaves pixel i untouched; cap (may be null)
// holds the mask values that limit the alpha written (the mask at merge).
void toolNormalRowPlain(const ToolNormalRow& p, const uint16_t* coverage, const uint16_t* cap, uint16_t* dst,
                        int32_t count) noexcept;
// The same through the fastest kernel this processor runs.
void toolNormalRow(const ToolNormalRow& p, const uint16_t* coverage, const uint16_t* cap, uint16_t* dst,
                   int32_t count) noexcept;

namespace testhooks {
// false: every dab takes the per-pixel walk.
void setDabRowKernels(bool enabled) noexcept;
// The widest vector kernel the rows may use: 512, 256, or 0 for the plain scalar form.
void setDabVectorWidth(int bits) noexcept;
bool dabRowKernels() noexcept;
}  // namespace testhooks

}  // namespace dro
