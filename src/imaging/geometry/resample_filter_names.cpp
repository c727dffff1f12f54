#include "imaging/geometry/resample_filter_names.h"

#include <array>

namespace dro {
namespace {

constexpr int32_t kLanczos3Code = 8;

// "Nearest Neighbor" and "Bilinear" share code 18, as hosts have always sent them.
constexpr std::array<ResampleFilterName, 18> kNames{{
    {"Area Average", 15}, {"Nearest Neighbor", 18}, {"Bilinear", 18}, {"Bicubic", 17}, {"Box", 0},
    {"Triangle", 1},      {"Hamming", 2},           {"Gaussian", 3},  {"Bell", 4},     {"B-Spline", 5},
    {"Cubic 1", 6},       {"Cubic 2", 7},           {"Lanczos3", 8},  {"Mitchell", 9}, {"Sinc", 10},
    {"Hermite", 11},      {"Hanning", 12},          {"Catrom", 13},
}};

}  // namespace

int32_t resampleFilterCode(std::string_view name) noexcept {
    for (const auto& entry : kNames)
        if (entry.name == name) return entry.code;
    return kLanczos3Code;
}

int32_t resampleFilterCode(const char* name) noexcept {
    return name ? resampleFilterCode(std::string_view(name)) : kLanczos3Code;
}

const ResampleFilterName* resampleFilterNames(int32_t* count) noexcept {
    if (count) *count = static_cast<int32_t>(kNames.size());
    return kNames.data();
}

}  // namespace dro
