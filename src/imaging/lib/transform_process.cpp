#include "imaging/lib/transform_process.h"

#include <omp.h>

#include <algorithm>
#include <cstddef>

#include "core/allocation.h"
#include "core/owned_buffer.h"
#include "imaging/lib/transform_chain.h"
#include "imaging/lib/transform_sample.h"

namespace dro::lib {
namespace {

constexpr int64_t kParallelPixels = 65536;

bool overlaps(const uint8_t* a, size_t aBytes, const uint8_t* b, size_t bBytes) noexcept {
    const auto pa = reinterpret_cast<uintptr_t>(a), pb = reinterpret_cast<uintptr_t>(b);
    return pa < pb + bBytes && pb < pa + aBytes;
}

template <SampleFilter filter>
void processRow(const TransformChain& chain, const SampleSource& s, int32_t y, double* xs, double* ys,
                uint8_t* out) noexcept {
    for (int32_t x = 0; x < s.width; ++x)
        xs[x] = x, ys[x] = y;
    mapPoints(chain, xs, ys, s.width);
    for (int32_t x = 0; x < s.width; ++x) {
        if constexpr (filter == SampleFilter::bilinearPremultiplied)
            sampleBilinearPremultiplied(s, xs[x], ys[x], out + static_cast<ptrdiff_t>(x) * 4);
        else
            samplePoint(filter, s, xs[x], ys[x], out + static_cast<ptrdiff_t>(x) * 4);
    }
}

template <SampleFilter filter>
void processRows(const TransformChain& chain, const SampleSource& s, uint8_t* destination, ptrdiff_t destinationStride,
                 double* scratch, int threads) noexcept {
    const auto rowPoints = static_cast<size_t>(s.width) * 2;
#pragma omp parallel num_threads(threads)
    {
        double* xs = scratch + rowPoints * static_cast<size_t>(omp_get_thread_num());
        double* ys = xs + s.width;
#pragma omp for schedule(static)
        for (int32_t y = 0; y < s.height; ++y)
            processRow<filter>(chain, s, y, xs, ys, destination + y * destinationStride);
    }
}

}  // namespace
}  // namespace dro::lib

bool is5_TransformProcess(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                          int32_t sourceStride, uint8_t* destination, int32_t destinationStride, int32_t mode,
                          uint32_t background, uint32_t /*flags*/) noexcept {
    using namespace dro::lib;
    if (!source || !destination || bytesPerPixel != 4 || width <= 0 || height <= 0) return false;
    if (sourceStride / 4 < width || destinationStride / 4 < width) return false;
    const size_t sourceBytes = static_cast<size_t>(sourceStride) * static_cast<size_t>(height - 1) + size_t(width) * 4;
    const size_t destinationBytes =
        static_cast<size_t>(destinationStride) * static_cast<size_t>(height - 1) + size_t(width) * 4;
    if (overlaps(source, sourceBytes, destination, destinationBytes)) return false;

    const SampleFilter filter = sampleFilterFromMode(mode);
    const TransformChain& chain = transformChain();
    const SampleSource s{source, width, height, sourceStride, chain.edge, sampleBackground(background, filter)};
    const int threads = int64_t{width} * height >= kParallelPixels ? std::max(1, omp_get_max_threads()) : 1;
    auto scratch = dro::adoptBuffer(
        dro::x_NewCharUndoReduce(uint64_t{static_cast<uint32_t>(width)} * 2 * sizeof(double) * threads));
    if (!scratch) return false;
    auto* points = reinterpret_cast<double*>(scratch.get());
    switch (filter) {
        case SampleFilter::bilinearStraight:
            processRows<SampleFilter::bilinearStraight>(chain, s, destination, destinationStride, points, threads);
            break;
        case SampleFilter::bilinearPremultiplied:
            processRows<SampleFilter::bilinearPremultiplied>(chain, s, destination, destinationStride, points, threads);
            break;
        case SampleFilter::bicubicPremultiplied:
            processRows<SampleFilter::bicubicPremultiplied>(chain, s, destination, destinationStride, points, threads);
            break;
    }
    return true;
}
