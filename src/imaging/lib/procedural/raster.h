// What every generator of the procedural interpreter draws with: a seeded random
// source, colour palettes chosen by style, and anti-aliased shapes on an image.
// The interpreter's images are RGBA32 blocks whose bytes run blue, green, red, alpha
// (callers swap red and blue around a run), so every write here puts blue first.
#pragma once

#include <array>
#include <cstdint>

#include "imaging/lib/procedural/effect_table.h"
#include "imaging/lib/random.h"

namespace dro::procedural {

// The library's generator (the same on every platform, so a seed gives the same picture
// everywhere), with the seed spread so that neighbouring seeds start far apart.
class Random {
public:
    explicit Random(uint64_t seed) noexcept : source_{seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull} {}
    uint64_t next() noexcept { return source_.next(); }
    // Uniform in [0, 1).
    float unit() noexcept { return static_cast<float>(next() >> 40) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) noexcept { return lo + (hi - lo) * unit(); }
    int32_t below(int32_t n) noexcept { return n > 0 ? static_cast<int32_t>(next() % static_cast<uint64_t>(n)) : 0; }

private:
    dro::Random source_;
};

struct Colour {
    uint8_t r = 0, g = 0, b = 0;
};

// A generator's colour style (kStyleCount of them, see effect_table.h); other values give grey.
class Palette {
public:
    Palette(int32_t style, uint64_t seed) noexcept;
    // t in [0, 1]; values outside are clamped.
    Colour at(float t) const noexcept;
    Colour random(Random& r) const noexcept { return at(r.unit()); }

private:
    std::array<Colour, 256> ramp_{};
};

// Where a generator draws: every write is clipped to the image.
class Raster {
public:
    Raster(uint8_t* pixels, int32_t width, int32_t height) noexcept : px_(pixels), w_(width), h_(height) {}
    int32_t width() const noexcept { return w_; }
    int32_t height() const noexcept { return h_; }

    void fill(Colour c) noexcept;
    void set(int32_t x, int32_t y, Colour c) noexcept;
    // Mixes c over the pixel with coverage 0..1; alpha stays opaque.
    void blend(int32_t x, int32_t y, Colour c, float coverage) noexcept;
    void disc(float cx, float cy, float radius, Colour c) noexcept;
    // A ring of the given line width around the circle of that radius.
    void ring(float cx, float cy, float radius, float lineWidth, Colour c) noexcept;
    // A segment with round ends, radius half its width.
    void segment(float x0, float y0, float x1, float y1, float radius, Colour c) noexcept;
    void rect(float x0, float y0, float x1, float y1, Colour c) noexcept;
    void rectOutline(float x0, float y0, float x1, float y1, float lineWidth, Colour c) noexcept;

private:
    uint8_t* px_;
    int32_t w_, h_;
};

}  // namespace dro::procedural
