// The one conversion rule between the host's 8-bit pixels and the canvas's 16 bits,
// and the coverage arithmetic of masked writes. All products are unsigned 32-bit.
#pragma once

#include <cstdint>

namespace dro {

// 8-bit 255 widens to 65280, so "opaque" means alpha >= 65280 where it is tested.
inline constexpr uint32_t kOpaqueAlpha8To16 = 0xFF00;

constexpr uint16_t widen8(uint32_t v) noexcept { return static_cast<uint16_t>(v << 8); }
constexpr uint8_t narrow16(uint32_t v) noexcept { return static_cast<uint8_t>(v >> 8); }

// Coverage 0..65535 of a masked load at one pixel from the texture byte and the mask
// value; a null plane is absent.
constexpr uint32_t loadCoverage(const uint8_t* texture, const uint16_t* mask, size_t i) noexcept {
    uint32_t c = 65535;
    if (texture) {
        const uint32_t u = 2u * texture[i];
        if (u == 0) c = 0;
        else if (u < 255) c = ((u + 1) * c) >> 8;
    }
    if (mask) {
        const uint32_t h = mask[i] >> 8u;
        if (h == 0) c = 0;
        else if (h < 255) c = ((h + 1) * c) >> 8;
    }
    return c;
}

// The coverage of an alpha load: scaled without the special cases, and by the full
// 16-bit mask value.
constexpr uint32_t alphaLoadCoverage(const uint8_t* texture, const uint16_t* mask, size_t i) noexcept {
    uint32_t c = 65535;
    if (texture) {
        const uint32_t u = 2u * texture[i];
        if (u < 255) c = (u * 65535u) >> 8;
    }
    if (mask) {
        const uint32_t m = mask[i];
        if (m < 65535) c = (m * c) >> 16;
    }
    return c;
}

// Mixes a new 8-bit value s over an old 16-bit value d with coverage 0 < c < 65535.
constexpr uint16_t mixWithCoverage(uint32_t s, uint32_t d, uint32_t c) noexcept {
    const uint32_t k = 65535 - c;
    return static_cast<uint16_t>(((((s << 8) * c) >> 8) + ((d * k) >> 8)) >> 8);
}

}  // namespace dro
