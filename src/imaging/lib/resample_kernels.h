// The reconstruction kernels of the resampler, one small function each, and the table
// from filter code to kernel.
#pragma once

#include <cstdint>

namespace dro::resample {

struct Kernel {
    double (*weight)(double x);  // even function; 0 outside [-support, support]
    double support;
};

// The kernel for a filter code; unknown codes give Lanczos3.
Kernel kernelForCode(int32_t code) noexcept;

inline constexpr int32_t kNearestCode = 18;

}  // namespace dro::resample
