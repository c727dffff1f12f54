// The sweep family: eight directional passes in single-buffer mode. Each pass compares
// a pixel with the one that follows it in the pass direction and may pull the follower
// toward it; because reads come from the destination, a change travels along the pass.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>

#include <omp.h>

#include "core/cpu_features.h"
#include "imaging/filters/filter_functions.h"
#include "imaging/filters/pixel_access.h"

namespace dro::filters {
namespace {

constexpr int64_t kParallelArea = 1000;

// A range runs from its start up (or down) to, but not including, its end.
struct Sweep {
    int32_t rowStart, rowEnd, rowStep;
    int32_t columnStart, columnEnd, columnStep;
    int32_t nextDx, nextDy;
};

std::array<Sweep, 8> sweepsFor(int32_t w, int32_t h) noexcept {
    return {{
        {0, h - 2, 1, 0, w - 2, 1, 1, 0},
        {h - 1, 1, -1, w - 1, 1, -1, -1, 0},
        {1, h - 1, 1, w - 1, 1, -1, -1, 0},
        {h - 1, 1, -1, 0, w - 2, 1, 1, 0},
        {0, h - 2, 1, 0, w - 2, 1, 0, 1},
        {h - 1, 1, -1, w - 1, 1, -1, 0, -1},
        {0, h - 2, 1, w - 1, 1, -1, 0, 1},
        {h - 1, 1, -1, 0, w - 2, 1, 0, -1},
    }};
}

// Runs the eight sweeps; rule(current, next, acrossX, acrossY) may rewrite next. The
// across pixel lies one step beyond next along the pass's other axis, in the
// direction that axis is walked.
template <class Rule>
void runSweeps(FilterParams& p, Rule&& rule) {
    p.inPlace = 1;
    const PixelWriter out = writer(p);
    for (const Sweep& s : sweepsFor(p.width, p.height)) {
        const bool alongRows = s.nextDy == 0;
        const int32_t acrossDx = alongRows ? 0 : s.columnStep;
        const int32_t acrossDy = alongRows ? s.rowStep : 0;
        for (int32_t y = s.rowStart; s.rowStep > 0 ? y < s.rowEnd : y > s.rowEnd; y += s.rowStep) {
            for (int32_t x = s.columnStart; s.columnStep > 0 ? x < s.columnEnd : x > s.columnEnd;
                 x += s.columnStep) {
                const int32_t nx = x + s.nextDx;
                const int32_t ny = y + s.nextDy;
                rule(out.at(x, y), out.at(nx, ny), nx + acrossDx, ny + acrossDy);
            }
        }
    }
}

// The same sweeps for rules that read only current and next, split across threads
// with the same bytes: a pass along rows chains pixels within a row only, so rows are
// independent; a pass along columns reads row y and writes row y +- 1 only, so the
// pixels of one step are independent and bands of columns can run side by side.
// rowRule(current, next, n) applies rule to n pixels side by side (a step of a pass
// along columns).
template <class Rule, class RowRule>
void runSweepsParallel(FilterParams& p, Rule&& rule, RowRule&& rowRule) {
    p.inPlace = 1;
    const PixelWriter out = writer(p);
    const bool threads = int64_t{p.width} * p.height > kParallelArea;
    for (const Sweep& s : sweepsFor(p.width, p.height)) {
        const int32_t firstColumn = s.columnStep > 0 ? s.columnStart : s.columnEnd + 1;
        const int32_t lastColumn = s.columnStep > 0 ? s.columnEnd - 1 : s.columnStart;
        const int32_t firstRow = s.rowStep > 0 ? s.rowStart : s.rowEnd + 1;
        const int32_t lastRow = s.rowStep > 0 ? s.rowEnd - 1 : s.rowStart;
        if (firstColumn > lastColumn || firstRow > lastRow) continue;
        if (s.nextDy == 0) {
#pragma omp parallel for schedule(static) if (threads)
            for (int32_t y = firstRow; y <= lastRow; ++y) {
                for (int32_t x = s.columnStart; s.columnStep > 0 ? x < s.columnEnd : x > s.columnEnd;
                     x += s.columnStep) {
                    rule(out.at(x, y), out.at(x + s.nextDx, y));
                }
            }
            continue;
        }
        const int32_t columns = lastColumn - firstColumn + 1;
#pragma omp parallel if (threads)
        {
            const int32_t team = omp_get_num_threads();
            const int32_t band = (columns + team - 1) / team;
            const int32_t begin = firstColumn + std::min(columns, omp_get_thread_num() * band);
            const int32_t end = std::min(firstColumn + columns, begin + band);
            if (begin < end)
                for (int32_t y = s.rowStart; s.rowStep > 0 ? y < s.rowEnd : y > s.rowEnd; y += s.rowStep)
                    rowRule(out.at(begin, y), out.at(begin, y + s.nextDy), end - begin);
        }
    }
}

// Sweeps for a rule of current and next alone, on the fast path when it is on; a row
// rule, when given, does the steps of the passes along columns.
template <class Rule, class RowRule>
void runNeighbourSweeps(FilterParams& p, Rule&& rule, RowRule&& rowRule) {
    if (filterFastPath()) return runSweepsParallel(p, rule, rowRule);
    runSweeps(p, [&](const uint8_t* cur, uint8_t* next, int32_t, int32_t) { rule(cur, next); });
}

template <class Rule>
void runNeighbourSweeps(FilterParams& p, Rule&& rule) {
    runNeighbourSweeps(p, rule, [&](const uint8_t* cur, uint8_t* next, int32_t n) {
        for (int32_t i = 0; i < n; ++i) rule(cur + 4 * i, next + 4 * i);
    });
}

int32_t weightOf(double fraction) noexcept {
    const double w = fraction * 65535.0;
    if (!(w > 0.0)) return 0;
    return w >= 65535.0 ? 65535 : static_cast<int32_t>(w);
}

// 16-bit weighted mix: W = 65535 keeps next (almost), small W copies current into
// next. The two weights sum to 65536 and the result rounds, so equal inputs stay equal:
// a flat opaque image keeps its colour and its alpha.
inline uint8_t mixChannel(uint32_t current, uint32_t next, uint32_t weight) noexcept {
    const uint32_t v = (weight * next + (65536u - weight) * current + 32768u) >> 16;
    return static_cast<uint8_t>(v > 255 ? 255 : v);
}

inline void mixPixel(const uint8_t* current, uint8_t* next, uint32_t weight) noexcept {
    for (int c = 0; c < 4; ++c) next[c] = mixChannel(current[c], next[c], weight);
}

inline int32_t lumOf(const uint8_t* px) noexcept { return lum(px[0], px[1], px[2]); }

// "Value Blur" on n pixels side by side: the per-pixel rule on whole 32-bit pixels and
// without branches, so the loop runs in vector lanes. Bytes in memory order are the
// word's bytes from the lowest up.
static_assert(std::endian::native == std::endian::little);
[[gnu::always_inline]] inline void valueBlurRowBody(const uint8_t* __restrict cur, uint8_t* __restrict next,
                                                    int32_t n, uint32_t darker, uint32_t lighter) noexcept {
    const auto channel = [](uint32_t px, int c) { return static_cast<int32_t>((px >> (8 * c)) & 255u); };
    for (int32_t i = 0; i < n; ++i) {
        uint32_t c, x;
        std::memcpy(&c, cur + 4 * i, sizeof c);
        std::memcpy(&x, next + 4 * i, sizeof x);
        const int32_t d = lum(channel(c, 0), channel(c, 1), channel(c, 2)) - lum(channel(x, 0), channel(x, 1), channel(x, 2));
        const uint32_t w = d > 0 ? darker : (d < 0 ? lighter : 0u);
        uint32_t mixed = 0;
        for (int k = 0; k < 4; ++k)
            mixed |= uint32_t{mixChannel(static_cast<uint32_t>(channel(c, k)), static_cast<uint32_t>(channel(x, k)), w)}
                     << (8 * k);
        const uint32_t result = w != 0 ? mixed : x;
        std::memcpy(next + 4 * i, &result, sizeof result);
    }
}

}  // namespace

void valueBlur(FilterParams& p) {
    const auto darker = static_cast<uint32_t>(weightOf(p.slider[0]));
    const auto lighter = static_cast<uint32_t>(weightOf(p.slider[1]));
    const auto row = BaselineAndAvx2<valueBlurRowBody>::pick();
    runNeighbourSweeps(
        p,
        [&](const uint8_t* cur, uint8_t* next) {
            const int32_t d = lumOf(cur) - lumOf(next);
            const uint32_t w = d > 0 ? darker : (d < 0 ? lighter : 0);
            if (w != 0) mixPixel(cur, next, w);
        },
        [&](const uint8_t* cur, uint8_t* next, int32_t n) { row(cur, next, n, darker, lighter); });
}

void noiseReduction(FilterParams& p) {
    p.slider[0] = 1.0 - p.slider[0] / 2.0;
    const auto weight = static_cast<uint32_t>(weightOf(p.slider[0]));
    const int32_t threshold = truncInt(p.slider[1] * 255.0);
    runNeighbourSweeps(p, [&](const uint8_t* cur, uint8_t* next) {
        if (std::abs(lumOf(cur) - lumOf(next)) < threshold) mixPixel(cur, next, weight);
    });
}

void noiseReductionRgb(FilterParams& p) {
    std::array<uint32_t, 3> weight{};
    std::array<int32_t, 3> threshold{};
    for (int c = 0; c < 3; ++c) {
        p.slider[2 * c] = 1.0 - p.slider[2 * c] / 2.0;
        weight[c] = static_cast<uint32_t>(weightOf(p.slider[2 * c]));
        threshold[c] = truncInt(p.slider[2 * c + 1] * 255.0);
    }
    runNeighbourSweeps(p, [&](const uint8_t* cur, uint8_t* next) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(cur[c] - next[c]) < threshold[c]) next[c] = mixChannel(cur[c], next[c], weight[c]);
        }
    });
}

void antiAlias(FilterParams& p) {
    const int32_t t1 = truncInt((1.0 - p.slider[2]) * 255.0);
    const int32_t t2 = truncInt((1.0 - p.slider[3]) * 255.0);
    const double m1 = p.slider[0];
    const double m2 = p.slider[1];
    p.inPlace = 1;
    const PixelView view = destinationView(p);
    const auto blend = [](const uint8_t* cur, uint8_t* next, double m) {
        for (int c = 0; c < 4; ++c) next[c] = static_cast<uint8_t>(truncClampByte(next[c] * m + cur[c] * (1.0 - m)));
    };
    runSweeps(p, [&](const uint8_t* cur, uint8_t* next, int32_t ax, int32_t ay) {
        const int32_t lc = lumOf(cur);
        const int32_t ln = lumOf(next);
        const int32_t la = view.lumAt(ax, ay);
        if (lc - ln > t1 && lc - la <= 0) {
            blend(cur, next, m1);
        } else if (ln - lc > t2 && la - lc <= 0) {
            blend(cur, next, m2);
        }
    });
}

}  // namespace dro::filters
