// Which source samples make each destination sample along one axis, and with what
// weights: the part of resampling that depends only on the sizes and the filter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dro::resample {

// Every destination sample reads exactly `taps` consecutive source samples from its
// `first`, all inside the source (padding weights are zero); weights sum to 1.
struct AxisWeights {
    int32_t taps = 0;
    std::vector<int32_t> first;
    std::vector<float> weights;  // count() x taps

    int32_t count() const noexcept { return static_cast<int32_t>(first.size()); }
    const float* weightsOf(int32_t i) const noexcept {
        return weights.data() + static_cast<size_t>(i) * static_cast<size_t>(taps);
    }
};

// Area average (code 15) weighs the exact overlap of each source sample; nearest
// (code 18) takes one sample; every other code uses its kernel, widened by the
// scale when shrinking. Samples beyond the edge repeat the edge sample.
AxisWeights axisWeights(int32_t code, int32_t sourceSize, int32_t targetSize);

}  // namespace dro::resample
