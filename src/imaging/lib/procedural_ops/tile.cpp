// The pattern-making distortions: mirrored wedges, grids of copies, folded motifs and
// the seamless border blend.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "imaging/lib/procedural_ops/procedural_ops.h"
#include "imaging/lib/procedural_ops/sampling.h"

namespace dro::procedural_ops {
namespace {

// Which of `count` equal cells across `size` holds the continuous position v, and where
// in it (0 .. 1).
struct CellPosition {
    int32_t index;
    double at;
};
inline CellPosition cellOf(double v, double cellSize, int32_t count) noexcept {
    const int32_t i = std::clamp(static_cast<int32_t>(std::floor(v / cellSize)), 0, count - 1);
    return {i, (v - i * cellSize) / cellSize};
}

// Blends each line of `line` pixels with itself moved by half its length, fully moved at
// both ends and untouched beyond `band` pixels in, so the line's ends continue each other.
void blendWithHalfTurn(uint16_t* first, int32_t length, size_t step, int32_t band, std::vector<uint16_t>& line) {
    for (int32_t i = 0; i < length; ++i)
        for (int c = 0; c < 4; ++c) line[static_cast<size_t>(i) * 4 + c] = first[static_cast<size_t>(i) * step + c];
    const int32_t half = length / 2;
    for (int32_t i = 0; i < length; ++i) {
        const int32_t fromEdge = std::min(i, length - 1 - i);
        if (fromEdge >= band) continue;
        const double t = double(fromEdge) / band;
        const double keep = t * t * (3.0 - 2.0 * t);
        const size_t moved = static_cast<size_t>((i + half) % length) * 4;
        for (int c = 0; c < 4; ++c) {
            const double v = line[static_cast<size_t>(i) * 4 + c] * keep + line[moved + c] * (1.0 - keep);
            first[static_cast<size_t>(i) * step + c] = static_cast<uint16_t>(v + 0.5);
        }
    }
}

}  // namespace

bool kaleidoscope(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                  const KaleidoscopeParams& p) noexcept {
    if (p.segments <= 0) return validImage(image, width, height, stride);
    const double wedge = kPi / std::min(p.segments, 3600);
    const double start = (p.angle % 360) * (kPi / 180.0);
    const double cx = width * std::clamp(p.centreX, -1000, 1000) * 0.01;
    const double cy = height * std::clamp(p.centreY, -1000, 1000) * 0.01;
    return remap(image, width, height, stride, SampleEdge::clamp, [&](int32_t x, int32_t y) {
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        const double r = std::hypot(dx, dy);
        // Angles counter-clockwise as seen on screen (y points down).
        double a = std::fmod(std::atan2(-dy, dx) - start, 2.0 * wedge);
        if (a < 0) a += 2.0 * wedge;
        if (a > wedge) a = 2.0 * wedge - a;
        a += start;
        return SourcePoint{cx + r * std::cos(a) - 0.5, cy - r * std::sin(a) - 0.5};
    });
}

bool divider(uint8_t* image, int32_t width, int32_t height, int32_t stride, const DividerParams& p) noexcept {
    const int32_t across = std::clamp(p.cellsAcross, 1, std::max(1, width));
    const int32_t down = std::clamp(p.cellsDown, 1, std::max(1, height));
    const double cellW = double(width) / across, cellH = double(height) / down;
    const double halfGap = std::max(0, p.gap) * 0.5;
    // Gaps run between cells only, not along the image's own border.
    const auto inGap = [&](const CellPosition& cell, double cellSize, int32_t count) {
        const double fromStart = cell.at * cellSize, toEnd = (1.0 - cell.at) * cellSize;
        return (cell.index > 0 && fromStart < halfGap) || (cell.index < count - 1 && toEnd < halfGap);
    };
    return remap(image, width, height, stride, SampleEdge::clamp, [&](int32_t x, int32_t y) {
        const double px = x + 0.5, py = y + 0.5;
        const CellPosition cx = cellOf(px, cellW, across), cy = cellOf(py, cellH, down);
        if (inGap(cx, cellW, across) || inGap(cy, cellH, down)) return SourcePoint{0, 0, false};
        const bool mirror = p.mirror == 1;
        const double u = mirror && (cx.index & 1) ? 1.0 - cx.at : cx.at;
        const double v = mirror && (cy.index & 1) ? 1.0 - cy.at : cy.at;
        return SourcePoint{u * width - 0.5, v * height - 0.5};
    });
}

bool carpet(uint8_t* image, int32_t width, int32_t height, int32_t stride, const CarpetParams& p) noexcept {
    const int32_t across = std::clamp(p.cellsAcross, 1, std::max(1, width));
    const int32_t down = std::clamp(p.cellsDown, 1, std::max(1, height));
    const double cellW = double(width) / across, cellH = double(height) / down;
    const double region = std::clamp(p.region, 1, 100) * 0.01;
    const double regionW = width * region, regionH = height * region;
    const double left = (width - regionW) * 0.5, top = (height - regionH) * 0.5;
    // 0 at both ends of a cell, 1 at its middle: the fold that mirrors the motif.
    const auto fold = [](double at) { return 1.0 - std::fabs(2.0 * at - 1.0); };
    return remap(image, width, height, stride, SampleEdge::clamp, [&](int32_t x, int32_t y) {
        const CellPosition cx = cellOf(x + 0.5, cellW, across), cy = cellOf(y + 0.5, cellH, down);
        return SourcePoint{left + fold(cx.at) * regionW - 0.5, top + fold(cy.at) * regionH - 0.5};
    });
}

bool seamless(uint8_t* image, int32_t width, int32_t height, int32_t stride, const SeamlessParams& p) noexcept {
    if (!validImage(image, width, height, stride)) return false;
    const int32_t overlap = std::clamp(p.overlap, 0, 50);
    if (overlap == 0) return true;
    PremultipliedImage work;
    if (!work.load(image, width, height, stride)) return false;
    // A band may reach the middle but not past it, where the moved copy has its own seam.
    const auto bandOf = [&](int32_t length) { return std::min(std::max(1, length * overlap / 100), length / 2 - 1); };
    std::vector<uint16_t> line;
    try {
        line.resize(static_cast<size_t>(std::max(width, height)) * 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Rows first, then columns: the column pass moves whole rows, so it keeps the rows'
    // left and right ends continuing each other.
    if (width >= 4) {
        const int32_t band = bandOf(width);
        for (int32_t y = 0; y < height; ++y) blendWithHalfTurn(work.pixel(0, y), width, 4, band, line);
    }
    if (height >= 4) {
        const int32_t band = bandOf(height);
        for (int32_t x = 0; x < width; ++x)
            blendWithHalfTurn(work.pixel(x, 0), height, static_cast<size_t>(width) * 4, band, line);
    }
    work.store(image, stride);
    return true;
}

}  // namespace dro::procedural_ops
