#include "imaging/lib/resample_kernels.h"

#include <array>
#include <cmath>
#include <numbers>

namespace dro::resample {
namespace {

constexpr double kPi = std::numbers::pi;

double sinc(double x) {
    if (x == 0.0) return 1.0;
    const double px = kPi * x;
    return std::sin(px) / px;
}

// Keys' cubic convolution with free parameter a.
template <int AThousandths>
double keysCubic(double x) {
    constexpr double a = AThousandths / 1000.0;
    x = std::fabs(x);
    if (x < 1.0) return ((a + 2.0) * x - (a + 3.0)) * x * x + 1.0;
    if (x < 2.0) return ((a * x - 5.0 * a) * x + 8.0 * a) * x - 4.0 * a;
    return 0.0;
}

// Mitchell-Netravali family with parameters B and C.
double mitchellNetravali(double x, double b, double c) {
    x = std::fabs(x);
    if (x < 1.0)
        return ((12.0 - 9.0 * b - 6.0 * c) * x * x * x + (-18.0 + 12.0 * b + 6.0 * c) * x * x + (6.0 - 2.0 * b)) /
               6.0;
    if (x < 2.0)
        return ((-b - 6.0 * c) * x * x * x + (6.0 * b + 30.0 * c) * x * x + (-12.0 * b - 48.0 * c) * x +
                (8.0 * b + 24.0 * c)) /
               6.0;
    return 0.0;
}

double box(double x) { return std::fabs(x) <= 0.5 ? 1.0 : 0.0; }
double triangle(double x) { return std::max(0.0, 1.0 - std::fabs(x)); }
double hamming(double x) { return std::fabs(x) < 1.0 ? 0.54 + 0.46 * std::cos(kPi * x) : 0.0; }
double hanning(double x) { return std::fabs(x) < 1.0 ? 0.5 + 0.5 * std::cos(kPi * x) : 0.0; }
double gaussian(double x) { return std::exp(-2.0 * x * x) * std::sqrt(2.0 / kPi); }
double bell(double x) {
    x = std::fabs(x);
    if (x < 0.5) return 0.75 - x * x;
    if (x < 1.5) return 0.5 * (x - 1.5) * (x - 1.5);
    return 0.0;
}
double bSpline(double x) { return mitchellNetravali(x, 1.0, 0.0); }
double mitchell(double x) { return mitchellNetravali(x, 1.0 / 3.0, 1.0 / 3.0); }
double catmullRom(double x) { return mitchellNetravali(x, 0.0, 0.5); }
double lanczos3(double x) { return std::fabs(x) < 3.0 ? sinc(x) * sinc(x / 3.0) : 0.0; }
double sinc4(double x) { return std::fabs(x) < 4.0 ? sinc(x) * sinc(x / 4.0) : 0.0; }
double hermite(double x) {
    x = std::fabs(x);
    return x < 1.0 ? (2.0 * x - 3.0) * x * x + 1.0 : 0.0;
}

struct CodedKernel {
    int32_t code;
    Kernel kernel;
};

constexpr std::array kKernels{
    CodedKernel{0, {box, 0.5}},
    CodedKernel{1, {triangle, 1.0}},
    CodedKernel{2, {hamming, 1.0}},
    CodedKernel{3, {gaussian, 1.5}},
    CodedKernel{4, {bell, 1.5}},
    CodedKernel{5, {bSpline, 2.0}},
    CodedKernel{6, {keysCubic<-750>, 2.0}},
    CodedKernel{7, {keysCubic<-1000>, 2.0}},
    CodedKernel{8, {lanczos3, 3.0}},
    CodedKernel{9, {mitchell, 2.0}},
    CodedKernel{10, {sinc4, 4.0}},
    CodedKernel{11, {hermite, 1.0}},
    CodedKernel{12, {hanning, 1.0}},
    CodedKernel{13, {catmullRom, 2.0}},
    CodedKernel{15, {box, 0.5}},
    CodedKernel{17, {keysCubic<-500>, 2.0}},
    CodedKernel{kNearestCode, {box, 0.5}},
};

}  // namespace

Kernel kernelForCode(int32_t code) noexcept {
    for (const auto& entry : kKernels)
        if (entry.code == code) return entry.kernel;
    return Kernel{lanczos3, 3.0};
}

}  // namespace dro::resample
