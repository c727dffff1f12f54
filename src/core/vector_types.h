// The vector types of GCC and clang that the kernels share: one source compiles for the
// baseline and, in target clones, for AVX2, and every lane does the scalar operation.
//
// Vectors only pass between always-inlined helpers of one copy (a call passing them
// between code built for different instruction sets would break), so GCC's note that
// wide vector arguments are passed differently under AVX (-Wpsabi) does not apply to
// any file that includes this.
#pragma once

#include <cstdint>

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace dro {

using U8x4 = uint8_t __attribute__((vector_size(4)));
using U8x16 = uint8_t __attribute__((vector_size(16)));
using U16x4 = uint16_t __attribute__((vector_size(8)));
using U16x16 = uint16_t __attribute__((vector_size(32)));
using I32x4 = int32_t __attribute__((vector_size(16)));
using I32x8 = int32_t __attribute__((vector_size(32)));
using F32x4 = float __attribute__((vector_size(16)));
using F32x8 = float __attribute__((vector_size(32)));

}  // namespace dro
