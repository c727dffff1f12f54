#include "brush/dab_kernels.h"

#include <algorithm>
#include <cstring>

#include "core/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace dro {
namespace {

bool rowKernels = true;
int vectorWidth = 512;  // widest vector kernel allowed

// One pixel at coverage v (> 0): the Normal rule with colour sums masked to their high
// halves before the division by the new alpha.
inline void toolNormalPixel(const ToolNormalRow& p, uint32_t v, uint32_t cap, uint16_t* d) noexcept {
    const uint32_t dA = d[3];
    uint32_t o[3];
    uint32_t oA;
    if (dA == 0) {
        o[0] = p.source[0], o[1] = p.source[1], o[2] = p.source[2];
        oA = (v * p.source[3]) >> 16;
    } else {
        const uint32_t a = (v * p.source[3]) >> 16;
        oA = (((65535 - dA) * a) >> 16) + dA;
        for (int c = 0; c < 3; ++c) {
            const uint32_t dp = (uint32_t{d[c]} * dA) >> 16;
            const uint32_t sum = (((65535 - a) * dp) & 0xFFFF0000u) + ((a * p.source[c]) & 0xFFFF0000u);
            o[c] = std::min<uint32_t>(sum / oA, 65535);
        }
    }
    if (p.writeColor) {
        d[0] = static_cast<uint16_t>(o[0]);
        d[1] = static_cast<uint16_t>(o[1]);
        d[2] = static_cast<uint16_t>(o[2]);
    }
    if (p.writeAlpha && (!p.blobLocked || (dA > 0x1FFF && oA > 0x1FFF))) {
        const uint32_t a = p.alphaLevel > 0 ? p.alphaLevel : oA;
        d[3] = static_cast<uint16_t>(std::min({a, cap, uint32_t{65535}}));
    }
}

#if defined(__x86_64__) || defined(__i386__)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
// GCC 12's 512-bit intrinsics start from deliberately undefined registers, which its
// flow analysis reports as uninitialised.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// Eight pixels at a time in planes: channel c of the eight in one register of 32-bit
// lanes, pixels in the order 0 1 4 5 2 3 6 7 that the unpacks leave them in.
//
// The colour sum is a sum of two multiples of 65536 below 2^32, so sum / oA is
// floor(65536 H / oA) with H = sum >> 16 < 2^16. With r = 65536 / oA in double, H r
// lies within 2^-20 of the quotient x; x is an integer or at least 1 / oA > 2^-16 below
// the next one, so truncating H r + 2^-17 gives floor(x) exactly: one division per pixel
// instead of one per channel. Fusing the multiply and add (FMA) only tightens the bound.
struct NormalVectors {
    __m256i full, one, zero, gate, sourceAlpha, source[3], level, gather, order;
    __m256d numerator, nudge, limit;
    bool useLevel, writeColor, writeAlpha, blobLocked;
};

[[gnu::target("avx2"), gnu::always_inline]] inline void normalEight(const NormalVectors& k, const uint16_t* cv8,
                                                                    const uint16_t* cap8, uint16_t* d) noexcept {
    const __m128i cover = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cv8));
    if (_mm_testz_si128(cover, cover)) return;  // a gap in the shape: nothing to read or write
    const __m256i V = _mm256_permutevar8x32_epi32(_mm256_cvtepu16_epi32(cover), k.order);
    const __m256i C = cap8
                          ? _mm256_permutevar8x32_epi32(
                                _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cap8))), k.order)
                          : k.full;
    const __m256i g0 = _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(d)), k.gather);
    const __m256i g1 = _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 16)), k.gather);
    const __m256i rg = _mm256_permute4x64_epi64(_mm256_unpacklo_epi32(g0, g1), _MM_SHUFFLE(3, 1, 2, 0));
    const __m256i ba = _mm256_permute4x64_epi64(_mm256_unpackhi_epi32(g0, g1), _MM_SHUFFLE(3, 1, 2, 0));
    const __m256i D[3] = {_mm256_cvtepu16_epi32(_mm256_castsi256_si128(rg)),
                          _mm256_cvtepu16_epi32(_mm256_extracti128_si256(rg, 1)),
                          _mm256_cvtepu16_epi32(_mm256_castsi256_si128(ba))};
    const __m256i dA = _mm256_cvtepu16_epi32(_mm256_extracti128_si256(ba, 1));

    const __m256i a = _mm256_srli_epi32(_mm256_mullo_epi32(V, k.sourceAlpha), 16);
    const __m256i clear = _mm256_cmpeq_epi32(dA, k.zero);
    // Over a clear destination the source is taken as it is, at alpha a.
    const __m256i oA = _mm256_blendv_epi8(
        _mm256_add_epi32(_mm256_srli_epi32(_mm256_mullo_epi32(_mm256_sub_epi32(k.full, dA), a), 16), dA), a, clear);
    const __m256i divisor = _mm256_max_epu32(oA, k.one);
    const __m256d r0 = _mm256_div_pd(k.numerator, _mm256_cvtepi32_pd(_mm256_castsi256_si128(divisor)));
    const __m256d r1 = _mm256_div_pd(k.numerator, _mm256_cvtepi32_pd(_mm256_extracti128_si256(divisor, 1)));
    const __m256i rest = _mm256_sub_epi32(k.full, a);
    const __m256i painted = _mm256_xor_si256(_mm256_cmpeq_epi32(V, k.zero), _mm256_set1_epi32(-1));
    const __m256i takeColour = k.writeColor ? painted : k.zero;

    __m256i out[4];
    for (int c = 0; c < 3; ++c) {
        const __m256i dp = _mm256_srli_epi32(_mm256_mullo_epi32(D[c], dA), 16);
        const __m256i H = _mm256_add_epi32(_mm256_srli_epi32(_mm256_mullo_epi32(rest, dp), 16),
                                           _mm256_srli_epi32(_mm256_mullo_epi32(a, k.source[c]), 16));
        const __m256d x0 = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(H)), r0), k.nudge);
        const __m256d x1 =
            _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(H, 1)), r1), k.nudge);
        const __m256i q = _mm256_set_m128i(_mm256_cvttpd_epi32(_mm256_min_pd(x1, k.limit)),
                                           _mm256_cvttpd_epi32(_mm256_min_pd(x0, k.limit)));
        out[c] = _mm256_blendv_epi8(D[c], _mm256_blendv_epi8(q, k.source[c], clear), takeColour);
    }
    out[3] = dA;
    if (k.writeAlpha) {
        __m256i wA = k.useLevel ? k.level : oA;
        wA = _mm256_min_epu32(wA, C);  // oA, the level and the cap all lie within 0..65535
        __m256i allow = painted;
        if (k.blobLocked) {
            allow = _mm256_and_si256(allow,
                                     _mm256_and_si256(_mm256_cmpgt_epi32(dA, k.gate), _mm256_cmpgt_epi32(oA, k.gate)));
        }
        out[3] = _mm256_blendv_epi8(dA, wA, allow);
    }

    // Back to r g b a: each 128-bit half packs pixels 0 1 4 5 (low) or 2 3 6 7 (high).
    const __m256i rgPacked = _mm256_packus_epi32(out[0], out[1]);
    const __m256i baPacked = _mm256_packus_epi32(out[2], out[3]);
    const __m256i rb = _mm256_unpacklo_epi16(rgPacked, baPacked);
    const __m256i ga = _mm256_unpackhi_epi16(rgPacked, baPacked);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_unpacklo_epi16(rb, ga));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 16), _mm256_unpackhi_epi16(rb, ga));
}

[[gnu::target("avx2")]] void toolNormalAvx2(const ToolNormalRow& p, const uint16_t* coverage, const uint16_t* cap,
                                            uint16_t* dst, int32_t count) noexcept {
    NormalVectors k;
    k.full = _mm256_set1_epi32(65535);
    k.one = _mm256_set1_epi32(1);
    k.zero = _mm256_setzero_si256();
    k.gate = _mm256_set1_epi32(0x1FFF);
    k.sourceAlpha = _mm256_set1_epi32(static_cast<int>(p.source[3]));
    for (int c = 0; c < 3; ++c) k.source[c] = _mm256_set1_epi32(static_cast<int>(p.source[c]));
    k.level = _mm256_set1_epi32(static_cast<int>(std::min<uint32_t>(p.alphaLevel, 65535)));
    k.useLevel = p.alphaLevel > 0;
    k.numerator = _mm256_set1_pd(65536.0);
    k.nudge = _mm256_set1_pd(1.0 / 131072.0);
    k.limit = _mm256_set1_pd(65535.0);
    // Within each 128-bit half: r0 r1 g0 g1 b0 b1 a0 a1 from two pixels r g b a.
    k.gather = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15,  //
                                0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
    k.order = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
    k.writeColor = p.writeColor;
    k.writeAlpha = p.writeAlpha;
    k.blobLocked = p.blobLocked;

    int32_t i = 0;
    for (; i + 8 <= count; i += 8) normalEight(k, coverage + i, cap ? cap + i : nullptr, dst + size_t(i) * 4);
    if (i == count) return;
    // The last few pixels go through the same arithmetic from a padded copy.
    const int32_t left = count - i;
    alignas(32) uint16_t cv8[8] = {}, cap8[8] = {}, px[32] = {};
    std::memcpy(cv8, coverage + i, size_t(left) * 2);
    if (cap) std::memcpy(cap8, cap + i, size_t(left) * 2);
    std::memcpy(px, dst + size_t(i) * 4, size_t(left) * 8);
    normalEight(k, cv8, cap ? cap8 : nullptr, px);
    std::memcpy(dst + size_t(i) * 4, px, size_t(left) * 8);
}

// Word indices into two registers of eight r g b a pixels each: planes r|g and b|a
// out, pixels 0-7 and 8-15 back.
struct WordIndex {
    alignas(64) uint16_t toPlanes[2][32];
    alignas(64) uint16_t toPixels[2][32];
};
constexpr WordIndex makeWordIndex() {
    WordIndex w{};
    for (int i = 0; i < 16; ++i) {
        for (int h = 0; h < 2; ++h) {
            w.toPlanes[h][i] = static_cast<uint16_t>(4 * i + 2 * h);
            w.toPlanes[h][16 + i] = static_cast<uint16_t>(4 * i + 2 * h + 1);
        }
    }
    for (int i = 0; i < 8; ++i) {
        for (int h = 0; h < 2; ++h) {
            for (int c = 0; c < 4; ++c) w.toPixels[h][4 * i + c] = static_cast<uint16_t>(16 * c + 8 * h + i);
        }
    }
    return w;
}
alignas(64) constexpr WordIndex kWordIndex = makeWordIndex();

// The same arithmetic sixteen pixels at a time in 512-bit registers, pixels in their
// own order: the word permutes split r g b a into planes and back in one step each.
[[gnu::target("avx512f,avx512bw,avx512vl")]] void toolNormalAvx512(const ToolNormalRow& p, const uint16_t* coverage,
                                                                   const uint16_t* cap, uint16_t* dst,
                                                                   int32_t count) noexcept {
    const __m512i full = _mm512_set1_epi32(65535);
    const __m512i one = _mm512_set1_epi32(1);
    const __m512i gate = _mm512_set1_epi32(0x1FFF);
    const __m512i sourceAlpha = _mm512_set1_epi32(static_cast<int>(p.source[3]));
    const __m512i source[3] = {_mm512_set1_epi32(static_cast<int>(p.source[0])),
                               _mm512_set1_epi32(static_cast<int>(p.source[1])),
                               _mm512_set1_epi32(static_cast<int>(p.source[2]))};
    const __m512i level = _mm512_set1_epi32(static_cast<int>(std::min<uint32_t>(p.alphaLevel, 65535)));
    const __m512d numerator = _mm512_set1_pd(65536.0);
    const __m512d nudge = _mm512_set1_pd(1.0 / 131072.0);
    const __m512d limit = _mm512_set1_pd(65535.0);
    const __m512i rgIndex = _mm512_load_si512(kWordIndex.toPlanes[0]),
                  baIndex = _mm512_load_si512(kWordIndex.toPlanes[1]);
    const __m512i lowIndex = _mm512_load_si512(kWordIndex.toPixels[0]),
                  highIndex = _mm512_load_si512(kWordIndex.toPixels[1]);

    const auto sixteen = [&](const uint16_t* cv, const uint16_t* cp, uint16_t* d, __mmask16 live)
        __attribute__((always_inline, target("avx512f,avx512bw,avx512vl"))) {
        const __m256i cover = _mm256_maskz_loadu_epi16(live, cv);
        const __m512i V = _mm512_cvtepu16_epi32(cover);
        const __mmask16 painted = _mm512_test_epi32_mask(V, V);
        if (painted == 0) return;  // a gap in the shape: nothing to read or write
        const __m512i C = cp ? _mm512_cvtepu16_epi32(_mm256_maskz_loadu_epi16(live, cp)) : full;
        const __mmask32 lowWords =
            live >= 0xFF ? 0xFFFFFFFFu : static_cast<__mmask32>((1ull << (4 * __builtin_popcount(live))) - 1);
        const __mmask32 highWords = live == 0xFFFF ? 0xFFFFFFFFu
                                    : live > 0xFF
                                        ? static_cast<__mmask32>((1ull << (4 * (__builtin_popcount(live) - 8))) - 1)
                                        : 0u;
        const __m512i P0 = _mm512_maskz_loadu_epi16(lowWords, d);
        const __m512i P1 = _mm512_maskz_loadu_epi16(highWords, d + 32);
        const __m512i rg = _mm512_permutex2var_epi16(P0, rgIndex, P1);
        const __m512i ba = _mm512_permutex2var_epi16(P0, baIndex, P1);
        const __m512i D[3] = {_mm512_cvtepu16_epi32(_mm512_castsi512_si256(rg)),
                              _mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(rg, 1)),
                              _mm512_cvtepu16_epi32(_mm512_castsi512_si256(ba))};
        const __m512i dA = _mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(ba, 1));

        const __m512i a = _mm512_srli_epi32(_mm512_mullo_epi32(V, sourceAlpha), 16);
        const __mmask16 clear = _mm512_testn_epi32_mask(dA, dA);
        const __m512i oA = _mm512_mask_blend_epi32(
            clear, _mm512_add_epi32(_mm512_srli_epi32(_mm512_mullo_epi32(_mm512_sub_epi32(full, dA), a), 16), dA), a);
        const __m512i divisor = _mm512_max_epu32(oA, one);
        const __m512d r0 = _mm512_div_pd(numerator, _mm512_cvtepi32_pd(_mm512_castsi512_si256(divisor)));
        const __m512d r1 = _mm512_div_pd(numerator, _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(divisor, 1)));
        const __m512i rest = _mm512_sub_epi32(full, a);
        const __mmask16 takeColour = p.writeColor ? painted : 0;

        __m256i out[4];
        for (int c = 0; c < 3; ++c) {
            const __m512i dp = _mm512_srli_epi32(_mm512_mullo_epi32(D[c], dA), 16);
            const __m512i H = _mm512_add_epi32(_mm512_srli_epi32(_mm512_mullo_epi32(rest, dp), 16),
                                               _mm512_srli_epi32(_mm512_mullo_epi32(a, source[c]), 16));
            const __m512d x0 = _mm512_add_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(H)), r0), nudge);
            const __m512d x1 =
                _mm512_add_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(H, 1)), r1), nudge);
            const __m512i q = _mm512_inserti64x4(_mm512_zextsi256_si512(_mm512_cvttpd_epi32(_mm512_min_pd(x0, limit))),
                                                 _mm512_cvttpd_epi32(_mm512_min_pd(x1, limit)), 1);
            const __m512i colour = _mm512_mask_blend_epi32(clear, q, source[c]);
            out[c] = _mm512_cvtepi32_epi16(_mm512_mask_blend_epi32(takeColour, D[c], colour));
        }
        __m512i alpha = dA;
        if (p.writeAlpha) {
            const __m512i wA = _mm512_min_epu32(p.alphaLevel > 0 ? level : oA, C);  // all within 0..65535
            __mmask16 allow = painted;
            if (p.blobLocked) allow &= _mm512_cmpgt_epi32_mask(dA, gate) & _mm512_cmpgt_epi32_mask(oA, gate);
            alpha = _mm512_mask_blend_epi32(allow, dA, wA);
        }
        out[3] = _mm512_cvtepi32_epi16(alpha);

        const __m512i rgOut = _mm512_inserti64x4(_mm512_zextsi256_si512(out[0]), out[1], 1);
        const __m512i baOut = _mm512_inserti64x4(_mm512_zextsi256_si512(out[2]), out[3], 1);
        _mm512_mask_storeu_epi16(d, lowWords, _mm512_permutex2var_epi16(rgOut, lowIndex, baOut));
        _mm512_mask_storeu_epi16(d + 32, highWords, _mm512_permutex2var_epi16(rgOut, highIndex, baOut));
    };

    int32_t i = 0;
    for (; i + 16 <= count; i += 16) sixteen(coverage + i, cap ? cap + i : nullptr, dst + size_t(i) * 4, 0xFFFF);
    // The last few pixels under a mask: lanes past the row are neither read nor written.
    if (i < count) {
        sixteen(coverage + i, cap ? cap + i : nullptr, dst + size_t(i) * 4,
                static_cast<__mmask16>((1u << (count - i)) - 1));
    }
}
#else
constexpr auto toolNormalAvx2 = toolNormalRowPlain;
constexpr auto toolNormalAvx512 = toolNormalRowPlain;
#endif

}  // namespace

void toolNormalRowPlain(const ToolNormalRow& p, const uint16_t* coverage, const uint16_t* cap, uint16_t* dst,
                        int32_t count) noexcept {
    for (int32_t i = 0; i < count; ++i) {
        if (coverage[i] != 0) toolNormalPixel(p, coverage[i], cap ? cap[i] : 65535u, dst + size_t(i) * 4);
    }
}

void toolNormalRow(const ToolNormalRow& p, const uint16_t* coverage, const uint16_t* cap, uint16_t* dst,
                   int32_t count) noexcept {
    if (vectorWidth >= 512 && hasAvx512()) return toolNormalAvx512(p, coverage, cap, dst, count);
    if (vectorWidth >= 256 && hasAvx2()) return toolNormalAvx2(p, coverage, cap, dst, count);
    toolNormalRowPlain(p, coverage, cap, dst, count);
}

namespace testhooks {
void setDabRowKernels(bool enabled) noexcept { rowKernels = enabled; }
void setDabVectorWidth(int bits) noexcept { vectorWidth = bits; }
bool dabRowKernels() noexcept { return rowKernels; }
}  // namespace testhooks

}  // namespace dro
