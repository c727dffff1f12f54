#include "core/load_kernels.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "core/cpu_features.h"
#include "core/pixel_format.h"
#include "core/vector_types.h"

namespace dro {
namespace {

// One pixel of a masked load with coverage c.
inline void loadPixelMasked(const uint8_t* s, uint16_t* d, uint32_t c, bool alphaLocked) noexcept {
    if (c == 0) return;
    if (c == 65535) {
        d[0] = widen8(s[0]);
        d[1] = widen8(s[1]);
        d[2] = widen8(s[2]);
        if (!alphaLocked) d[3] = widen8(s[3]);
        return;
    }
    const uint32_t a = s[3];
    const uint32_t layerAlpha = d[3];
    if (layerAlpha == 0) {
        d[0] = widen8(s[0]);
        d[1] = widen8(s[1]);
        d[2] = widen8(s[2]);
        if (!alphaLocked) d[3] = static_cast<uint16_t>((uint32_t{widen8(a)} * c) >> 16);
    } else if (a == 0) {
        if (!alphaLocked) d[3] = static_cast<uint16_t>((layerAlpha * (65535 - c)) >> 16);
    } else {
        d[0] = mixWithCoverage(s[0], d[0], c);
        d[1] = mixWithCoverage(s[1], d[1], c);
        d[2] = mixWithCoverage(s[2], d[2], c);
        if (!alphaLocked) d[3] = mixWithCoverage(a, layerAlpha, c);
    }
}

// The same source compiles for SSE2 and, in the clones below, for AVX2.
template <class V>
[[gnu::always_inline]] inline V loadVector(const void* p) noexcept {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V>
[[gnu::always_inline]] inline void storeVector(void* p, const V& v) noexcept {
    std::memcpy(p, &v, sizeof v);
}

// Four pixels at a time: a transparent source pixel writes zeros in all four channels.
[[gnu::always_inline]] inline void unmaskedBody(const uint8_t* src, uint16_t* dst, int32_t count,
                                                bool alphaLocked) noexcept {
    int32_t i = 0;
    if (!alphaLocked) {
        for (; i + 4 <= count; i += 4) {
            const U8x16 s = loadVector<U8x16>(src + i * 4);
            const U8x16 a = __builtin_shufflevector(s, s, 3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
            const U16x16 wide = __builtin_convertvector(s, U16x16) << 8;
            const U16x16 keep = __builtin_convertvector(a != 0, U16x16);
            storeVector(dst + i * 4, wide & keep);
        }
    } else {
        const U16x16 alphaLane = {0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF};
        for (; i + 4 <= count; i += 4) {
            const U16x16 wide = __builtin_convertvector(loadVector<U8x16>(src + i * 4), U16x16) << 8;
            const U16x16 old = loadVector<U16x16>(dst + i * 4);
            storeVector(dst + i * 4, (old & alphaLane) | (wide & ~alphaLane));
        }
    }
    loadRowUnmaskedPlain(src + i * 4, dst + i * 4, count - i, alphaLocked);
}

void unmaskedDefault(const uint8_t* s, uint16_t* d, int32_t n, bool locked) noexcept { unmaskedBody(s, d, n, locked); }

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx2")]] void unmaskedAvx2(const uint8_t* s, uint16_t* d, int32_t n, bool locked) noexcept {
    unmaskedBody(s, d, n, locked);
}
// Lanes of a where m is set, else of b.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i pick(__m256i m, __m256i a, __m256i b) noexcept {
    return _mm256_blendv_epi8(b, a, m);
}

// Four pixels at a time in 16-bit lanes. With s the 8-bit value, X = s * c and
// Y = (d * k) >> 8, the rule's (X + Y) >> 8 splits exactly into high halves and a
// carry of the low bytes: (X >> 8) + (Y >> 8) + (((X & 255) + (Y & 255)) >> 8), and
// every term is a 16-bit multiply's high or low half.
// With FromMask the row of coverage is the selection mask itself, turned into coverage
// in the lanes (the rule of rowCoverage), which spares a pass over a coverage row.
template <bool FromMask>
[[gnu::target("avx2")]] void maskedAvx2(const uint8_t* src, uint16_t* dst, const uint16_t* coverage, int32_t n,
                                        bool locked) noexcept {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ones = _mm256_set1_epi16(-1);
    const __m256i lowByte = _mm256_set1_epi16(0x00FF);
    const __m256i alphaLane = _mm256_set1_epi64x(static_cast<long long>(0xFFFF000000000000ull));
    const __m256i keep = locked ? alphaLane : zero;
    // Repeats channel 3 of each pixel over its four lanes.
    const __m256i alphaOfPixel = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6,
                                                  7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    // Four pixels that all keep the layer, or all take the source, skip the mix: the
    // high bytes of a mask (or whole coverage values) all 0, or all 255.
    constexpr uint64_t kTested = FromMask ? 0xFF00FF00FF00FF00ull : ~uint64_t{0};
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint64_t group;
        std::memcpy(&group, coverage + i, sizeof group);
        if ((group & kTested) == 0) continue;
        const __m256i s = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4)));
        const __m256i s8 = _mm256_slli_epi16(s, 8);
        auto* out = reinterpret_cast<__m256i*>(dst + i * 4);
        if ((group & kTested) == kTested) {
            _mm256_storeu_si256(out, locked ? pick(alphaLane, _mm256_loadu_si256(out), s8) : s8);
            continue;
        }
        const __m256i d = _mm256_loadu_si256(out);
        __m128i given = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(coverage + i));
        if constexpr (FromMask) {
            // 0 below 256, else the mask with its low byte set.
            const __m128i low = _mm_set1_epi16(0x00FF);
            given = _mm_andnot_si128(_mm_cmpeq_epi16(_mm_srli_epi16(given, 8), _mm_setzero_si128()),
                                     _mm_or_si128(given, low));
        }
        __m256i c = _mm256_cvtepu16_epi64(given);
        c = _mm256_or_si256(c, _mm256_slli_epi64(c, 16));
        c = _mm256_or_si256(c, _mm256_slli_epi64(c, 32));
        const __m256i k = _mm256_xor_si256(c, ones);
        const __m256i layerAlpha = _mm256_shuffle_epi8(d, alphaOfPixel);
        const __m256i sourceAlpha = _mm256_shuffle_epi8(s, alphaOfPixel);

        const __m256i carry = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_and_si256(_mm256_mullo_epi16(s, c), lowByte),
                             _mm256_srli_epi16(_mm256_mullo_epi16(d, k), 8)),
            8);
        const __m256i sourceShare = _mm256_mulhi_epu16(s8, c);
        const __m256i mix = _mm256_add_epi16(_mm256_add_epi16(sourceShare, _mm256_mulhi_epu16(d, k)), carry);

        const __m256i full = _mm256_cmpeq_epi16(c, ones);
        const __m256i emptyLayer = _mm256_cmpeq_epi16(layerAlpha, zero);
        const __m256i clearSource = _mm256_cmpeq_epi16(sourceAlpha, zero);
        const __m256i colour = pick(_mm256_or_si256(full, emptyLayer), s8, pick(clearSource, d, mix));
        const __m256i alpha =
            pick(full, s8, pick(emptyLayer, sourceShare, pick(clearSource, _mm256_mulhi_epu16(layerAlpha, k), mix)));
        const __m256i untouched = _mm256_or_si256(keep, _mm256_cmpeq_epi16(c, zero));
        const __m256i result = pick(untouched, d, pick(alphaLane, alpha, colour));
        _mm256_storeu_si256(out, result);
    }
    if constexpr (FromMask) {
        uint16_t tail[4];
        rowCoverage(nullptr, coverage + i, tail, n - i);
        loadRowMaskedPlain(src + i * 4, dst + i * 4, tail, n - i, locked);
    } else {
        loadRowMaskedPlain(src + i * 4, dst + i * 4, coverage + i, n - i, locked);
    }
}
#else
constexpr auto unmaskedAvx2 = unmaskedDefault;
#endif

}  // namespace

void loadRowUnmaskedPlain(const uint8_t* src, uint16_t* dst, int32_t count, bool alphaLocked) noexcept {
    for (int32_t i = 0; i < count; ++i, src += 4, dst += 4) {
        if (alphaLocked) {
            dst[0] = widen8(src[0]);
            dst[1] = widen8(src[1]);
            dst[2] = widen8(src[2]);
        } else if (src[3] != 0) {
            for (int k = 0; k < 4; ++k) dst[k] = widen8(src[k]);
        } else {
            dst[0] = dst[1] = dst[2] = dst[3] = 0;
        }
    }
}

void loadRowMaskedPlain(const uint8_t* src, uint16_t* dst, const uint16_t* coverage, int32_t count,
                        bool alphaLocked) noexcept {
    for (int32_t i = 0; i < count; ++i) loadPixelMasked(src + i * 4, dst + i * 4, coverage[i], alphaLocked);
}

void loadRowUnmasked(const uint8_t* src, uint16_t* dst, int32_t count, bool alphaLocked) noexcept {
    if (hasAvx2()) return unmaskedAvx2(src, dst, count, alphaLocked);
    unmaskedDefault(src, dst, count, alphaLocked);
}

void loadRowMasked(const uint8_t* src, uint16_t* dst, const uint16_t* coverage, int32_t count,
                   bool alphaLocked) noexcept {
#if defined(__x86_64__) || defined(__i386__)
    if (hasAvx2()) return maskedAvx2<false>(src, dst, coverage, count, alphaLocked);
#endif
    loadRowMaskedPlain(src, dst, coverage, count, alphaLocked);
}

void loadRowMaskedBySelection(const uint8_t* src, uint16_t* dst, const uint16_t* mask, int32_t count,
                              bool alphaLocked) noexcept {
#if defined(__x86_64__) || defined(__i386__)
    if (hasAvx2()) return maskedAvx2<true>(src, dst, mask, count, alphaLocked);
#endif
    constexpr int32_t kChunk = 256;
    uint16_t coverage[kChunk];
    for (int32_t i = 0; i < count; i += kChunk) {
        const int32_t n = std::min(kChunk, count - i);
        rowCoverage(nullptr, mask + i, coverage, n);
        loadRowMaskedPlain(src + i * 4, dst + i * 4, coverage, n, alphaLocked);
    }
}

void rowCoverage(const uint8_t* texture, const uint16_t* mask, uint16_t* coverage, int32_t count) noexcept {
    if (texture && mask) {
        for (int32_t i = 0; i < count; ++i) coverage[i] = static_cast<uint16_t>(loadCoverage(texture, mask, static_cast<size_t>(i)));
        return;
    }
    if (mask) {
        // The mask's high byte h: 0 protects, else ((h + 1) * 65535) >> 8, which is
        // (h + 1) * 256 - 1, the mask with its low byte set (65535 for h = 255). In
        // this form the loop runs in vector lanes.
        for (int32_t i = 0; i < count; ++i) coverage[i] = static_cast<uint16_t>(mask[i] < 256 ? 0 : mask[i] | 0xFF);
        return;
    }
    // The same for the texture byte t, doubled: 0, (2t + 1) * 256 - 1, or 65535 from 128.
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t t = texture[i];
        coverage[i] = static_cast<uint16_t>(t == 0 ? 0 : (t >= 128 ? 65535 : ((2 * t + 1) << 8) - 1));
    }
}

}  // namespace dro
