#include "composite/merge_pixel.h"

#include <array>
#include <utility>

#include "core/canvas.h"

namespace dro {

namespace {

template <int32_t... Modes>
constexpr std::array<PixelMerge, sizeof...(Modes)> pixelMerges(std::integer_sequence<int32_t, Modes...>) {
    return {{mergeSourcePixel<Modes>...}};
}

template <int32_t... Formulas>
constexpr std::array<SourceComposite, sizeof...(Formulas)> sourceComposites(
    std::integer_sequence<int32_t, Formulas...>) {
    return {{compositeSource<Formulas>...}};
}

constexpr auto kPixelMerges = pixelMerges(std::make_integer_sequence<int32_t, kLastMode + 1>{});
constexpr auto kSourceComposites = sourceComposites(std::make_integer_sequence<int32_t, kNormalFormulaIndex + 1>{});

static_assert(!isAlphaMode(kUnassignedMode) && formulaIndex(kUnassignedMode) == kNormalFormulaIndex);

}  // namespace

PixelMerge pixelMergeFor(int32_t mode) noexcept { return kPixelMerges[static_cast<size_t>(modeTableIndex(mode))]; }

SourceComposite sourceCompositeFor(int32_t mode) noexcept {
    return kSourceComposites[static_cast<size_t>(formulaIndex(mode))];
}

void mergePixel(uint32_t& dR, uint32_t& dG, uint32_t& dB, uint32_t& dA, uint32_t sR, uint32_t sG, uint32_t sB,
                uint32_t sA, int32_t mode, int32_t opacity, bool alphaLock) noexcept {
    WorkPixel dst = {dR, dG, dB, dA};
    if (!pixelMergeFor(mode)(dst, {sR, sG, sB, sA}, opacity, alphaLock, canvas().alphaLayerOpacity)) return;
    dR = dst.r;
    dG = dst.g;
    dB = dst.b;
    if (!alphaLock) dA = dst.a;
}

}  // namespace dro
