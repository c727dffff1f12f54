#include "core/free_color.h"

#include <array>
#include <vector>

namespace dro {

// One pass builds, for each (b1, b2) pair, a 256-bit set of the b0 values present;
// then the pairs are visited in the specified order. Same answer as rescanning the
// block per pair, without 65536 passes over it.
int32_t x_FindFreeColor(const uint8_t* block, int32_t width, int32_t height) {
    std::vector<std::array<uint64_t, 4>> seen(65536, std::array<uint64_t, 4>{});
    if (block && width > 0 && height > 0) {
        const auto pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        for (uint64_t i = 0; i < pixels; ++i) {
            const uint8_t* p = block + i * 4;
            auto& bits = seen[p[1] | (p[2] << 8)];
            bits[p[0] >> 6] |= uint64_t{1} << (p[0] & 63);
        }
    }
    for (int b2 = 0; b2 < 256; ++b2) {
        for (int b1 = 0; b1 < 256; ++b1) {
            const auto& bits = seen[b1 | (b2 << 8)];
            for (int word = 0; word < 4; ++word) {
                if (bits[word] == ~uint64_t{0}) continue;
                int b0 = word * 64;
                while (bits[word] & (uint64_t{1} << (b0 & 63))) ++b0;
                return b0 | (b1 << 8) | (b2 << 16);
            }
        }
    }
    return 256;
}

}  // namespace dro
