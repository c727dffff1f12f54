#include "imaging/lib/blur.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/allocation.h"
#include "core/owned_buffer.h"
#include "imaging/lib/gaussian_fir.h"

// Separable Gaussian: a vertical pass rounded to 8.8 fixed point (so the second pass
// sees sub-level detail), then a horizontal pass into the destination. Small sigmas use
// the sampled kernel (gaussian_fir.cpp, both passes fused); larger ones a third-order
// recursive filter (poles of Young, van Vliet and Verbeek, scaled so the variance is
// exactly sigma squared) whose cost does not depend on sigma. Both extend the edge
// pixels: the recursive filter starts from the steady state of the left edge and
// ends on the exact continuation of the right edge, so a flat line stays flat.

namespace {

constexpr double kFirLimitSigma = 6.0;     // above: recursive filter
constexpr double kMaxSigma = 100000.0;     // beyond this the recursion loses precision
constexpr int64_t kParallelPixels = 65536;
constexpr std::size_t kStripBytes = 256;   // one row of a vertical strip
constexpr float kFixedScale = 256.0f;      // intermediate units per level

struct ChannelPlan {
    int count = 0;
    int index[4] = {};
    int unselected = 0;
    int unselectedIndex[4] = {};
};

ChannelPlan planChannels(int32_t bytesPerPixel, uint32_t flags) {
    ChannelPlan plan;
    for (int c = 0; c < bytesPerPixel; ++c) {
        if (flags & (1u << c)) {
            plan.index[plan.count++] = c;
        } else {
            plan.unselectedIndex[plan.unselected++] = c;
        }
    }
    return plan;
}

// ---- Recursive filter -----------------------------------------------------------

struct IirFilter {
    double b = 0, a1 = 0, a2 = 0, a3 = 0;
    // Right-edge continuation: anticausal outputs at n, n+1, n+2 (less the edge value)
    // from the last three causal outputs at n-1, n-2, n-3 (less the edge value).
    double m[3][3] = {};
};

double symmetricVariance(const std::complex<double> poles[3]) {
    // A causal section (1 - p)/(1 - p z^-1) with p = 1/d has variance d/(d - 1)^2;
    // the anticausal twin doubles it.
    double v = 0.0;
    for (int i = 0; i < 3; ++i) v += std::real(poles[i] / ((poles[i] - 1.0) * (poles[i] - 1.0)));
    return 2.0 * v;
}

IirFilter makeIirFilter(double sigma) {
    // Poles for sigma 2 (z-plane, as reciprocals); d^(1/q) rescales them.
    const std::complex<double> base[3] = {{1.41650, 1.00829}, {1.41650, -1.00829}, {1.86543, 0.0}};
    const auto scaled = [&](double q, std::complex<double> out[3]) {
        for (int i = 0; i < 3; ++i) out[i] = std::pow(base[i], 1.0 / q);
    };
    double lo = sigma / 2.0 * 0.5, hi = sigma / 2.0 * 2.0;
    std::complex<double> d[3];
    for (int it = 0; it < 200; ++it) {
        const double mid = 0.5 * (lo + hi);
        scaled(mid, d);
        (symmetricVariance(d) < sigma * sigma ? lo : hi) = mid;
    }
    scaled(0.5 * (lo + hi), d);

    const std::complex<double> p1 = 1.0 / d[0];
    const double p3 = std::real(1.0 / d[2]);
    const double re = p1.real(), mag2 = std::norm(p1);
    IirFilter f;
    f.a1 = p3 + 2.0 * re;
    f.a2 = -(mag2 + 2.0 * p3 * re);
    f.a3 = p3 * mag2;
    f.b = 1.0 - f.a1 - f.a2 - f.a3;

    // Beyond the right edge the causal output decays toward the edge value as
    // dev[t] = a1 dev[t-1] + a2 dev[t-2] + a3 dev[t-3]; the anticausal pass over that
    // tail is sum over t of h[t] dev[n + k + t], h being the causal impulse response,
    // which obeys the same recursion. Both run forward together, so nothing is stored.
    const double maxPole = std::max(std::abs(p1), p3);
    const long steps = static_cast<long>(std::ceil(std::log(1e-16) / std::log(maxPole))) + 16;
    for (int j = 0; j < 3; ++j) {
        double dev[3] = {0, 0, 0};  // dev[t-1], dev[t-2], dev[t-3]
        dev[j] = 1.0;
        // Tail values dev[0], dev[1], dev[2] first, then a window sliding along.
        double window[3];
        for (double& wv : window) {
            wv = f.a1 * dev[0] + f.a2 * dev[1] + f.a3 * dev[2];
            dev[2] = dev[1], dev[1] = dev[0], dev[0] = wv;
        }
        double h[3] = {0, 0, 0};  // h[t-1], h[t-2], h[t-3]
        double sums[3] = {0, 0, 0};
        for (long t = 0; t < steps; ++t) {
            const double ht = (t == 0 ? f.b : 0.0) + f.a1 * h[0] + f.a2 * h[1] + f.a3 * h[2];
            h[2] = h[1], h[1] = h[0], h[0] = ht;
            for (int k = 0; k < 3; ++k) sums[k] += ht * window[k];
            const double next = f.a1 * dev[0] + f.a2 * dev[1] + f.a3 * dev[2];
            dev[2] = dev[1], dev[1] = dev[0], dev[0] = next;
            window[0] = window[1], window[1] = window[2], window[2] = next;
        }
        for (int k = 0; k < 3; ++k) f.m[k][j] = sums[k];
    }
    return f;
}

// ---- Line kernels -----------------------------------------------------------------
// A line is n samples of `lanes` interleaved values (channels of a row, or columns of
// a vertical strip); each lane is filtered on its own.

// In place over rows -3 .. n+2 of `line` (line points at row 0); rows 0..n-1 hold
// the input on entry and the result on return.
void iirLine(double* line, int n, int lanes, const IirFilter& f, double* edge) {
    const std::size_t L = static_cast<std::size_t>(lanes);
    const auto row = [&](long i) { return line + i * static_cast<long>(L); };
    for (std::size_t j = 0; j < L; ++j) edge[j] = row(n - 1)[j];
    for (long i = -3; i < 0; ++i) std::memcpy(row(i), row(0), L * sizeof(double));
    const double b = f.b, a1 = f.a1, a2 = f.a2, a3 = f.a3;
    for (long i = 0; i < n; ++i) {
        double* x = row(i);
        const double *y1 = row(i - 1), *y2 = row(i - 2), *y3 = row(i - 3);
        for (std::size_t j = 0; j < L; ++j) x[j] = b * x[j] + a1 * y1[j] + a2 * y2[j] + a3 * y3[j];
    }
    for (int k = 0; k < 3; ++k) {
        double* out = row(n + k);
        const double *w0 = row(n - 1), *w1 = row(n - 2), *w2 = row(n - 3);
        for (std::size_t j = 0; j < L; ++j) {
            const double u = edge[j];
            out[j] = u + f.m[k][0] * (w0[j] - u) + f.m[k][1] * (w1[j] - u) + f.m[k][2] * (w2[j] - u);
        }
    }
    for (long i = n - 1; i >= 0; --i) {
        double* x = row(i);
        const double *y1 = row(i + 1), *y2 = row(i + 2), *y3 = row(i + 3);
        for (std::size_t j = 0; j < L; ++j) x[j] = b * x[j] + a1 * y1[j] + a2 * y2[j] + a3 * y3[j];
    }
}

// ---- The two passes ----------------------------------------------------------------

struct Job {
    const uint8_t* source;
    int32_t width, height, bytesPerPixel, sourceStride;
    uint8_t* destination;
    int32_t destinationStride;
    ChannelPlan plan;
    uint16_t* intermediate;  // width * plan.count per row, packed
    const int32_t* elementOffset;  // byte offset in a source row of each packed element
};

// Branch-free so the conversion loops vectorise.
template <class Real>
inline uint16_t toFixed(Real v) {
    const Real s = std::min(std::max(v * Real(kFixedScale) + Real(0.5), Real(0)), Real(65535));
    return static_cast<uint16_t>(static_cast<int32_t>(s));
}

template <class Real>
inline uint8_t toByte(Real v) {
    const Real s = std::min(std::max(v + Real(0.5), Real(0)), Real(255));
    return static_cast<uint8_t>(static_cast<int32_t>(s));
}

template <class Real>
constexpr std::size_t stripLanes() {
    return kStripBytes / sizeof(Real);
}

// The recursive filter on double lines, in place.
struct IirPass {
    using Real = double;
    const IirFilter& filter;
    int pad() const { return 3; }
    Real* operator()(Real* rows, int n, int lanes, bool, Real*, Real* edge) const {
        iirLine(rows, n, lanes, filter, edge);
        return rows;
    }
};

// Per-thread scratch: `pad` rows, the line, `pad` rows, a result line, an edge row.
struct ScratchLayout {
    std::size_t reals;
    static ScratchLayout of(int64_t n, int64_t lanes, int pad) {
        return {static_cast<std::size_t>((2 * n + 2 * pad + 1) * lanes)};
    }
};

template <class Pass>
void verticalStrip(const Job& job, int64_t s, const Pass& pass, typename Pass::Real* scratch) {
    using Real = typename Pass::Real;
    const int64_t elements = int64_t{job.width} * job.plan.count;
    const int64_t first = s * static_cast<int64_t>(stripLanes<Real>());
    const int lanes = static_cast<int>(std::min<int64_t>(stripLanes<Real>(), elements - first));
    const int h = job.height;
    const int pad = pass.pad();
    Real* rows = scratch + static_cast<std::size_t>(pad) * lanes;
    Real* out = rows + static_cast<std::size_t>(h + pad) * lanes;
    Real* edge = out + static_cast<std::size_t>(h) * lanes;
    const int32_t* offsets = job.elementOffset + first;
    // With every channel blurred, packed elements are the row's bytes in order.
    const bool contiguous = job.plan.count == job.bytesPerPixel;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = job.source + static_cast<std::size_t>(y) * job.sourceStride;
        Real* r = rows + static_cast<std::size_t>(y) * lanes;
        if (contiguous) {
            const uint8_t* bytes = src + first;
            for (int j = 0; j < lanes; ++j) r[j] = bytes[j];
        } else {
            for (int j = 0; j < lanes; ++j) r[j] = src[offsets[j]];
        }
    }
    const Real* result = pass(rows, h, lanes, true, out, edge);
    for (int y = 0; y < h; ++y) {
        uint16_t* o = job.intermediate + static_cast<std::size_t>(y) * elements + first;
        const Real* r = result + static_cast<std::size_t>(y) * lanes;
        for (int j = 0; j < lanes; ++j) o[j] = toFixed(r[j]);
    }
}

template <class Pass>
void horizontalRow(const Job& job, int y, const Pass& pass, typename Pass::Real* scratch) {
    using Real = typename Pass::Real;
    const int w = job.width;
    const int lanes = job.plan.count;
    const std::size_t elements = static_cast<std::size_t>(w) * lanes;
    const int pad = pass.pad();
    Real* row = scratch + static_cast<std::size_t>(pad) * lanes;
    Real* out = row + static_cast<std::size_t>(w + pad) * lanes;
    Real* edge = out + elements;
    const uint16_t* in = job.intermediate + static_cast<std::size_t>(y) * elements;
    constexpr Real kInv = Real(1) / Real(kFixedScale);
    for (std::size_t i = 0; i < elements; ++i) row[i] = in[i] * kInv;
    const Real* result = pass(row, w, lanes, false, out, edge);

    const uint8_t* src = job.source + static_cast<std::size_t>(y) * job.sourceStride;
    uint8_t* dst = job.destination + static_cast<std::size_t>(y) * job.destinationStride;
    const int bpp = job.bytesPerPixel;
    const ChannelPlan& plan = job.plan;
    if (plan.count == bpp) {
        for (std::size_t i = 0; i < elements; ++i) dst[i] = toByte(result[i]);
        return;
    }
    for (int x = 0; x < w; ++x) {
        const Real* px = result + static_cast<std::size_t>(x) * lanes;
        uint8_t* d = dst + static_cast<std::size_t>(x) * bpp;
        const uint8_t* sp = src + static_cast<std::size_t>(x) * bpp;
        for (int c = 0; c < plan.unselected; ++c) d[plan.unselectedIndex[c]] = sp[plan.unselectedIndex[c]];
        for (int c = 0; c < lanes; ++c) d[plan.index[c]] = toByte(px[c]);
    }
}

template <class Pass>
bool runPasses(const Job& job, const Pass& pass) {
    using Real = typename Pass::Real;
    const int64_t elements = int64_t{job.width} * job.plan.count;
    constexpr int64_t lanes = static_cast<int64_t>(stripLanes<Real>());
    const int64_t strips = (elements + lanes - 1) / lanes;
    const std::size_t perThread = std::max(ScratchLayout::of(job.height, lanes, pass.pad()).reals,
                                           ScratchLayout::of(job.width, job.plan.count, pass.pad()).reals);
    const int threads =
        int64_t{job.width} * job.height >= kParallelPixels ? std::max(1, omp_get_max_threads()) : 1;
    auto scratch = dro::adoptBuffer(dro::x_NewCharUndoReduce(uint64_t{perThread} * threads * sizeof(Real)));
    if (!scratch) return false;
    Real* base = reinterpret_cast<Real*>(scratch.get());

    // The implicit barrier between the loops keeps every source read ahead of the
    // first destination write, so source and destination may be one block.
#pragma omp parallel num_threads(threads)
    {
        Real* mine = base + perThread * static_cast<std::size_t>(omp_get_thread_num());
#pragma omp for schedule(static)
        for (int64_t s = 0; s < strips; ++s) verticalStrip(job, s, pass, mine);
#pragma omp for schedule(static)
        for (int32_t y = 0; y < job.height; ++y) horizontalRow(job, y, pass, mine);
    }
    return true;
}

bool overlaps(const uint8_t* a, std::size_t aBytes, const uint8_t* b, std::size_t bBytes) {
    const auto pa = reinterpret_cast<std::uintptr_t>(a), pb = reinterpret_cast<std::uintptr_t>(b);
    return pa < pb + bBytes && pb < pa + aBytes;
}

// The fused passes read source rows after writing destination rows, so a blur in
// place works from a copy of the block.
bool sampledBlur(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t sourceStride,
                 uint8_t* destination, int32_t destinationStride, double sigma, uint32_t flags, bool sameBlock) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    dro::OwnedBuffer<uint8_t> copy;
    if (sameBlock) {
        copy = dro::adoptBuffer(dro::x_NewCharUndoReduce(uint64_t{rowBytes} * static_cast<uint64_t>(height)));
        if (!copy) return false;
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(copy.get() + y * rowBytes, source + static_cast<std::size_t>(y) * sourceStride, rowBytes);
        source = copy.get();
        sourceStride = static_cast<int32_t>(rowBytes);
    }
    try {
        const dro::gaussian::FirBlock block{source, sourceStride, destination, destinationStride,
                                            width,  height,       bytesPerPixel, flags & 0xFu};
        return dro::gaussian::firGaussian(block, dro::gaussian::sampledKernel(sigma));
    } catch (...) {
        return false;
    }
}

}  // namespace

bool is5_GaussianBlurImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                           int32_t sourceStride, uint8_t* destination, int32_t destinationStride, double radius,
                           uint32_t flags) {
    if (!source || !destination || width <= 0 || height <= 0) return false;
    if (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4) return false;
    const int64_t rowBytes = int64_t{width} * bytesPerPixel;
    if (sourceStride < rowBytes || destinationStride < rowBytes) return false;
    if (!(radius > 0.0) || radius > kMaxSigma) return false;
    const std::size_t sourceBytes = static_cast<std::size_t>(height - 1) * sourceStride + rowBytes;
    const std::size_t destinationBytes = static_cast<std::size_t>(height - 1) * destinationStride + rowBytes;
    const bool sameBlock = source == destination && sourceStride == destinationStride;
    // Any other overlap would let a written row be read again as source.
    if (!sameBlock && overlaps(source, sourceBytes, destination, destinationBytes)) return false;

    const ChannelPlan plan = planChannels(bytesPerPixel, flags);
    if (plan.count == 0) {
        if (!sameBlock) {
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(destination + static_cast<std::size_t>(y) * destinationStride,
                            source + static_cast<std::size_t>(y) * sourceStride, static_cast<std::size_t>(rowBytes));
        }
        return true;
    }

    if (radius <= kFirLimitSigma) return sampledBlur(source, width, height, bytesPerPixel, sourceStride, destination,
                                                     destinationStride, radius, flags, sameBlock);

    const uint64_t elements = static_cast<uint64_t>(width) * plan.count;
    auto intermediate = dro::adoptBuffer(dro::x_NewShortUndoReduce(elements * static_cast<uint64_t>(height)));
    if (!intermediate) return false;
    std::vector<int32_t> offsets;
    try {
        offsets.resize(elements);
    } catch (...) {
        return false;
    }
    for (uint64_t e = 0; e < elements; ++e)
        offsets[e] = static_cast<int32_t>(e / plan.count) * bytesPerPixel + plan.index[e % plan.count];

    const Job job{source,      width,      height, bytesPerPixel,      sourceStride,
                  destination, destinationStride, plan, intermediate.get(), offsets.data()};
    try {
        const IirFilter filter = makeIirFilter(radius);
        return runPasses(job, IirPass{filter});
    } catch (...) {
        return false;
    }
}
