// A dab row's coverage, worked out in one place for every dab: the shape sampled at the
// row's columns (turned about the brush centre when the brush turns), then the grain,
// opacity, texture, mask and solid rules as plain passes over the row.
#include <algorithm>
#include <cstring>

#include "brush/dab_job.h"
#include "core/canvas.h"

namespace dro::dab {
namespace {

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

// The grain test at samples the row lists one by one: a grain value above the density
// limit clears the pixel, and samples past the grain buffers count as 255.
template <class SampleOf>
void grainAtSamples(const DabJob& j, uint16_t* cov, int32_t n, SampleOf sampleOf) noexcept {
    for (int32_t i = 0; i < n; ++i) {
        const size_t sample = sampleOf(i);
        const int32_t value = static_cast<int64_t>(sample) < j.grainBytes ? j.grain[sample] : 255;
        if (value > j.densityLimit) cov[i] = 0;
    }
}

// Where drawn position (col, row) samples: itself, or turned about the brush centre
// when the turned position stays inside the shape.
void turn(const DabJob& j, uint32_t& col, uint32_t& row) noexcept {
    const int32_t cx = static_cast<int32_t>(col) - j.half;
    const int32_t cy = static_cast<int32_t>(row) - j.half;
    const int32_t u = static_cast<int32_t>(static_cast<float>(cx) * j.rotCos - static_cast<float>(cy) * j.rotSin) + j.half;
    const int32_t w = static_cast<int32_t>(static_cast<float>(cx) * j.rotSin + static_cast<float>(cy) * j.rotCos) + j.half;
    if (u >= 0 && u < j.side && w >= 0 && w < j.side) {
        col = static_cast<uint32_t>(u);
        row = static_cast<uint32_t>(w);
    }
}

// The shape sampled along one shape row; true when the row can be read in place.
bool sampleStraight(const DabJob& j, uint32_t shapeRow, uint16_t* cov, int32_t n) noexcept {
    const size_t base = static_cast<size_t>(shapeRow) * static_cast<size_t>(j.M);
    const uint16_t* shape = j.shape + base;
    const uint32_t* cols = j.columns.data();
    const bool masked = j.mask && !j.maskAtMerge;
    if (j.contiguous && !j.grain && !j.scaleByAlpha && !j.texture && !masked && !j.solid) return true;
    if (j.contiguous) {
        std::memcpy(cov, shape + cols[0], static_cast<size_t>(n) * sizeof *cov);
    } else {
        for (int32_t i = 0; i < n; ++i) cov[i] = shape[cols[i]];
    }
    if (!j.grain || j.densityLimit >= 255) return false;
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
        grainAtSamples(j, cov, n, [&](int32_t i) { return base + j.columns[static_cast<size_t>(i)]; });
    }
    return false;
}

// The shape sampled at each pixel's turned position, which the row records.
void sampleTurned(const DabJob& j, uint32_t shapeRow, CoverageScratch& s, int32_t n) noexcept {
    const size_t M = static_cast<size_t>(j.M);
    for (int32_t i = 0; i < n; ++i) {
        const size_t at = static_cast<size_t>(i);
        uint32_t col = j.columns[at], row = shapeRow;
        turn(j, col, row);
        s.columns[at] = col;
        s.rows[at] = row;
        s.values[at] = j.shape[size_t{row} * M + col];
    }
    if (j.grain) grainAtSamples(j, s.values.data(), n, [&](int32_t i) { return size_t{s.rows[static_cast<size_t>(i)]} * M + s.columns[static_cast<size_t>(i)]; });
}

}  // namespace

RowCoverage coverageRow(const DabJob& j, int32_t y, CoverageScratch& scratch) noexcept {
    const int32_t k = y - j.sq.top + j.sq.skipY;
    const uint32_t shapeRow = std::min(static_cast<uint32_t>(j.scale[k]), static_cast<uint32_t>(j.side - 1));
    const int32_t n = j.sq.right - j.sq.left;
    uint16_t* cov = scratch.values.data();
    RowCoverage row{cov, j.columns.data(), nullptr, shapeRow};
    if (j.rotate) {
        sampleTurned(j, shapeRow, scratch, n);
        row.columns = scratch.columns.data();
        row.rows = scratch.rows.data();
    } else if (sampleStraight(j, shapeRow, cov, n)) {
        row.values = j.shape + static_cast<size_t>(shapeRow) * static_cast<size_t>(j.M) + j.columns[0];
        return row;
    }
    if (j.scaleByAlpha) opacityPass(cov, n, static_cast<uint32_t>(j.alpha128));
    const size_t canvasAt =
        static_cast<size_t>(y) * static_cast<size_t>(j.canvasWidth) + static_cast<size_t>(j.sq.left);
    if (j.texture) texturePass(cov, j.texture + canvasAt, n);
    if (j.mask && !j.maskAtMerge) maskPass(cov, j.mask + canvasAt, n);
    if (j.solid) {
        for (int32_t i = 0; i < n; ++i) cov[i] = cov[i] != 0 ? 65535 : 0;
    }
    return row;
}

bool listColumns(DabJob& j, int32_t firstEntry, uint32_t shift) noexcept {
    const int32_t n = j.sq.right - j.sq.left;
    if (n <= 0 || n > kScaleTableLength || firstEntry < 0 || firstEntry > kScaleTableLength - n) return false;
    const uint32_t lastSample = static_cast<uint32_t>(j.side - 1);
    j.contiguous = true;
    j.lastColumn = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t c = std::min(static_cast<uint32_t>(j.scale[i + firstEntry]) + shift, lastSample);
        j.columns[static_cast<size_t>(i)] = c;
        j.lastColumn = std::max(j.lastColumn, c);
        if (c != j.columns[0] + static_cast<uint32_t>(i)) j.contiguous = false;
    }
    return true;
}

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

int32_t sampleSide(const ToolSettings& t) noexcept { return std::min(t.size, canvas().maxBrushSize); }

}  // namespace dro::dab
