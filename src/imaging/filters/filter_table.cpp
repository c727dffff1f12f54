#include "imaging/filters/filter_table.h"

#include <array>

#include "imaging/filters/filter_functions.h"

namespace dro {
namespace {

using namespace filters;

// One list, in the order names are compared.
constexpr std::array kFilters{
    FilterEntry{"Value Blur", valueBlur},
    FilterEntry{"Noise Reduction", noiseReduction},
    FilterEntry{"Noise Reduction RGB", noiseReductionRgb},
    FilterEntry{"Anti Alias", antiAlias},
    FilterEntry{"Grayscale", grayscale},
    FilterEntry{"Invert", invert},
    FilterEntry{"Basic Threshold", basicThreshold},
    FilterEntry{"Hyper Contrast", hyperContrast},
    FilterEntry{"Adjust RGBA", adjustRgba},
    FilterEntry{"Adjust Lab", adjustLab},
    FilterEntry{"Clamp", clampChannels},
    FilterEntry{"Channel", channel},
    FilterEntry{"Alpha Edge Color", alphaEdgeColor},
    FilterEntry{"Fader", fader},
    FilterEntry{"Detail Blur", detailBlur},
    FilterEntry{"Adaptive Blur", adaptiveBlur},
    FilterEntry{"Bas Relief", basRelief},
    FilterEntry{"Line Art Cleaner", lineArtCleaner},
    FilterEntry{"Mask High Low", maskHighLow},
    FilterEntry{"Mask Detail", maskDetail},
    FilterEntry{"Box Blur", boxBlur},
    FilterEntry{"Mirror", mirror},
    FilterEntry{"Reflection", reflection},
    FilterEntry{"Borderize", borderize},
    FilterEntry{"Vignette", vignette},
};
static_assert(kFilters.size() == kFilterCount);

constexpr bool namesDistinct() {
    for (size_t i = 0; i < kFilters.size(); ++i)
        for (size_t j = i + 1; j < kFilters.size(); ++j)
            if (kFilters[i].name == kFilters[j].name) return false;
    return true;
}
static_assert(namesDistinct());

}  // namespace

std::span<const FilterEntry> filterTable() noexcept { return kFilters; }

FilterFunction findFilter(std::string_view name) noexcept {
    for (const FilterEntry& entry : kFilters)
        if (entry.name == name) return entry.run;
    return nullptr;
}

bool runFilter(std::string_view name, FilterParams& params) {
    const FilterFunction run = findFilter(name);
    if (!run || !params.usable()) return false;
    run(params);
    return true;
}

}  // namespace dro
