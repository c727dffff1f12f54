// "Box Blur": three rounds of a vertical then a horizontal box average. Window sums
// run (one sample in, one out per step), so the cost does not grow with the radius;
// the source block serves as scratch and ends changed.
#include <algorithm>
#include <cstring>
#include <utility>

#include <omp.h>

#include "imaging/filters/filter_functions.h"
#include "imaging/filters/box_blur_window.h"
#include "imaging/filters/pixel_access.h"

namespace dro::filters {
namespace {

void horizontalPass(const FilterParams& p, const Window& win) {
    const int32_t w = p.width;
#pragma omp parallel for schedule(static) if (parallelWorth(p))
    for (int32_t y = 0; y < p.height; ++y) {
        const uint8_t* in = p.source + static_cast<int64_t>(y) * p.stride;
        uint8_t* out = p.destination + static_cast<int64_t>(y) * p.stride;
        int64_t sum[4] = {0, 0, 0, 0};
        win.enumerate(0, [&](int32_t i, int64_t count) {
            for (int c = 0; c < 4; ++c) sum[c] += count * in[i * 4 + c];
        });
        for (int32_t x = 0;; ++x) {
            const int64_t d = win.divisor(x);
            for (int c = 0; c < 4; ++c) out[x * 4 + c] = static_cast<uint8_t>(sum[c] / d);
            if (x + 1 == w) break;
            const int32_t enter = win.map(int64_t{x} + 1 + win.r);
            const int32_t leave = win.map(int64_t{x} - win.r);
            for (int c = 0; c < 4; ++c) {
                if (enter >= 0) sum[c] += in[enter * 4 + c];
                if (leave >= 0) sum[c] -= in[leave * 4 + c];
            }
        }
    }
}

// Columns are walked in strips so each row read stays contiguous and the running
// sums live on the stack.
constexpr int32_t kStrip = 64;

void verticalRows(const FilterParams& p, const Window& win, int32_t rowBegin, int32_t rowEnd) {
    const int64_t stride = p.stride;
    for (int32_t x0 = 0; x0 < p.width; x0 += kStrip) {
        const int32_t lanes = std::min(kStrip, p.width - x0) * 4;
        int64_t sum[kStrip * 4] = {};
        const uint8_t* base = p.source + int64_t{x0} * 4;
        win.enumerate(rowBegin, [&](int32_t j, int64_t count) {
            const uint8_t* row = base + j * stride;
            for (int32_t k = 0; k < lanes; ++k) sum[k] += count * row[k];
        });
        for (int32_t y = rowBegin;; ++y) {
            const int64_t d = win.divisor(y);
            uint8_t* out = p.destination + y * stride + int64_t{x0} * 4;
            for (int32_t k = 0; k < lanes; ++k) out[k] = static_cast<uint8_t>(sum[k] / d);
            if (y + 1 == rowEnd) break;
            const int32_t enter = win.map(int64_t{y} + 1 + win.r);
            const int32_t leave = win.map(int64_t{y} - win.r);
            if (enter >= 0) {
                const uint8_t* row = base + enter * stride;
                for (int32_t k = 0; k < lanes; ++k) sum[k] += row[k];
            }
            if (leave >= 0) {
                const uint8_t* row = base + leave * stride;
                for (int32_t k = 0; k < lanes; ++k) sum[k] -= row[k];
            }
        }
    }
}

using RowsPass = void (*)(const FilterParams&, const Window&, int32_t, int32_t);

void verticalPass(const FilterParams& p, const Window& win, RowsPass rows) {
#pragma omp parallel if (parallelWorth(p))
    {
        const RowBand band = rowBandOf(p.height, omp_get_num_threads(), omp_get_thread_num());
        if (band.begin < band.end) rows(p, win, band.begin, band.end);
    }
}

// The rounds above without their whole-block copies, ending with the same blocks: the
// first round runs fused from the source into the destination, the second fused back
// into the source, and the last one keeps its vertical result in the source (where the
// plain rule leaves it), copying each row there just before blurring it into the
// destination.
void fastRounds(const FilterParams& p, const Window& vertical, const Window& horizontal) {
    FilterParams backwards = p;
    std::swap(backwards.source, backwards.destination);
    fusedRoundFast(p, vertical, horizontal);
    fusedRoundFast(backwards, vertical, horizontal);
    verticalPass(p, vertical, verticalRowsFast);
    horizontalPassFast(p, horizontal, true);
}

}  // namespace

void boxBlur(FilterParams& p) {
    // A negative radius (slider below -0.01) is taken as 0: the window is the pixel.
    const int64_t radius = std::max<int64_t>(truncInt(p.slider[0] * 100.0 + 1.0), 0);
    const bool wrap = p.flag[0] != 0;
    // A clipped window wider than the line sees the same pixels as one that just fits.
    const int64_t limit = int64_t{std::max(p.width, p.height)};
    const int64_t r = wrap ? radius : std::min(radius, limit);
    const Window vertical{r, p.height, wrap};
    const Window horizontal{r, p.width, wrap};
    // In single-buffer mode the picture is in the destination.
    if (p.inPlace) copyDestinationToSource(p);
    const bool fast = filterFastPath() && fastPassesFit(vertical) && fastPassesFit(horizontal);
    if (fast && p.source != p.destination) return fastRounds(p, vertical, horizontal);
    for (int round = 0; round < 3; ++round) {
        if (round > 0) copyDestinationToSource(p);
        verticalPass(p, vertical, fast ? verticalRowsFast : verticalRows);
        copyDestinationToSource(p);
        if (fast) horizontalPassFast(p, horizontal);
        else horizontalPass(p, horizontal);
    }
}

}  // namespace dro::filters
