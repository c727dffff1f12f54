// The pseudo-random generator of our imaging library's noise and stroke filters:
// splitmix64, small, fast and good enough for pictures; the same seed gives the same
// picture.
#pragma once

#include <cstdint>

namespace dro {

struct Random {
    uint64_t state;
    uint64_t next() noexcept {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // (0, 1]: never 0, so logarithms stay finite.
    double unit() noexcept { return (static_cast<double>(next() >> 11) + 1.0) * (1.0 / 9007199254740992.0); }
    // [0, 1): for positions, where 1 would fall one past the end.
    double fraction() noexcept { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
};

}  // namespace dro
