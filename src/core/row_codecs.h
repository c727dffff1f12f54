// Run-length codes of one row at 8 bits: RGBA records of 5 bytes (run, R, G, B, A)
// and mask records of 2 bytes (run, value). Runs are 1..255 long; a run of 0 ends the
// decoding of the row. Both keep only the high byte of each 16-bit value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dro {

// Encoders return the bytes written; a count below 2 writes one record of the first
// item. The output must hold 5 x count (RGBA) or 2 x count (mask) bytes, at least one
// record.
int32_t encodeRGBA64Row(const uint16_t* pixels, uint8_t* out, int32_t count) noexcept;
int32_t encodeG16Row(const uint16_t* values, uint8_t* out, int32_t count) noexcept;

// Decoders write exactly count items (fewer when the code ends first or meets a run
// of 0) and read no more than codeBytes bytes of code.
inline constexpr size_t kUnboundedCode = SIZE_MAX;
void decodeRGBA32Row(const uint8_t* code, size_t codeBytes, uint16_t* pixels, int32_t count) noexcept;
void decodeG8Row(const uint8_t* code, size_t codeBytes, uint16_t* values, int32_t count) noexcept;

// The row codes applied to a row of a layer or of the mask.
int32_t getLayerLineRLE(uint8_t* out, int32_t layer, int32_t row) noexcept;
void putLayerLineRLE(const uint8_t* code, int32_t layer, int32_t row) noexcept;
int32_t getMaskLineRLE(uint8_t* out, int32_t row) noexcept;
void putMaskLineRLE(const uint8_t* code, int32_t row) noexcept;

}  // namespace dro
