// A pixel while the merge works on it: each 16-bit channel held in 32 unsigned bits,
// so intermediate values (an alpha-mode rewrite may push a channel past 65535) are
// kept rather than wrapped until the caller stores them.
#pragma once

#include <cstdint>

namespace dro {

struct WorkPixel {
    uint32_t r;
    uint32_t g;
    uint32_t b;
    uint32_t a;
};

}  // namespace dro
