#include "imaging/lib/gaussian_fir.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/allocation.h"
#include "core/cpu_features.h"
#include "core/owned_buffer.h"
#include "core/vector_types.h"

// Both passes run fused. The picture is cut into stripes of columns, each widened by
// the kernel's reach on both sides and walked down its rows: a ring holds the source
// rows the vertical pass needs (as floats), the vertical result of one row lands in a
// padded line, and the horizontal pass turns that line into bytes at once. Everything
// a stripe touches stays in the second-level cache and nothing of the picture's size
// is allocated. Stripes (and, for narrow pictures, bands of rows) go to the threads;
// the rows of a band are primed from the source, so any split gives the same bytes.

namespace dro::gaussian {
namespace {

constexpr int kLanes = 8;
// Vectors in flight per step of the passes: four in the baseline (eight registers of
// SSE2), eight with AVX2, which spreads the loop's own work over more arithmetic.
constexpr int kBaseVectors = 4, kWideVectors = 8;
constexpr int kStep = kWideVectors * kLanes;  // the most elements a step covers: lines are padded by it
constexpr float kFixedScale = 256.0f;  // vertical results are kept to 1/256 of a level
constexpr int kBatch = 8;  // rows the vertical pass computes per sweep over the columns
constexpr int64_t kParallelPixels = 65536;
constexpr std::size_t kCacheLine = 64;

[[gnu::always_inline]] inline F32x8 load(const float* p) noexcept {
    F32x8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline void store(float* p, const F32x8& v) noexcept { std::memcpy(p, &v, sizeof v); }

// max(v, lo) then min(v, hi) with std::max/std::min's operand order.
[[gnu::always_inline]] inline F32x8 clampTo(const F32x8& v, float lo, float hi) noexcept {
    const F32x8 low = F32x8{} + lo, high = F32x8{} + hi;
    const F32x8 raised = v < low ? low : v;
    return high < raised ? high : raised;
}

// v x 256 + 0.5 clamped to 0..65535 and truncated: the 8.8 fixed-point value, in float.
[[gnu::always_inline]] inline F32x8 quantiseFixed(const F32x8& v) noexcept {
    const F32x8 s = clampTo(v * kFixedScale + 0.5f, 0.0f, 65535.0f);
    return __builtin_convertvector(__builtin_convertvector(s, I32x8), F32x8) * (1.0f / kFixedScale);
}

// Plain loops: the compiler turns these into vector conversions and packs.
[[gnu::always_inline]] inline void toFloatBody(const uint8_t* __restrict in, int n, float* __restrict out) noexcept {
    for (int j = 0; j < n; ++j) out[j] = in[j];
}

[[gnu::always_inline]] inline void toBytesBody(const float* __restrict in, int n, uint8_t* __restrict out) noexcept {
    for (int j = 0; j < n; ++j)
        out[j] = static_cast<uint8_t>(static_cast<int32_t>(std::min(std::max(in[j] + 0.5f, 0.0f), 255.0f)));
}

// The vertical results of `count` consecutive rows: row b reads rows[b x taps + r]
// as its centre and rows[b x taps + r -+ t] as the rows t above and below (taps =
// 2r + 1), and out[b] receives its elements 0..n-1 rounded up to a whole step. Column steps
// go outermost, so the ring rows a step reads stay in the first-level cache while
// every row of the batch uses them.
template <int V>
[[gnu::always_inline]] inline void verticalBody(const float* const* rows, int count, const float* w, int r, int n,
                                                float* const* out) noexcept {
    const int taps = 2 * r + 1;
    for (int j = 0; j < n; j += V * kLanes) {
        for (int b = 0; b < count; ++b) {
            const float* const* mine = rows + static_cast<std::ptrdiff_t>(b) * taps + r;
            F32x8 a[V];
            const float* centre = mine[0] + j;
            for (int k = 0; k < V; ++k) a[k] = w[0] * load(centre + k * kLanes);
            for (int t = 1; t <= r; ++t) {
                const float* up = mine[-t] + j;
                const float* down = mine[t] + j;
                const float wt = w[t];
                for (int k = 0; k < V; ++k) a[k] += wt * (load(up + k * kLanes) + load(down + k * kLanes));
            }
            for (int k = 0; k < V; ++k) store(out[b] + j + k * kLanes, quantiseFixed(a[k]));
        }
    }
}

// out[j] for j < n rounded up to a whole step, from a line whose pixels are `lanes` floats
// and which holds r pixels on each side of the n elements at `centre`; then the
// first n rounded to levels in `bytes`.
template <int V>
[[gnu::always_inline]] inline void horizontalBody(const float* centre, int lanes, const float* w, int r, int n,
                                                  float* out, uint8_t* bytes) noexcept {
    for (int j = 0; j < n; j += V * kLanes) {
        F32x8 a[V];
        const float* c = centre + j;
        for (int k = 0; k < V; ++k) a[k] = w[0] * load(c + k * kLanes);
        for (int t = 1; t <= r; ++t) {
            const float* before = c - static_cast<std::ptrdiff_t>(t) * lanes;
            const float* after = c + static_cast<std::ptrdiff_t>(t) * lanes;
            const float wt = w[t];
            for (int k = 0; k < V; ++k) a[k] += wt * (load(before + k * kLanes) + load(after + k * kLanes));
        }
        for (int k = 0; k < V; ++k) store(out + j + k * kLanes, a[k]);
    }
    toBytesBody(out, n, bytes);
}

// The horizontal pass for four floats a pixel with aligned loads only. Pixel t away
// sits 4t floats away, half a vector for odd t; `shifted` is the line moved on by one
// pixel (shifted[i] = line[i + 4]), so odd offsets read it on a vector boundary. Same
// operations in the same order as horizontalBody; the centre is pixel r of the line.
template <int V>
[[gnu::always_inline]] inline void horizontalAlignedBody(const float* line, const float* shifted, const float* w,
                                                         int r, int n, float* out, uint8_t* bytes) noexcept {
    // Offset o = 4 x (pixel index in the line) lies on a vector boundary of the line
    // when the index is even, and of the shifted line (at o - 4) when it is odd.
    const auto at = [&](int pixel) { return pixel & 1 ? shifted + 4 * pixel - 4 : line + 4 * pixel; };
    for (int j = 0; j < n; j += V * kLanes) {
        F32x8 a[V];
        const float* c = at(r) + j;
        for (int k = 0; k < V; ++k) a[k] = w[0] * load(c + k * kLanes);
        for (int t = 1; t <= r; ++t) {
            const float* before = at(r - t) + j;
            const float* after = at(r + t) + j;
            const float wt = w[t];
            for (int k = 0; k < V; ++k) a[k] += wt * (load(before + k * kLanes) + load(after + k * kLanes));
        }
        for (int k = 0; k < V; ++k) store(out + j + k * kLanes, a[k]);
    }
    toBytesBody(out, n, bytes);
}

struct Kernels {
    void (*toFloat)(const uint8_t*, int, float*) noexcept;
    void (*vertical)(const float* const*, int, const float*, int, int, float* const*) noexcept;
    void (*horizontal)(const float*, int, const float*, int, int, float*, uint8_t*) noexcept;
    void (*horizontalAligned)(const float*, const float*, const float*, int, int, float*, uint8_t*) noexcept;
};

void toFloatDefault(const uint8_t* in, int n, float* out) noexcept { toFloatBody(in, n, out); }
void verticalDefault(const float* const* rows, int count, const float* w, int r, int n, float* const* out) noexcept {
    verticalBody<kBaseVectors>(rows, count, w, r, n, out);
}
void horizontalDefault(const float* centre, int lanes, const float* w, int r, int n, float* out,
                       uint8_t* bytes) noexcept {
    horizontalBody<kBaseVectors>(centre, lanes, w, r, n, out, bytes);
}

void horizontalAlignedDefault(const float* line, const float* shifted, const float* w, int r, int n, float* out,
                              uint8_t* bytes) noexcept {
    horizontalAlignedBody<kBaseVectors>(line, shifted, w, r, n, out, bytes);
}

#if defined(__x86_64__) || defined(__i386__)
// Same operations in wider registers (no fused multiply-add: the bytes stay the same).
[[gnu::target("avx2")]] void toFloatAvx2(const uint8_t* in, int n, float* out) noexcept { toFloatBody(in, n, out); }
[[gnu::target("avx2")]] void verticalAvx2(const float* const* rows, int count, const float* w, int r, int n,
                                          float* const* out) noexcept {
    verticalBody<kWideVectors>(rows, count, w, r, n, out);
}
[[gnu::target("avx2")]] void horizontalAvx2(const float* centre, int lanes, const float* w, int r, int n,
                                            float* out, uint8_t* bytes) noexcept {
    horizontalBody<kWideVectors>(centre, lanes, w, r, n, out, bytes);
}
[[gnu::target("avx2")]] void horizontalAlignedAvx2(const float* line, const float* shifted, const float* w, int r,
                                                   int n, float* out, uint8_t* bytes) noexcept {
    horizontalAlignedBody<kWideVectors>(line, shifted, w, r, n, out, bytes);
}
Kernels pickKernels() noexcept {
    if (hasAvx2()) return {toFloatAvx2, verticalAvx2, horizontalAvx2, horizontalAlignedAvx2};
    return {toFloatDefault, verticalDefault, horizontalDefault, horizontalAlignedDefault};
}
#else
Kernels pickKernels() noexcept {
    return {toFloatDefault, verticalDefault, horizontalDefault, horizontalAlignedDefault};
}
#endif

std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

struct Layout {
    int radius;
    int stripeWidth;  // pixels written per stripe
    int stripes;
    int bandRows;     // rows per band of a stripe
    int bands;
    // One ring row, one line, the shifted line, the horizontal sums, the bytes: each
    // this many floats.
    std::size_t lineFloats;
    int ringRows() const { return 2 * radius + kBatch; }
    std::size_t scratchFloats() const { return static_cast<std::size_t>(ringRows() + kBatch + 3) * lineFloats; }
    std::size_t tableEntries() const { return static_cast<std::size_t>(kBatch) * (2 * radius + 1); }
};

Layout planLayout(const FirBlock& b, int radius, int threads) {
    Layout l{};
    l.radius = radius;
    // Wide enough that the reach read twice stays a small share of the stripe.
    l.stripeWidth = std::min(b.width, 256 + 8 * radius);
    l.stripes = (b.width + l.stripeWidth - 1) / l.stripeWidth;
    l.bands = 1;
    if (threads > 1 && l.stripes < 4 * threads) {
        // Each band primes 2r rows it does not write; keep that a small share.
        const int most = std::max(1, b.height / (8 * radius));
        l.bands = std::min(most, (4 * threads + l.stripes - 1) / l.stripes);
    }
    l.bandRows = (b.height + l.bands - 1) / l.bands;
    const std::size_t reach = static_cast<std::size_t>(l.stripeWidth + 2 * radius) * b.bytesPerPixel;
    l.lineFloats = roundUp(reach, kStep) + 2 * kStep;  // the passes run up to a whole step past the end
    return l;
}

void writeRow(const FirBlock& b, int32_t y, int32_t x0, int n, const uint8_t* blurred) {
    uint8_t* dst = b.destination + static_cast<std::size_t>(y) * b.destinationStride + x0 * b.bytesPerPixel;
    const uint32_t all = (1u << b.bytesPerPixel) - 1u;
    if ((b.channels & all) == all) {
        std::memcpy(dst, blurred, static_cast<std::size_t>(n));
        return;
    }
    const uint8_t* src = b.source + static_cast<std::size_t>(y) * b.sourceStride + x0 * b.bytesPerPixel;
    for (int i = 0; i < n; i += b.bytesPerPixel)
        for (int c = 0; c < b.bytesPerPixel; ++c) dst[i + c] = (b.channels >> c) & 1u ? blurred[i + c] : src[i + c];
}

// Rows y0..y1-1 of one stripe, in batches.
void runStripe(const FirBlock& b, const Kernels& k, const float* w, const Layout& l, int stripe, int32_t y0,
               int32_t y1, float* scratch, const float** table) {
    const int r = l.radius, bpp = b.bytesPerPixel, h = b.height, slots = l.ringRows(), taps = 2 * r + 1;
    const int32_t x0 = stripe * l.stripeWidth, x1 = std::min(b.width, x0 + l.stripeWidth);
    const int32_t l0 = std::max(0, x0 - r), l1 = std::min(b.width, x1 + r);
    const int loaded = (l1 - l0) * bpp;
    const auto line = [&](int i) { return scratch + static_cast<std::size_t>(i) * l.lineFloats; };
    float* lines[kBatch];
    for (int i = 0; i < kBatch; ++i) lines[i] = line(slots + i);
    float* sums = line(slots + kBatch);
    auto* bytes = reinterpret_cast<uint8_t*>(line(slots + kBatch + 1));
    float* shifted = line(slots + kBatch + 2);
    const auto sourceRow = [&](int32_t row) {
        return b.source + static_cast<std::size_t>(row) * b.sourceStride + l0 * bpp;
    };
    // The line holds pixels x0 - r .. x1 + r - 1; those past the picture's edges repeat
    // the edge pixel.
    const int lead = (l0 - (x0 - r)) * bpp;
    const int tail = lead + loaded, end = (x1 - x0 + 2 * r) * bpp;
    const int written = (x1 - x0) * bpp;
    float* outs[kBatch];
    for (int i = 0; i < kBatch; ++i) outs[i] = lines[i] + lead;

    int32_t next = std::max(0, y0 - r);  // the next source row for the ring
    for (int32_t y = y0; y < y1; y += kBatch) {
        const int count = std::min(kBatch, y1 - y);
        // Row s lives in slot s mod slots: the 2r + count rows a batch reads never share one.
        for (const int32_t need = std::min(h - 1, y + count - 1 + r); next <= need; ++next)
            k.toFloat(sourceRow(next), loaded, line(next % slots));
        for (int32_t row = next; row < std::min(h, next + kBatch); ++row)
            for (int i = 0; i < loaded; i += 64) __builtin_prefetch(sourceRow(row) + i);
        for (int i = 0; i < count; ++i)
            for (int t = -r; t <= r; ++t) table[i * taps + r + t] = line(std::clamp(y + i + t, 0, h - 1) % slots);
        k.vertical(table, count, w, r, loaded, outs);
        for (int i = 0; i < count; ++i) {
            float* ln = lines[i];
            for (int e = 0; e < lead; e += bpp) std::memcpy(ln + e, ln + lead, bpp * sizeof(float));
            for (int e = tail; e < end; e += bpp) std::memcpy(ln + e, ln + tail - bpp, bpp * sizeof(float));
            if (bpp == 4) {
                std::memcpy(shifted, ln + 4, (l.lineFloats - 4) * sizeof(float));
                k.horizontalAligned(ln, shifted, w, r, written, sums, bytes);
            } else {
                k.horizontal(ln + r * bpp, bpp, w, r, written, sums, bytes);
            }
            writeRow(b, y + i, x0, written, bytes);
        }
    }
}

}  // namespace

std::vector<float> sampledKernel(double sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(4.0 * sigma)));
    std::vector<double> w(static_cast<std::size_t>(radius) + 1);
    double sum = 0.0;
    for (int i = 0; i <= radius; ++i) {
        w[i] = std::exp(-0.5 * (i * i) / (sigma * sigma));
        sum += i == 0 ? w[i] : 2.0 * w[i];
    }
    std::vector<float> half;
    for (double v : w) half.push_back(static_cast<float>(v / sum));
    return half;
}

bool firGaussian(const FirBlock& b, const std::vector<float>& weights) {
    const int r = static_cast<int>(weights.size()) - 1;
    const int threads =
        int64_t{b.width} * b.height >= kParallelPixels ? std::max(1, omp_get_max_threads()) : 1;
    const Layout l = planLayout(b, r, threads);
    const std::size_t perThread = l.scratchFloats();
    const std::size_t bytes = perThread * threads * sizeof(float) + kCacheLine;
    auto scratch = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (!scratch) return false;
    // Lanes past a row's end are read and their results dropped; keep them finite.
    std::memset(scratch.get(), 0, bytes);
    // Lines start on cache lines (their length is a multiple of one), so the passes'
    // loads split across two lines as seldom as their offsets allow.
    const auto address = reinterpret_cast<std::uintptr_t>(scratch.get());
    float* base = reinterpret_cast<float*>(scratch.get() + (kCacheLine - address % kCacheLine) % kCacheLine);
    std::vector<const float*> rowTables;
    try {
        rowTables.resize(l.tableEntries() * threads);
    } catch (...) {
        return false;
    }
    const Kernels k = pickKernels();
    const int items = l.stripes * l.bands;
#pragma omp parallel num_threads(threads)
    {
        const auto me = static_cast<std::size_t>(omp_get_thread_num());
        float* mine = base + perThread * me;
        const float** table = rowTables.data() + l.tableEntries() * me;
#pragma omp for schedule(dynamic, 1)
        for (int item = 0; item < items; ++item) {
            const int32_t y0 = (item / l.stripes) * l.bandRows;
            const int32_t y1 = std::min(b.height, y0 + l.bandRows);
            if (y0 < y1) runStripe(b, k, weights.data(), l, item % l.stripes, y0, y1, mine, table);
        }
    }
    return true;
}

}  // namespace dro::gaussian
