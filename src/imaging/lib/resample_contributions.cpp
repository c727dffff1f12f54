#include "imaging/lib/resample_contributions.h"

#include <algorithm>
#include <cmath>

#include "imaging/lib/resample_kernels.h"

namespace dro::resample {
namespace {

constexpr int32_t kAreaAverageCode = 15;

// One destination sample's weights before they are laid out with a fixed tap count.
struct Contribution {
    int32_t first = 0;
    std::vector<double> weights;
};

void normalise(Contribution& c) {
    double sum = 0.0;
    for (double w : c.weights) sum += w;
    if (sum == 0.0) {
        c.weights.assign(1, 1.0);
        return;
    }
    for (double& w : c.weights) w /= sum;
}

// Weights of source sample j: the length of [j, j + 1] under the destination
// sample's footprint in source coordinates.
Contribution areaContribution(int32_t i, int32_t sourceSize, double scale) {
    const double lo = i * scale;
    const double hi = std::min<double>(sourceSize, (i + 1) * scale);
    Contribution c;
    c.first = std::clamp(static_cast<int32_t>(std::floor(lo)), 0, sourceSize - 1);
    const int32_t last = std::clamp(static_cast<int32_t>(std::ceil(hi)) - 1, c.first, sourceSize - 1);
    for (int32_t j = c.first; j <= last; ++j) c.weights.push_back(std::min<double>(hi, j + 1) - std::max<double>(lo, j));
    return c;
}

Contribution nearestContribution(int32_t i, int32_t sourceSize, double scale) {
    return Contribution{std::clamp(static_cast<int32_t>((i + 0.5) * scale), 0, sourceSize - 1), {1.0}};
}

Contribution kernelContribution(int32_t i, int32_t sourceSize, double scale, Kernel kernel) {
    const double stretch = std::max(1.0, scale);
    const double support = kernel.support * stretch;
    const double centre = (i + 0.5) * scale - 0.5;
    const int32_t lo = static_cast<int32_t>(std::ceil(centre - support));
    const int32_t hi = static_cast<int32_t>(std::floor(centre + support));
    Contribution c;
    c.first = std::clamp(lo, 0, sourceSize - 1);
    const int32_t last = std::clamp(hi, 0, sourceSize - 1);
    c.weights.assign(static_cast<size_t>(last - c.first + 1), 0.0);
    for (int32_t j = lo; j <= hi; ++j) {
        const int32_t at = std::clamp(j, 0, sourceSize - 1);
        c.weights[static_cast<size_t>(at - c.first)] += kernel.weight((j - centre) / stretch);
    }
    return c;
}

}  // namespace

AxisWeights axisWeights(int32_t code, int32_t sourceSize, int32_t targetSize) {
    const double scale = static_cast<double>(sourceSize) / targetSize;
    const Kernel kernel = kernelForCode(code);
    std::vector<Contribution> all(static_cast<size_t>(targetSize));
    size_t widest = 1;
    for (int32_t i = 0; i < targetSize; ++i) {
        Contribution c = code == kAreaAverageCode ? areaContribution(i, sourceSize, scale)
                         : code == kNearestCode   ? nearestContribution(i, sourceSize, scale)
                                                  : kernelContribution(i, sourceSize, scale, kernel);
        normalise(c);
        widest = std::max(widest, c.weights.size());
        all[static_cast<size_t>(i)] = std::move(c);
    }

    AxisWeights out;
    out.taps = static_cast<int32_t>(widest);  // never more than sourceSize: weights are clamped into it
    out.first.resize(all.size());
    out.weights.assign(all.size() * widest, 0.0f);
    for (size_t i = 0; i < all.size(); ++i) {
        const auto& c = all[i];
        // Slide the window left where it would run past the end; the extra taps weigh 0.
        const int32_t first = std::min(c.first, sourceSize - out.taps);
        out.first[i] = first;
        float* w = out.weights.data() + i * widest + (c.first - first);
        for (size_t t = 0; t < c.weights.size(); ++t) w[t] = static_cast<float>(c.weights[t]);
    }
    return out;
}

}  // namespace dro::resample
