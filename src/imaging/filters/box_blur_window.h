// The window sums of "Box Blur": which line positions a window reads, the divisor at
// each position, and the passes over a block. The plain passes are the reference; the
// fast ones give the same bytes and run while the filters' fast path is on.
#pragma once

#include <algorithm>
#include <cstdint>

#include "imaging/filter_params.h"

namespace dro::filters {

// The window around a sample position: 2r + 1 positions, clipped to 0..n-1 (divisor
// the count inside) or, wrapped, mapped back into the line by the rule below
// (divisor always 2r + 1).
struct Window {
    int64_t r;
    int32_t n;
    bool wrap;

    // The line index a window position reads; -1 when a clipped window skips it.
    // Wrapping reads position i < 0 from n - 1 + i (at least 0) and i >= n from
    // i - n + 1 (at most n - 1).
    int32_t map(int64_t i) const noexcept {
        if (i >= 0 && i < n) return static_cast<int32_t>(i);
        if (!wrap) return -1;
        if (i < 0) return static_cast<int32_t>(std::max<int64_t>(n - 1 + i, 0));
        return static_cast<int32_t>(std::min<int64_t>(i - n + 1, n - 1));
    }

    // Calls f(index, count) for the line indices the window at position at reads,
    // with how often each is read; O(n) whatever the radius.
    template <class F>
    void enumerate(int64_t at, F&& f) const {
        const int64_t lo = at - r;
        const int64_t hi = at + r;
        const auto span = [&](int64_t a, int64_t b) {  // positions a..b, each read once
            for (int64_t i = std::max(a, lo); i <= std::min(b, hi); ++i) f(map(i), 1);
        };
        const auto run = [&](int64_t a, int64_t b, int32_t index) {  // a..b all read index
            const int64_t first = std::max(a, lo);
            const int64_t last = std::min(b, hi);
            if (first <= last) f(index, last - first + 1);
        };
        if (!wrap) {
            span(0, n - 1);
            return;
        }
        run(lo, -int64_t{n}, 0);
        span(-int64_t{n} + 1, -1);
        span(0, n - 1);
        span(n, 2 * int64_t{n} - 2);
        run(2 * int64_t{n} - 1, hi, n - 1);
    }

    int64_t divisor(int64_t at) const noexcept {
        if (wrap) return 2 * r + 1;
        return std::min<int64_t>(at + r, n - 1) - std::max<int64_t>(at - r, 0) + 1;
    }
};

inline bool parallelWorth(const FilterParams& p) noexcept {
    constexpr int64_t kParallelArea = 1000;
    return int64_t{p.width - 1} * (p.height - 1) > kParallelArea;
}

// This thread's share of rows 0..height-1 inside an OpenMP team: contiguous bands, one
// per thread, so each pass's split is the same and a band's rows stay together.
struct RowBand {
    int32_t begin;
    int32_t end;
};
inline RowBand rowBandOf(int32_t height, int32_t threads, int32_t thread) noexcept {
    const int32_t band = (height + threads - 1) / threads;
    const int32_t begin = std::min(height, thread * band);
    return {begin, std::min(height, begin + band)};
}

// The fast passes keep window sums in 32-bit lanes and divide through a float
// reciprocal, both exact while a window's divisor is at most this.
inline constexpr int64_t kFastWindowLimit = 16383;
inline bool fastPassesFit(const Window& win) noexcept {
    const int64_t widest = win.wrap ? 2 * win.r + 1 : std::min<int64_t>(2 * win.r + 1, win.n);
    return widest <= kFastWindowLimit;
}

// Floor of s / d for 0 <= s <= 255 x d and d <= kFastWindowLimit, with inv = 1.0f / d:
// (s + 0.5) / d lies at least 0.5 / d >= 2^-15 from an integer, and the float sum and
// product (s + 0.5 exact, inv and the product each within 2^-24 relative) stay within
// 2^-15 of it, so the truncation lands on the right integer. The fast passes do the
// same operations in vector lanes.
inline int32_t windowQuotient(int32_t s, float inv) noexcept {
    return static_cast<int32_t>((static_cast<float>(s) + 0.5f) * inv);
}

// One round (vertical then horizontal) from the source into the destination, which
// must not overlap; the source is left as it was.
void fusedRoundFast(const FilterParams& p, const Window& vertical, const Window& horizontal);
// Rows rowBegin..rowEnd-1 of the vertical pass.
void verticalRowsFast(const FilterParams& p, const Window& win, int32_t rowBegin, int32_t rowEnd);
// From the source into the destination; with fromDestination, each row is first
// copied from the destination into the source (the copy stays there).
void horizontalPassFast(const FilterParams& p, const Window& win, bool fromDestination = false);

}  // namespace dro::filters
