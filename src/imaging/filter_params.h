// The filter parameter block: the one set of values through which every in-house
// filter receives its pixels, bounds and settings. It keeps the values of the last
// run until the next run overwrites them.
#pragma once

#include <array>
#include <cstdint>

#include "core/subsystem_state.h"

namespace dro {

struct FilterParams {
    uint8_t* destination = nullptr;   // written by the filter
    uint8_t* source = nullptr;        // read by the filter (a few use it as scratch)
    int32_t boundX0 = 0;
    int32_t boundY0 = 0;
    int32_t boundX1 = -1;             // inclusive: width - 1
    int32_t boundY1 = -1;             // inclusive: height - 1
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;               // bytes per row of both blocks: width * 4
    int32_t variant = 0;
    std::array<double, 6> slider{};   // host integer * 0.001
    std::array<int32_t, 2> style{};
    std::array<uint8_t, 6> flag{};
    double red = 0, green = 0, blue = 0;  // host integer * (1 / 255)
    // 0: the destination starts as a copy of the source and reads come from the
    // source; non-zero: reads come from the destination, which sees its own writes.
    uint8_t inPlace = 0;

    // Where the filter reads pixels, after the single-buffer rule.
    const uint8_t* readBlock() const noexcept { return inPlace ? destination : source; }
    bool usable() const noexcept {
        return destination && source && width > 0 && height > 0 && stride >= width * 4;
    }
};

inline FilterParams& filterParams() noexcept { return subsystemState<FilterParams>(); }
inline void resetFilterParams() noexcept { resetSubsystemState<FilterParams>(); }

// The host's integer settings, before scaling.
struct FilterSettings {
    uint8_t inPlace = 0;
    int32_t variant = 0;
    std::array<int32_t, 6> slider{};
    std::array<int32_t, 2> style{};
    std::array<uint8_t, 6> flag{};
    int32_t red = 0, green = 0, blue = 0;
};

// Fills the block for a width x height pair of tightly packed RGBA32 blocks.
void fillFilterParams(FilterParams& params, uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                      const FilterSettings& settings) noexcept;

}  // namespace dro
