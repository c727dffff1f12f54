// The fast passes of "Box Blur". Window sums fit 32-bit lanes (at most 255 x 65535),
// and the quotient comes from a float reciprocal: a sum below 2^24 is exact as a float,
// the product is within 255 x 2^-23 of the true quotient, so the truncated estimate is
// off by at most one and a single remainder check makes it exact.
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/cpu_features.h"
#include "imaging/filters/box_blur_window.h"

namespace dro::filters {
namespace {

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

using I32x4 = int32_t __attribute__((vector_size(16)));
using F32x4 = float __attribute__((vector_size(16)));
using U8x4 = uint8_t __attribute__((vector_size(4)));

// Floor of s / d for 0 <= s <= 255 * d, d <= kFastWindowLimit, with inv = 1.0f / d.
[[gnu::always_inline]] inline int32_t quotient(int32_t s, int32_t d, float inv) noexcept {
    int32_t q = static_cast<int32_t>(static_cast<float>(s) * inv);
    const int32_t r = s - q * d;
    return q + static_cast<int32_t>(r >= d) - static_cast<int32_t>(r < 0);
}

[[gnu::always_inline]] inline I32x4 quotient(I32x4 s, int32_t d, float inv) noexcept {
    const I32x4 q = __builtin_convertvector(__builtin_convertvector(s, F32x4) * inv, I32x4);
    const I32x4 r = s - q * d;
    // Vector comparisons give -1 where true.
    return q - (r >= d) + (r < 0);
}

// The compiler turns the widening and narrowing conversions of vector extensions into
// one byte at a time; on x86 they are two unpacks and two packs.
#if defined(__SSE2__)
[[gnu::always_inline]] inline I32x4 pixelAt(const uint8_t* px) noexcept {
    int32_t word;
    std::memcpy(&word, px, sizeof word);
    const __m128i zero = _mm_setzero_si128();
    return reinterpret_cast<I32x4>(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero));
}

// q holds four values in 0..255.
[[gnu::always_inline]] inline void storePixel(uint8_t* px, I32x4 q) noexcept {
    const __m128i words = _mm_packs_epi32(reinterpret_cast<__m128i>(q), reinterpret_cast<__m128i>(q));
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(px, &bytes, sizeof bytes);
}
#else
[[gnu::always_inline]] inline I32x4 pixelAt(const uint8_t* px) noexcept {
    U8x4 b;
    std::memcpy(&b, px, sizeof b);
    return __builtin_convertvector(b, I32x4);
}

[[gnu::always_inline]] inline void storePixel(uint8_t* px, I32x4 q) noexcept {
    const U8x4 b = __builtin_convertvector(q, U8x4);
    std::memcpy(px, &b, sizeof b);
}
#endif

// Columns are walked in strips so each row read stays contiguous and the running
// sums live on the stack.
constexpr int32_t kStrip = 128;

[[gnu::always_inline]] inline void verticalRowsBody(const FilterParams& p, const Window& win, int32_t rowBegin,
                                                    int32_t rowEnd) noexcept {
    const int64_t stride = p.stride;
    for (int32_t x0 = 0; x0 < p.width; x0 += kStrip) {
        const int32_t lanes = std::min(kStrip, p.width - x0) * 4;
        int32_t sum[kStrip * 4] = {};
        const uint8_t* base = p.source + int64_t{x0} * 4;
        win.enumerate(rowBegin, [&](int32_t j, int64_t count) {
            const uint8_t* row = base + j * stride;
            const auto times = static_cast<int32_t>(count);
            for (int32_t k = 0; k < lanes; ++k) sum[k] += times * row[k];
        });
        for (int32_t y = rowBegin;; ++y) {
            const auto d = static_cast<int32_t>(win.divisor(y));
            const float inv = 1.0f / static_cast<float>(d);
            uint8_t* out = p.destination + y * stride + int64_t{x0} * 4;
            for (int32_t k = 0; k < lanes; ++k) out[k] = static_cast<uint8_t>(quotient(sum[k], d, inv));
            if (y + 1 == rowEnd) break;
            const int32_t enter = win.map(int64_t{y} + 1 + win.r);
            const int32_t leave = win.map(int64_t{y} - win.r);
            const uint8_t* in = enter >= 0 ? base + enter * stride : nullptr;
            const uint8_t* gone = leave >= 0 ? base + leave * stride : nullptr;
            if (in && gone) {
                for (int32_t k = 0; k < lanes; ++k) sum[k] += in[k] - gone[k];
            } else if (in) {
                for (int32_t k = 0; k < lanes; ++k) sum[k] += in[k];
            } else if (gone) {
                for (int32_t k = 0; k < lanes; ++k) sum[k] -= gone[k];
            }
        }
    }
}

void verticalRowsDefault(const FilterParams& p, const Window& win, int32_t b, int32_t e) noexcept {
    verticalRowsBody(p, win, b, e);
}

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx2")]] void verticalRowsAvx2(const FilterParams& p, const Window& win, int32_t b,
                                              int32_t e) noexcept {
    verticalRowsBody(p, win, b, e);
}
#else
constexpr auto verticalRowsAvx2 = verticalRowsDefault;
#endif

// One row; divisor and reciprocal per column come from the tables. Where the whole
// window lies inside the row (x - r >= 0 and x + 1 + r < n) the positions need no
// mapping, and that stretch runs without the edge tests.
[[gnu::always_inline]] inline void horizontalRowBody(const uint8_t* in, uint8_t* out, const Window& win,
                                                     const int32_t* divisor, const float* inverse) noexcept {
    I32x4 sum = {0, 0, 0, 0};
    win.enumerate(0, [&](int32_t i, int64_t count) { sum += pixelAt(in + i * 4) * static_cast<int32_t>(count); });
    const auto store = [&](int32_t x) { storePixel(out + x * 4, quotient(sum, divisor[x], inverse[x])); };
    const auto step = [&](int32_t x) {  // the window moves from x to x + 1
        const int32_t enter = win.map(int64_t{x} + 1 + win.r);
        const int32_t leave = win.map(int64_t{x} - win.r);
        if (enter >= 0) sum += pixelAt(in + enter * 4);
        if (leave >= 0) sum -= pixelAt(in + leave * 4);
    };
    const int64_t r = win.r;
    const auto interiorBegin = static_cast<int32_t>(std::min<int64_t>(r, win.n));
    const auto interiorEnd = static_cast<int32_t>(std::max<int64_t>(interiorBegin, win.n - 1 - r));
    int32_t x = 0;
    for (; x < interiorBegin; ++x) {
        store(x);
        if (x + 1 == win.n) return;
        step(x);
    }
    if (x < interiorEnd) {
        const int32_t d = divisor[x];
        const float inv = inverse[x];
        const auto span = static_cast<int32_t>(r);
        for (; x < interiorEnd; ++x) {
            storePixel(out + x * 4, quotient(sum, d, inv));
            sum += pixelAt(in + (x + 1 + span) * 4) - pixelAt(in + (x - span) * 4);
        }
    }
    for (;; ++x) {
        store(x);
        if (x + 1 == win.n) return;
        step(x);
    }
}

void horizontalRowDefault(const uint8_t* in, uint8_t* out, const Window& win, const int32_t* divisor,
                          const float* inverse) noexcept {
    horizontalRowBody(in, out, win, divisor, inverse);
}

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx2")]] void horizontalRowAvx2(const uint8_t* in, uint8_t* out, const Window& win,
                                               const int32_t* divisor, const float* inverse) noexcept {
    horizontalRowBody(in, out, win, divisor, inverse);
}
#else
constexpr auto horizontalRowAvx2 = horizontalRowDefault;
#endif

}  // namespace

void verticalRowsFast(const FilterParams& p, const Window& win, int32_t rowBegin, int32_t rowEnd) {
    if (hasAvx2()) return verticalRowsAvx2(p, win, rowBegin, rowEnd);
    verticalRowsDefault(p, win, rowBegin, rowEnd);
}

void horizontalPassFast(const FilterParams& p, const Window& win, bool fromDestination) {
    std::vector<int32_t> divisor(static_cast<size_t>(p.width));
    std::vector<float> inverse(divisor.size());
    for (int32_t x = 0; x < p.width; ++x) {
        divisor[x] = static_cast<int32_t>(win.divisor(x));
        inverse[x] = 1.0f / static_cast<float>(divisor[x]);
    }
    const auto row = hasAvx2() ? horizontalRowAvx2 : horizontalRowDefault;
#pragma omp parallel for schedule(static) if (parallelWorth(p))
    for (int32_t y = 0; y < p.height; ++y) {
        const int64_t at = int64_t{y} * p.stride;
        if (fromDestination) std::memcpy(p.source + at, p.destination + at, static_cast<size_t>(p.stride));
        row(p.source + at, p.destination + at, win, divisor.data(), inverse.data());
    }
}

}  // namespace dro::filters
