// The engine's random numbers: the C library's linear congruential generator (kept
// per thread, as the C runtime does) and the byte tables built from it.
#pragma once

#include <cstdint>

#include "core/owned_buffer.h"

namespace dro {

// state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF.
void seedRandom(uint32_t seed) noexcept;
int nextRandom() noexcept;

struct RandomByteArray {
    OwnedBuffer<uint8_t> data;
    int32_t modulus = 0;
    int32_t seed = 0;
    int32_t length = 0;
};

// Rebuilds the table from randomSeed unless it already holds exactly this request.
// Returns false when the table could not be allocated (it is left empty).
bool MakeRandArrayByte(RandomByteArray& table, int32_t modulus, int32_t length);
void DeleteRandArrayBtye(RandomByteArray& table) noexcept;

}  // namespace dro
