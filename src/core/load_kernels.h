// Row kernels of the RGBA32 load. The plain per-pixel rule is the reference; the
// vector kernels give identical bits, and a switch turns them off so tests can
// compare the two.
#pragma once

#include <cstdint>

namespace dro {

// The plain rule for one row.
void loadRowUnmaskedPlain(const uint8_t* src, uint16_t* dst, int32_t count, bool alphaLocked) noexcept;
void loadRowMaskedPlain(const uint8_t* src, uint16_t* dst, const uint16_t* coverage, int32_t count,
                        bool alphaLocked) noexcept;

// The same rows through the fastest kernel this processor runs.
void loadRowUnmasked(const uint8_t* src, uint16_t* dst, int32_t count, bool alphaLocked) noexcept;
void loadRowMasked(const uint8_t* src, uint16_t* dst, const uint16_t* coverage, int32_t count,
                   bool alphaLocked) noexcept;

// loadRowMasked with the coverage rowCoverage gives for this row of the selection mask
// alone (no texture).
void loadRowMaskedBySelection(const uint8_t* src, uint16_t* dst, const uint16_t* mask, int32_t count,
                              bool alphaLocked) noexcept;

// Coverage of count pixels of a row from the texture bytes and mask values there
// (either may be null, not both).
void rowCoverage(const uint8_t* texture, const uint16_t* mask, uint16_t* coverage, int32_t count) noexcept;

}  // namespace dro
