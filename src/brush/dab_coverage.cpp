// The row kernels of the common Normal dabs: a row's coverage worked out first, in
// plain passes over the row, then laid down by the kernel or the smudge loop.
#include <algorithm>
#include <cstring>

#include "brush/dab_job.h"
#include "core/canvas.h"

namespace dro::dab {
namespace {

// ---- The row kernel of the common dab
// Tool colour in mode Normal, no rotation and no per-pixel variation: coverage is worked
// out for the whole row first, in plain loops over the row, then laid down by the kernel
// over the span between the first and last covered pixel.

// Passes over a coverage row in place; restrict lets the compiler vectorise them
// (byte pointers may otherwise alias the row).
void grainPass(uint16_t* __restrict cov, const uint8_t* __restrict grain, int32_t n, uint8_t limit) noexcept {
    for (int32_t i = 0; i < n; ++i) cov[i] = grain[i] > limit ? 0 : cov[i];
}
void opacityPass(uint16_t* __restrict cov, int32_t n, uint32_t alpha128) noexcept {
    for (int32_t i = 0; i < n; ++i) cov[i] = static_cast<uint16_t>((cov[i] * alpha128) >> 7);
}
void texturePass(uint16_t* __restrict cov, const uint8_t* __restrict texture, int32_t n) noexcept {
    for (int32_t i = 0; i < n; ++i) {
        cov[i] = texture[i] < 255 ? static_cast<uint16_t>((uint32_t{texture[i]} * cov[i]) >> 8) : cov[i];
    }
}
void maskPass(uint16_t* __restrict cov, const uint16_t* __restrict mask, int32_t n) noexcept {
    for (int32_t i = 0; i < n; ++i) {
        cov[i] = mask[i] < 65535 ? static_cast<uint16_t>((uint32_t{mask[i]} * cov[i]) >> 16) : cov[i];
    }
}

// The row's coverage: the shape row itself when nothing changes it, else cov filled.
const uint16_t* coverageRow(const DabJob& j, int32_t y, uint32_t shapeRow, uint16_t* cov, int32_t n) {
    const size_t base = static_cast<size_t>(shapeRow) * static_cast<size_t>(j.M);
    const uint16_t* shape = j.shape + base;
    const uint32_t* cols = j.columns.data();
    const bool masked = j.mask && !j.maskAtMerge;
    if (j.contiguous && !j.grain && !j.scaleByAlpha && !j.texture && !masked && !j.solid) return shape + cols[0];
    if (j.contiguous) {
        std::memcpy(cov, shape + cols[0], static_cast<size_t>(n) * sizeof *cov);
    } else {
        for (int32_t i = 0; i < n; ++i) cov[i] = shape[cols[i]];
    }
    if (j.grain && j.densityLimit < 255) {
        const uint8_t* g = j.grain + base;
        if (j.densityLimit < 0) {
            std::fill_n(cov, n, uint16_t{0});
        } else if (static_cast<int64_t>(base + j.lastColumn) < j.grainBytes) {
            const uint8_t limit = static_cast<uint8_t>(j.densityLimit);
            if (j.contiguous) {
                grainPass(cov, g + cols[0], n, limit);
            } else {
                for (int32_t i = 0; i < n; ++i) cov[i] = g[cols[i]] > limit ? 0 : cov[i];
            }
        } else {
            // The row runs past the grain buffers: what lies beyond counts as 255.
            for (int32_t i = 0; i < n; ++i) {
                const size_t sample = base + cols[i];
                const int32_t value = static_cast<int64_t>(sample) < j.grainBytes ? j.grain[sample] : 255;
                if (value > j.densityLimit) cov[i] = 0;
            }
        }
    }
    if (j.scaleByAlpha) opacityPass(cov, n, static_cast<uint32_t>(j.alpha128));
    const size_t canvasAt =
        static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth) + static_cast<size_t>(j.sq.left);
    if (j.texture) texturePass(cov, j.texture + canvasAt, n);
    if (masked) maskPass(cov, j.mask + canvasAt, n);
    if (j.solid) {
        for (int32_t i = 0; i < n; ++i) cov[i] = cov[i] != 0 ? 65535 : 0;
    }
    return cov;
}

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

void toolNormalDabRow(const DabJob& j, int32_t y) {
    const uint32_t shapeRow = shapeRowAt(j, y);
    const int32_t n = j.sq.right - j.sq.left;
    std::array<uint16_t, kScaleTableLength> scratch;
    const uint16_t* cov = coverageRow(j, y, shapeRow, scratch.data(), n);

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
    const uint32_t shapeRow = shapeRowAt(j, y);
    const int32_t n = j.sq.right - j.sq.left;
    std::array<uint16_t, kScaleTableLength> scratch;
    const uint16_t* cov = coverageRow(j, y, shapeRow, scratch.data(), n);

    uint16_t* const bufferRow = j.out.buffer + static_cast<size_t>(shapeRow) * static_cast<size_t>(j.M) * 4;
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

// Sample columns of the clipped square; false when they cannot be listed (the square
// is wider than the scale table).
bool listColumns(DabJob& j) noexcept {
    const int32_t n = j.sq.right - j.sq.left;
    if (n <= 0 || n > kScaleTableLength || j.sq.skipX > kScaleTableLength - n) return false;
    const uint32_t lastSample = static_cast<uint32_t>(j.side - 1);
    j.contiguous = true;
    j.lastColumn = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t c = std::min(static_cast<uint32_t>(j.scale[i + j.sq.skipX]), lastSample);
        j.columns[static_cast<size_t>(i)] = c;
        j.lastColumn = std::max(j.lastColumn, c);
        if (c != j.columns[0] + static_cast<uint32_t>(i)) j.contiguous = false;
    }
    return true;
}

}  // namespace

bool rowsShareSamples(const DabJob& j) noexcept {
    const int32_t rows = j.sq.bottom - j.sq.top;
    if (rows <= 0 || rows > kScaleTableLength || j.sq.skipY > kScaleTableLength - rows) return true;
    std::array<uint32_t, kScaleTableLength> sampled;
    bool rising = true;  // the usual scale table: each row samples further down
    const uint32_t lastSample = static_cast<uint32_t>(j.side - 1);
    for (int32_t k = 0; k < rows; ++k) {
        // Clamped as the rows clamp them: entries past the shape sample its last row.
        sampled[static_cast<size_t>(k)] = std::min(static_cast<uint32_t>(j.scale[j.sq.skipY + k]), lastSample);
        if (k > 0 && sampled[static_cast<size_t>(k)] <= sampled[static_cast<size_t>(k - 1)]) rising = false;
    }
    if (rising) return false;
    std::sort(sampled.begin(), sampled.begin() + rows);
    return std::adjacent_find(sampled.begin(), sampled.begin() + rows) != sampled.begin() + rows;
}


RowFunction normalRowKernelFor(DabJob& j, int32_t mixMode) noexcept {
    const bool varies = (j.pixColorVary > 0 && j.colorTable) || (j.pixLumVary > 0 && j.lumTable);
    if (!testhooks::dabRowKernels() || mixMode != kMixNormal || j.erase || j.rotate || varies || !listColumns(j)) {
        return nullptr;
    }
    if (j.fromBuffer) return j.pickUp ? &bufferNormalDabRow<true> : &bufferNormalDabRow<false>;
    j.normal.source[0] = j.dab[0], j.normal.source[1] = j.dab[1];
    j.normal.source[2] = j.dab[2], j.normal.source[3] = j.dab[3];
    j.normal.writeColor = !j.colorLocked;
    j.normal.writeAlpha = j.alphaWritable;
    j.normal.blobLocked = j.blobLocked;
    j.normal.alphaLevel = j.alphaLevel > 0 ? static_cast<uint32_t>(j.alphaLevel) : 0;
    return &toolNormalDabRow;
}

int32_t sampleSide(const ToolSettings& t) noexcept { return std::min(t.size, canvas().maxBrushSize); }

}  // namespace dro::dab
