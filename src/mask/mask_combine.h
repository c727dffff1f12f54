// Combining a canvas-sized grey RGB24 picture into the mask by a named operation:
// "Add" adds protection, "Subtract" removes it, "Replace" sets it; any other name,
// or none, adds.
#pragma once

#include <cstdint>

namespace dro {

// black = 1 reads the picture as a stencil: its black pixels weigh amount, the rest 0.
void combineMask(const uint8_t* data, int32_t stride, uint8_t black, int32_t amount,
                 const char* operation) noexcept;

}  // namespace dro
