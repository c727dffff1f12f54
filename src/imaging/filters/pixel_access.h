// Pixel access shared by the in-house filters. Reads outside the image give zero in
// every channel; writes outside it are dropped; integer writes clamp to 0..255 and
// double writes clamp to 0..1 before scaling, so no filter can wrap a channel.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "imaging/color/color_conversions.h"
#include "imaging/filter_params.h"

namespace dro::filters {

using Rgba = std::array<int32_t, 4>;
using RgbaD = std::array<double, 4>;

inline constexpr double kInv255 = 1.0 / 255.0;

// Luminance of every filter: the integer mean of R, G and B.
constexpr int32_t lum(int32_t r, int32_t g, int32_t b) noexcept { return (r + g + b) / 3; }
constexpr int32_t lum(const Rgba& p) noexcept { return lum(p[0], p[1], p[2]); }

constexpr int32_t clampByte(int32_t v) noexcept { return v < 0 ? 0 : (v > 255 ? 255 : v); }
constexpr int32_t clampByte(int64_t v) noexcept {
    return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int32_t>(v));
}
// Truncation toward zero of a double, then the byte clamp. Out-of-range and NaN values
// clamp instead of reaching an undefined conversion.
inline int32_t truncClampByte(double v) noexcept {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<int32_t>(v);
}
// Truncation toward zero kept inside int32 (settings beyond any sensible range).
inline int32_t truncInt(double v) noexcept {
    if (v != v) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(v);
}

// A view of one block of the parameter block's geometry.
class PixelView {
public:
    PixelView(const uint8_t* block, const FilterParams& p) noexcept
        : block_(block), width_(p.width), height_(p.height), stride_(p.stride) {}

    bool inside(int32_t x, int32_t y) const noexcept { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    const uint8_t* at(int32_t x, int32_t y) const noexcept {
        return block_ + static_cast<int64_t>(y) * stride_ + static_cast<int64_t>(x) * 4;
    }
    Rgba rgba(int32_t x, int32_t y) const noexcept {
        if (!inside(x, y)) return {0, 0, 0, 0};
        const uint8_t* p = at(x, y);
        return {p[0], p[1], p[2], p[3]};
    }
    RgbaD rgbaD(int32_t x, int32_t y) const noexcept {
        const Rgba p = rgba(x, y);
        return {p[0] * kInv255, p[1] * kInv255, p[2] * kInv255, p[3] * kInv255};
    }
    int32_t lumAt(int32_t x, int32_t y) const noexcept { return lum(rgba(x, y)); }

private:
    const uint8_t* block_;
    int32_t width_, height_, stride_;
};

class PixelWriter {
public:
    PixelWriter(uint8_t* block, const FilterParams& p) noexcept
        : block_(block), width_(p.width), height_(p.height), stride_(p.stride) {}

    bool inside(int32_t x, int32_t y) const noexcept { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    uint8_t* at(int32_t x, int32_t y) const noexcept {
        return block_ + static_cast<int64_t>(y) * stride_ + static_cast<int64_t>(x) * 4;
    }
    void rgba(int32_t x, int32_t y, const Rgba& v) const noexcept {
        if (!inside(x, y)) return;
        uint8_t* p = at(x, y);
        for (int c = 0; c < 4; ++c) p[c] = static_cast<uint8_t>(clampByte(v[c]));
    }
    void rgb(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) const noexcept {
        if (!inside(x, y)) return;
        uint8_t* p = at(x, y);
        p[0] = static_cast<uint8_t>(clampByte(r));
        p[1] = static_cast<uint8_t>(clampByte(g));
        p[2] = static_cast<uint8_t>(clampByte(b));
    }
    void alpha(int32_t x, int32_t y, int32_t a) const noexcept {
        if (inside(x, y)) at(x, y)[3] = static_cast<uint8_t>(clampByte(a));
    }
    void rgbaD(int32_t x, int32_t y, const RgbaD& v) const noexcept {
        if (!inside(x, y)) return;
        uint8_t* p = at(x, y);
        for (int c = 0; c < 4; ++c) p[c] = static_cast<uint8_t>(std::clamp(v[c], 0.0, 1.0) * 255.0);
    }
    // Hue clamped to 0..359, saturation and lightness to 0..1; alpha kept.
    void hsl(int32_t x, int32_t y, color::Hsl v) const noexcept {
        if (!inside(x, y)) return;
        v.h = std::clamp(v.h, 0.0, 359.0);
        v.s = std::clamp(v.s, 0.0, 1.0);
        v.l = std::clamp(v.l, 0.0, 1.0);
        const color::Rgb8 c = color::hslToRgb(v);
        rgb(x, y, c.r, c.g, c.b);
    }
    // Alpha kept.
    void lab(int32_t x, int32_t y, const color::Lab& v) const noexcept {
        if (!inside(x, y)) return;
        const color::Rgb8 c = color::labToRgb(v);
        rgb(x, y, c.r, c.g, c.b);
    }

private:
    uint8_t* block_;
    int32_t width_, height_, stride_;
};

inline PixelView readView(const FilterParams& p) noexcept { return PixelView(p.readBlock(), p); }
inline PixelView destinationView(const FilterParams& p) noexcept { return PixelView(p.destination, p); }
inline PixelWriter writer(const FilterParams& p) noexcept { return PixelWriter(p.destination, p); }

// Copies the whole destination block over the source block.
void copyDestinationToSource(const FilterParams& p) noexcept;
// Writes the destination into the current layer through the mask (whole block at the
// origin, cut to the layer) and copies it into the source: how multi-pass filters
// hand an intermediate result to their next pass.
void commitIntermediate(const FilterParams& p);

}  // namespace dro::filters
