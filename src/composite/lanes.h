// Four single-precision lanes, one per channel of a pixel (or one per pixel), in the
// compiler's vector extension; every lane performs the scalar operation, in the same
// order, so a lane's bits are those of the scalar code (IEEE arithmetic is per lane).
#pragma once

#include <cstdint>

#include "core/vector_types.h"

namespace dro {

using F4 = F32x4;
using I4 = I32x4;

inline F4 broadcast(float v) noexcept { return F4{v, v, v, v}; }

// Lanes of a where mask is set (all ones), else of b.
inline F4 select(I4 mask, F4 a, F4 b) noexcept {
    return reinterpret_cast<F4>((reinterpret_cast<I4>(a) & mask) | (reinterpret_cast<I4>(b) & ~mask));
}

// c ? a : b for either number type, so one formula serves a scalar and the lanes.
inline float pick(bool c, float a, float b) noexcept { return c ? a : b; }
inline F4 pick(I4 c, F4 a, F4 b) noexcept { return select(c, a, b); }

// std::min(x, y) for either number type: y only when it is strictly smaller.
template <class V>
inline V minOf(V x, V y) noexcept {
    return pick(y < x, y, x);
}

}  // namespace dro
