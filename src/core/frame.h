// Small services of the engine frame: start directory, random seed, system queries.
#pragma once

#include <cstdint>

namespace dro {

void setStartDir(const char* directory) noexcept;
void setRandomSeed(uint32_t seed) noexcept;
const char* dirInfo() noexcept;
bool setWindowBasePos(int32_t left, int32_t top, int32_t right, int32_t bottom) noexcept;
// Bytes shifted to whole megabytes, as the host's 32-bit value.
int32_t toMegabytes(uint64_t bytes) noexcept;

}  // namespace dro
