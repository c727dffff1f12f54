// The region rule of the flood fills, in one place for the library's block fill and
// the paint bucket's fill straight on a layer: the pixels 4-connected to the seed whose
// red, green and blue lie within a squared distance of the seed's own (alpha never
// takes part), marked in a bit plane as the scanline fill finds them.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "imaging/lib/scanline_fill.h"

namespace dro::lib {

// Squared red, green and blue distance of a colour from a packed colour
// (r | g << 8 | b << 16), within tolerance.
struct ColourMatch {
    int32_t r, g, b, tolerance;

    ColourMatch(uint32_t colour, int32_t tol)
        : r(colour & 0xFF), g((colour >> 8) & 0xFF), b((colour >> 16) & 0xFF), tolerance(tol) {}

    bool rgb(int32_t pr, int32_t pg, int32_t pb) const {
        const int32_t dr = pr - r, dg = pg - g, db = pb - b;
        return dr * dr + dg * dg + db * db <= tolerance;
    }
    bool operator()(const uint8_t* p) const { return rgb(p[0], p[1], p[2]); }
    bool packed(uint32_t c) const { return rgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
};

// One bit a pixel over memory the caller owns; each row starts on a word of its own, so
// a row's bits read as whole words. Bits past the width are never set.
class RegionPlane {
public:
    static uint64_t bytes(int32_t width, int32_t height) noexcept {
        return (static_cast<uint64_t>(width) + 63) / 64 * 8 * static_cast<uint64_t>(height);
    }

    // `words` holds bytes(width, height) bytes (null: not ready); the plane clears them.
    RegionPlane(uint64_t* words, int32_t width, int32_t height) noexcept
        : wordsPerRow_((static_cast<std::size_t>(width) + 63) / 64), bits_(words) {
        if (bits_) std::memset(bits_, 0, bytes(width, height));
    }

    bool ready() const noexcept { return bits_ != nullptr; }
    const uint64_t* row(int32_t y) const noexcept { return bits_ + static_cast<std::size_t>(y) * wordsPerRow_; }
    bool has(int32_t x, int32_t y) const noexcept { return (row(y)[x >> 6] >> (x & 63)) & 1; }

    // Columns x0..x1 inclusive of row y.
    void setRun(int32_t y, int32_t x0, int32_t x1) noexcept {
        uint64_t* r = bits_ + static_cast<std::size_t>(y) * wordsPerRow_;
        const int32_t first = x0 >> 6, last = x1 >> 6;
        const uint64_t head = ~uint64_t{0} << (x0 & 63), tail = ~uint64_t{0} >> (63 - (x1 & 63));
        if (first == last) {
            r[first] |= head & tail;
            return;
        }
        r[first] |= head;
        for (int32_t w = first + 1; w < last; ++w) r[w] = ~uint64_t{0};
        r[last] |= tail;
    }

private:
    std::size_t wordsPerRow_;
    uint64_t* bits_;
};

// What is inside at tolerance 0: not yet marked and of the seed's colour. A sampler
// with equalRunEnd(x, limit, y, rgb), the first column from x up to limit whose colour
// is not rgb, has runs scanned a plane word at a time.
template <class RgbAt>
struct UnmarkedOfColour {
    const RegionPlane& plane;
    RgbAt& rgbAt;
    uint32_t colour;

    bool operator()(int32_t x, int32_t y) const { return !plane.has(x, y) && rgbAt(x, y) == colour; }

    int32_t runEnd(int32_t x, int32_t y, int32_t limit) const
        requires requires(RgbAt& s) { s.equalRunEnd(x, limit, y, colour); }
    {
        const uint64_t* bits = plane.row(y);
        while (x < limit) {
            const uint64_t marked = bits[x >> 6] >> (x & 63);
            const int32_t wordEnd = std::min(limit, (x | 63) + 1);
            const int32_t stop = marked ? std::min(wordEnd, x + std::countr_zero(marked)) : wordEnd;
            const int32_t end = rgbAt.equalRunEnd(x, stop, y, colour);
            if (end < stop || stop < wordEnd) return end;  // another colour, or a marked pixel
            x = end;
        }
        return x;
    }
};

// Marks the region of the seed in `plane` (width x height, cleared). rgbAt(x, y) gives a
// pixel's colour packed r | g << 8 | b << 16; onRun(y, x0, x1) sees each run as it is
// marked. Returns the number of pixels marked; the plane must be ready.
template <class RgbAt, class OnRun>
uint64_t floodRegion(RegionPlane& plane, int32_t width, int32_t height, int32_t seedX, int32_t seedY,
                     int32_t tolerance, RgbAt&& rgbAt, OnRun&& onRun) {
    if (seedX < 0 || seedY < 0 || seedX >= width || seedY >= height) return 0;
    uint64_t marked = 0;
    const auto mark = [&](int32_t y, int32_t x0, int32_t x1) {
        plane.setRun(y, x0, x1);
        marked += static_cast<uint64_t>(x1 - x0 + 1);
        onRun(y, x0, x1);
    };
    const uint32_t seed = rgbAt(seedX, seedY);
    if (tolerance == 0) {
        // Distance 0 is equality: one compare of the packed colour.
        scanlineFill(width, height, seedX, seedY, UnmarkedOfColour<std::remove_reference_t<RgbAt>>{plane, rgbAt, seed},
                     mark);
    } else {
        const ColourMatch match(seed, tolerance);
        scanlineFill(width, height, seedX, seedY,
                     [&](int32_t x, int32_t y) { return !plane.has(x, y) && match.packed(rgbAt(x, y)); }, mark);
    }
    return marked;
}

}  // namespace dro::lib
