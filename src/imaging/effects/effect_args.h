// The settings of one effect command as the host passed them, with the scaled forms
// the effects use.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "imaging/filter_params.h"

namespace dro {

struct EffectArgs {
    std::string_view name;
    int32_t variant = 0;
    std::array<int32_t, 6> slider{};  // as passed: 0..1000 from the host's controls
    std::array<float, 6> percent{};   // slider * 0.1 in single precision: 0..100
    std::array<int32_t, 2> style{};
    std::array<uint8_t, 6> flag{};
    int32_t red = 0, green = 0, blue = 0;
    int32_t colour = 0;  // red + green * 256 + blue * 65536
    const char* path = nullptr;

    // Percentages and the combined colour from the raw values.
    void scale() noexcept {
        for (int i = 0; i < 6; ++i) percent[i] = static_cast<float>(slider[i]) * 0.1f;
        // Wraps as the 32-bit sum would: hosts pass channels in 0..255, hostile ones anything.
        colour = static_cast<int32_t>(static_cast<uint32_t>(red) + static_cast<uint32_t>(green) * 256u +
                                      static_cast<uint32_t>(blue) * 65536u);
    }

    // What an in-house filter receives: everything unscaled, variant 0.
    FilterSettings filterSettings(uint8_t inPlace) const noexcept {
        FilterSettings s;
        s.inPlace = inPlace;
        s.variant = 0;
        s.slider = slider;
        s.style = style;
        s.flag = flag;
        s.red = red;
        s.green = green;
        s.blue = blue;
        return s;
    }
};

}  // namespace dro
