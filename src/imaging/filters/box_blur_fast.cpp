// The fast passes of "Box Blur". Window sums fit 32-bit lanes (at most 255 x 16383),
// and the quotient comes from a float reciprocal without a remainder check (see
// windowQuotient in box_blur_window.h for why it is exact).
#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <omp.h>

#include "core/cpu_features.h"
#include "core/vector_types.h"
#include "imaging/filters/box_blur_window.h"

namespace dro::filters {
namespace {

template <class I, class F>
[[gnu::always_inline]] inline I quotientLanes(I s, float inv) noexcept {
    return __builtin_convertvector((__builtin_convertvector(s, F) + 0.5f) * inv, I);
}

[[gnu::always_inline]] inline int32_t quotient(int32_t s, float inv) noexcept {
    return windowQuotient(s, inv);
}

[[gnu::always_inline]] inline I32x4 quotient(I32x4 s, float inv) noexcept {
    return quotientLanes<I32x4, F32x4>(s, inv);
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
constexpr int64_t kPrefetchRows = 8;

// Moves a column window one row on: the entering row (null past the edge in clip
// mode) added, the leaving one taken away.
[[gnu::always_inline]] inline void slideSums(int32_t* __restrict sum, int32_t lanes, const uint8_t* in,
                                             const uint8_t* gone) noexcept {
    if (in && gone) {
        for (int32_t k = 0; k < lanes; ++k) sum[k] += in[k] - gone[k];
    } else if (in) {
        for (int32_t k = 0; k < lanes; ++k) sum[k] += in[k];
    } else if (gone) {
        for (int32_t k = 0; k < lanes; ++k) sum[k] -= gone[k];
    }
}

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
            const float inv = 1.0f / static_cast<float>(win.divisor(y));
            uint8_t* out = p.destination + y * stride + int64_t{x0} * 4;
            for (int32_t k = 0; k < lanes; ++k) out[k] = static_cast<uint8_t>(quotient(sum[k], inv));
            if (y + 1 == rowEnd) break;
            const int32_t enter = win.map(int64_t{y} + 1 + win.r);
            const int32_t leave = win.map(int64_t{y} - win.r);
            // A strip row is a few cache lines of a long row: ask for the rows ahead early.
            const int32_t ahead = win.map(int64_t{y} + 1 + win.r + kPrefetchRows);
            if (ahead >= 0)
                for (int32_t k = 0; k < lanes; k += 64) __builtin_prefetch(base + ahead * stride + k);
            const uint8_t* in = enter >= 0 ? base + enter * stride : nullptr;
            const uint8_t* gone = leave >= 0 ? base + leave * stride : nullptr;
            slideSums(sum, lanes, in, gone);
        }
    }
}

// Rows of the horizontal pass side by side in vector lanes: one row per vector of four
// channels, or (AVX2) two rows per vector of eight.
struct OneRow {
    using V = I32x4;
    static constexpr int kRows = 1;
    [[gnu::always_inline]] static V at(const uint8_t* const* in, int32_t x) noexcept { return pixelAt(in[0] + x * 4); }
    [[gnu::always_inline]] static V join(const I32x4* sums) noexcept { return sums[0]; }
    [[gnu::always_inline]] static void put(uint8_t* const* out, int32_t x, V sum, float inv) noexcept {
        storePixel(out[0] + x * 4, quotient(sum, inv));
    }
};

// Two rows per vector need GCC: clang checks the vector ABI of the baseline templates
// before inlining them into the AVX2 caller and refuses 256-bit vectors there, so a
// clang build (the fuzzers) takes one row at a time, with the same bytes.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(__clang__)
#define DROVANE_BOX_BLUR_ROW_PAIRS 1
#endif

#ifdef DROVANE_BOX_BLUR_ROW_PAIRS
struct TwoRows {
    using V = I32x8;
    static constexpr int kRows = 2;
    [[gnu::target("avx2")]] static V at(const uint8_t* const* in, int32_t x) noexcept {
        int32_t a, b;
        std::memcpy(&a, in[0] + x * 4, sizeof a);
        std::memcpy(&b, in[1] + x * 4, sizeof b);
        return reinterpret_cast<V>(_mm256_cvtepu8_epi32(_mm_unpacklo_epi32(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b))));
    }
    [[gnu::target("avx2")]] static V join(const I32x4* sums) noexcept {
        return reinterpret_cast<V>(
            _mm256_set_m128i(reinterpret_cast<__m128i>(sums[1]), reinterpret_cast<__m128i>(sums[0])));
    }
    [[gnu::target("avx2")]] static void put(uint8_t* const* out, int32_t x, V sum, float inv) noexcept {
        const auto q = reinterpret_cast<__m256i>(quotientLanes<I32x8, F32x8>(sum, inv));
        const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
        const __m128i bytes = _mm_packus_epi16(words, words);
        const int32_t a = _mm_cvtsi128_si32(bytes), b = _mm_extract_epi32(bytes, 1);
        std::memcpy(out[0] + x * 4, &a, sizeof a);
        std::memcpy(out[1] + x * 4, &b, sizeof b);
    }
};
#endif

// Rows of the horizontal pass; the reciprocal of each column's divisor comes from a table.
// Where the whole window lies inside the row (x - r >= 0 and x + 1 + r < n) the
// positions need no mapping, and that stretch runs without the edge tests.
// (No lambdas call Rows here, and TwoRows' members are plain inline functions: code
// compiled for the baseline may not inline AVX2 code, only the AVX2 caller can.)
template <class Rows>
[[gnu::always_inline]] inline void horizontalRowsBody(const uint8_t* const* in, uint8_t* const* out,
                                                      const Window& win, const float* inverse) noexcept {
    I32x4 first[Rows::kRows] = {};
    for (int k = 0; k < Rows::kRows; ++k) {
        const uint8_t* row = in[k];
        I32x4& sum = first[k];
        win.enumerate(0, [&](int32_t i, int64_t count) { sum += pixelAt(row + i * 4) * static_cast<int32_t>(count); });
    }
    typename Rows::V sum = Rows::join(first);
    const int64_t r = win.r;
    const auto interiorBegin = static_cast<int32_t>(std::min<int64_t>(r, win.n));
    const auto interiorEnd = static_cast<int32_t>(std::max<int64_t>(interiorBegin, win.n - 1 - r));
    const auto span = static_cast<int32_t>(r);
    for (int32_t x = 0;;) {
        if (x >= interiorBegin && x < interiorEnd) {
            const float inv = inverse[x];
            for (; x < interiorEnd; ++x) {
                Rows::put(out, x, sum, inv);
                sum += Rows::at(in, x + 1 + span) - Rows::at(in, x - span);
            }
            continue;
        }
        Rows::put(out, x, sum, inverse[x]);
        if (x + 1 == win.n) return;
        // The window moves from x to x + 1.
        const int32_t enter = win.map(int64_t{x} + 1 + win.r);
        const int32_t leave = win.map(int64_t{x} - win.r);
        if (enter >= 0) sum += Rows::at(in, enter);
        if (leave >= 0) sum -= Rows::at(in, leave);
        ++x;
    }
}

using HorizontalRows = void (*)(const uint8_t* const*, uint8_t* const*, const Window&, const float*) noexcept;

#ifdef DROVANE_BOX_BLUR_ROW_PAIRS
[[gnu::target("avx2")]] void horizontalRowPairAvx2(const uint8_t* const* in, uint8_t* const* out, const Window& win,
                                                   const float* inverse) noexcept {
    horizontalRowsBody<TwoRows>(in, out, win, inverse);
}
#else
constexpr HorizontalRows horizontalRowPairAvx2 = nullptr;
#endif

// One step of the fused round: the vertical result of a row from the window sums of
// the whole row width, then the sums slid one row on (in or gone null where the
// clipped window takes nothing in or drops nothing).
[[gnu::always_inline]] inline void verticalStepBody(int32_t* __restrict sum, int32_t lanes, float inv,
                                                    uint8_t* __restrict out, const uint8_t* in,
                                                    const uint8_t* gone) noexcept {
    for (int32_t k = 0; k < lanes; ++k) out[k] = static_cast<uint8_t>(quotient(sum[k], inv));
    slideSums(sum, lanes, in, gone);
}

using VerticalStep = BaselineAndAvx2<verticalStepBody>;
using HorizontalRow = BaselineAndAvx2<horizontalRowsBody<OneRow>>;

struct PassKernels {
    VerticalStep::Kernel step = VerticalStep::pick();
    HorizontalRows one = HorizontalRow::pick();
    // Two rows at once, where the machine has the lanes for it.
    HorizontalRows pair = hasAvx2() ? horizontalRowPairAvx2 : nullptr;
};

// The reciprocal of each column's divisor in the horizontal pass.
std::vector<float> columnReciprocals(const Window& win) {
    std::vector<float> inverse(static_cast<size_t>(win.n));
    for (int32_t x = 0; x < win.n; ++x) inverse[x] = 1.0f / static_cast<float>(win.divisor(x));
    return inverse;
}

// Rows rowBegin..rowEnd-1 of a fused round: each vertical result row (or pair of rows)
// lands in a line and is blurred along at once, so it never goes through memory.
void fusedBand(const FilterParams& p, const Window& vertical, const Window& horizontal, const float* inverse,
               const PassKernels& k, int32_t rowBegin, int32_t rowEnd, int32_t* sum, uint8_t* lines) {
    const int64_t stride = p.stride;
    const int32_t lanes = p.width * 4;
    std::fill(sum, sum + lanes, 0);
    vertical.enumerate(rowBegin, [&](int32_t j, int64_t count) {
        const uint8_t* row = p.source + j * stride;
        const auto times = static_cast<int32_t>(count);
        for (int32_t c = 0; c < lanes; ++c) sum[c] += times * row[c];
    });
    const int32_t perStep = k.pair ? 2 : 1;
    uint8_t* line[2] = {lines, lines + lanes};
    for (int32_t y = rowBegin; y < rowEnd; y += perStep) {
        const int32_t rows = std::min(perStep, rowEnd - y);
        for (int32_t i = 0; i < rows; ++i) {
            const int32_t row = y + i;
            const uint8_t* in = nullptr;
            const uint8_t* gone = nullptr;
            if (row + 1 < rowEnd) {
                const int32_t enter = vertical.map(int64_t{row} + 1 + vertical.r);
                const int32_t leave = vertical.map(int64_t{row} - vertical.r);
                if (enter >= 0) in = p.source + enter * stride;
                if (leave >= 0) gone = p.source + leave * stride;
            }
            k.step(sum, lanes, 1.0f / static_cast<float>(vertical.divisor(row)), line[i], in, gone);
        }
        const uint8_t* in[2] = {line[0], line[1]};
        uint8_t* out[2] = {p.destination + y * stride, p.destination + (y + 1) * stride};
        (rows == 2 ? k.pair : k.one)(in, out, horizontal, inverse);
    }
}

}  // namespace

void fusedRoundFast(const FilterParams& p, const Window& vertical, const Window& horizontal) {
    const std::vector<float> inverse = columnReciprocals(horizontal);
    const PassKernels k;
    const auto lanes = static_cast<size_t>(p.width) * 4;
    const auto threads = static_cast<size_t>(std::max(1, omp_get_max_threads()));
    std::vector<int32_t> sums(lanes * threads);
    std::vector<uint8_t> lines(2 * lanes * threads);
#pragma omp parallel if (parallelWorth(p))
    {
        const int32_t me = omp_get_thread_num();
        const RowBand rows = rowBandOf(p.height, omp_get_num_threads(), me);
        if (rows.begin < rows.end)
            fusedBand(p, vertical, horizontal, inverse.data(), k, rows.begin, rows.end, sums.data() + lanes * me,
                      lines.data() + 2 * lanes * me);
    }
}

void verticalRowsFast(const FilterParams& p, const Window& win, int32_t rowBegin, int32_t rowEnd) {
    BaselineAndAvx2<verticalRowsBody>::pick()(p, win, rowBegin, rowEnd);
}

void horizontalPassFast(const FilterParams& p, const Window& win, bool fromDestination) {
    const std::vector<float> inverse = columnReciprocals(win);
    const PassKernels kernels;
    const HorizontalRows one = kernels.one, pair = kernels.pair;
    const int32_t perStep = pair ? 2 : 1;
    const int32_t steps = (p.height + perStep - 1) / perStep;
#pragma omp parallel for schedule(static) if (parallelWorth(p))
    for (int32_t i = 0; i < steps; ++i) {
        const int32_t y = i * perStep, rows = std::min(perStep, p.height - y);
        const uint8_t* in[2];
        uint8_t* out[2];
        for (int32_t k = 0; k < rows; ++k) {
            const int64_t at = int64_t{y + k} * p.stride;
            if (fromDestination) std::memcpy(p.source + at, p.destination + at, static_cast<size_t>(p.stride));
            in[k] = p.source + at;
            out[k] = p.destination + at;
        }
        (rows == 2 ? pair : one)(in, out, win, inverse.data());
    }
}

}  // namespace dro::filters
