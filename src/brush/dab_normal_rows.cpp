// The row kernels of the common Normal dabs: a row's coverage worked out first
// (dab_coverage.cpp), then laid down by the kernel or the smudge loop.
#include <algorithm>
#include <cstring>

#include "brush/dab_job.h"

namespace dro::dab {
namespace {

// The first covered pixel of a row (n if none) and the last (given one exists), eight
// values at a time: a round brush's rows start and end with long runs of zero.
int32_t firstCovered(const uint16_t* cov, int32_t n) noexcept {
    int32_t i = 0;
    for (uint64_t lo, hi; i + 8 <= n; i += 8) {
        std::memcpy(&lo, cov + i, 8);
        std::memcpy(&hi, cov + i + 4, 8);
        if ((lo | hi) != 0) break;
    }
    while (i < n && cov[i] == 0) ++i;
    return i;
}
int32_t lastCovered(const uint16_t* cov, int32_t n) noexcept {
    int32_t end = n;
    for (uint64_t lo, hi; end >= 8; end -= 8) {
        std::memcpy(&lo, cov + end - 8, 8);
        std::memcpy(&hi, cov + end - 4, 8);
        if ((lo | hi) != 0) break;
    }
    while (end > 0 && cov[end - 1] == 0) --end;
    return end - 1;
}

// Tool colour in mode Normal, no rotation and no per-pixel variation: the kernel lays
// the row down over the span between the first and last covered pixel.
void toolNormalDabRow(const DabJob& j, int32_t y) {
    const int32_t n = j.sq.right - j.sq.left;
    CoverageScratch scratch;
    const uint16_t* cov = coverageRow(j, y, scratch).values;

    int32_t first = firstCovered(cov, n);
    if (first == n) return;
    int32_t last = lastCovered(cov, n);
    // Round the span up to whole groups of eight with uncovered pixels of the square,
    // which the kernel leaves as they are, so that no short tail is left over.
    const int32_t short8 = (8 - (last - first + 1) % 8) % 8;
    const int32_t right = std::min(short8, n - 1 - last);
    last += right;
    first -= std::min(short8 - right, first);

    const size_t canvasAt =
        static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth) + static_cast<size_t>(j.sq.left + first);
    const uint16_t* cap = j.maskAtMerge && j.mask ? j.mask + canvasAt : nullptr;
    uint16_t* dst = j.out.target + static_cast<size_t>(y) * static_cast<size_t>(j.out.targetPitch) +
                    static_cast<size_t>(j.sq.left + first) * 4;
    toolNormalRow(j.normal, cov + first, cap, dst, last - first + 1);
}

// Mode Normal from the blend buffer (the smudge), no rotation and no per-pixel
// variation: the same rule as the walk over the row's coverage, with every per-dab
// decision taken before the row. Pixels stay in order, since with repeated sample
// columns a pixel reads what the one before it picked up.
template <bool PickUp>
void bufferNormalDabRow(const DabJob& j, int32_t y) {
    const int32_t n = j.sq.right - j.sq.left;
    CoverageScratch scratch;
    const RowCoverage row = coverageRow(j, y, scratch);
    const uint16_t* cov = row.values;

    uint16_t* const bufferRow = j.out.buffer + static_cast<size_t>(row.shapeRow) * static_cast<size_t>(j.M) * 4;
    uint16_t* dst =
        j.out.target + static_cast<size_t>(y) * static_cast<size_t>(j.out.targetPitch) + static_cast<size_t>(j.sq.left) * 4;
    const int64_t rest = j.primaryRest;
    for (int32_t i = 0; i < n; ++i, dst += 4) {
        uint32_t v = cov[i];
        if (v == 0) continue;
        uint16_t* buf = bufferRow + size_t{j.columns[static_cast<size_t>(i)]} * 4;
        uint32_t s[4] = {buf[0], buf[1], buf[2], buf[3]};
        if (j.imageBrush && s[3] < 65535) {
            v = std::max<uint32_t>((v * s[3]) >> 16, 1);
            s[3] = 65535;
        }
        if (j.primaryStrength != 0) {
            for (size_t c = 0; c < 4; ++c) s[c] = limit16((rest * s[c] + j.primary[c]) >> 8);
        }
        uint32_t d[4] = {dst[0], dst[1], dst[2], dst[3]};
        const uint32_t dA = d[3];
        uint32_t o[3], oA;
        if (dA == 0) {
            o[0] = s[0], o[1] = s[1], o[2] = s[2];
            oA = (v * s[3]) >> 16;
            d[0] = d[1] = d[2] = 0;
        } else {
            const uint32_t inv = 65536 - v;
            oA = (((inv * dA) >> 8) + ((v * s[3]) >> 8)) >> 8;
            for (int c = 0; c < 3; ++c) o[c] = s[3] == 0 ? d[c] : (((inv * d[c]) >> 8) + ((v * s[c]) >> 8)) >> 8;
        }
        if constexpr (PickUp) pickUp(buf, {s[0], s[1], s[2], s[3]}, {d[0], d[1], d[2], dA}, j.blendStrength, j.blendStrengthRest);
        if (!j.colorLocked) {
            for (int c = 0; c < 3; ++c) dst[c] = static_cast<uint16_t>(o[c]);
        }
        if (j.alphaWritable && (!j.blobLocked || (dA > 0x1FFF && oA > 0x1FFF))) {
            const uint32_t a = j.alphaLevel > 0 ? static_cast<uint32_t>(j.alphaLevel) : oA;
            dst[3] = static_cast<uint16_t>(std::min<uint32_t>(a, 65535));
        }
    }
}

}  // namespace

RowFunction normalRowKernelFor(DabJob& j, int32_t mixMode) noexcept {
    const bool varies = (j.pixColorVary > 0 && j.colorTable) || (j.pixLumVary > 0 && j.lumTable);
    if (!testhooks::dabRowKernels() || mixMode != kMixNormal || j.erase || j.rotate || varies) return nullptr;
    if (j.fromBuffer) return j.pickUp ? &bufferNormalDabRow<true> : &bufferNormalDabRow<false>;
    j.normal.source[0] = j.dab[0], j.normal.source[1] = j.dab[1];
    j.normal.source[2] = j.dab[2], j.normal.source[3] = j.dab[3];
    j.normal.writeColor = !j.colorLocked;
    j.normal.writeAlpha = j.alphaWritable;
    j.normal.blobLocked = j.blobLocked;
    j.normal.alphaLevel = j.alphaLevel > 0 ? static_cast<uint32_t>(j.alphaLevel) : 0;
    return &toolNormalDabRow;
}

}  // namespace dro::dab
