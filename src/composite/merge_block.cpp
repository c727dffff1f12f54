#include "composite/merge_block.h"

#include <array>
#include <utility>

#include "composite/merge_pixel.h"
#include "core/canvas.h"

namespace dro {
namespace {

// What the same-mode rule makes of a pixel of source alpha s.
enum class SameModeAction {
    Composite,  // as the mode composites, without the alpha-mode rewrite
    Rewrite,    // the ordinary alpha-mode rewrite
    Replace,    // the destination alpha counts as 0: the source is copied in
    Multiply,   // composite as Multiply
    Clear,      // the source alpha becomes 0
};

constexpr SameModeAction sameModeAction(int32_t mode, uint32_t s) noexcept {
    using enum SameModeAction;
    using M = BlendMode;
    if (mode < kFirstAlphaMode || mode > kLastMode) return Composite;
    const auto id = static_cast<BlendMode>(mode);
    if ((id >= M::AlphaNormal && id <= M::AlphaSmooth) || id == M::AlphaOverlayOutline) return s != 0 ? Replace : Composite;
    if (id == M::AlphaSmooth2) return s < 0x1FFF ? Clear : (s >= 0x23FF ? Replace : Multiply);
    if (id >= M::AlphaSmoothLum && id <= M::AlphaSmoothLum3) return s > 0x1FFE ? Replace : Clear;
    if (id == M::AlphaSmoothLum4 || id == M::AlphaSmoothLum5) return s > 0x1FFE ? (s >= 0x23FF ? Replace : Multiply) : Clear;
    if (id == M::AlphaHighlight) return s < 0x7F01 ? Clear : Replace;
    if (id == M::LayerMask) return Clear;
    return Rewrite;  // the luminance alphas
}

constexpr int32_t kMultiply = modeId(BlendMode::Multiply);

template <int32_t Mode>
bool sameModePixel(WorkPixel& dst, WorkPixel src, const MergeBlockCall& call, bool clearsEmpty, uint32_t o) noexcept {
    constexpr int32_t formula = formulaIndex(Mode);
    switch (sameModeAction(Mode, src.a)) {
        case SameModeAction::Rewrite:
            rewriteAlpha<Mode>(src, o);
            return compositeSource<formulaIndex(compositingModeAfterRewrite(Mode))>(dst, src, call.opacity,
                                                                                    call.alphaLock, clearsEmpty);
        case SameModeAction::Replace:
            dst.a = 0;
            return compositeSource<formula>(dst, src, call.opacity, call.alphaLock, clearsEmpty);
        case SameModeAction::Multiply:
            return compositeSource<kMultiply>(dst, src, call.opacity, call.alphaLock, clearsEmpty);
        case SameModeAction::Clear:
            src.a = 0;
            return compositeSource<formula>(dst, src, call.opacity, call.alphaLock, clearsEmpty);
        case SameModeAction::Composite:
            break;
    }
    return compositeSource<formula>(dst, src, call.opacity, call.alphaLock, clearsEmpty);
}

// The rectangle for one mode; the mode and the same-mode flag are fixed at compile
// time, so the loop holds no switch on them.
template <int32_t Mode, bool SameMode>
void mergeRows(const MergeBlockCall& call, uint32_t o) noexcept {
    const bool useMask = call.mask && call.maskMode == kModeLayerMask;
    // The empty-destination list is tested against the mode as passed.
    constexpr bool clearsEmpty = clearsEmptyDestination(Mode);
    const uint32_t preScale = static_cast<uint32_t>(call.preOpacity) + 1;
    for (int32_t r = 0; r < call.height; ++r) {
        const int64_t sourceRow = int64_t{call.sourceY + r} * call.sourceStride + int64_t{call.sourceX} * 4;
        const uint16_t* s = call.source + sourceRow;
        const uint16_t* m = useMask ? call.mask + sourceRow : nullptr;
        uint16_t* d = call.destination + int64_t{call.destinationY + r} * call.destinationStride +
                      int64_t{call.destinationX} * 4;
        for (int32_t c = 0; c < call.width; ++c, s += 4, d += 4) {
            if (skipsTransparentSource(Mode, s[3])) continue;
            uint32_t a = s[3];
            // Where the mask layer is transparent no masking applies.
            if (m && m[c * 4 + 3] > 0) a = (((uint32_t{m[c * 4]} + m[c * 4 + 1] + m[c * 4 + 2]) / 3) * a) >> 16;
            a = (preScale * a) >> 8;
            WorkPixel dst{d[0], d[1], d[2], d[3]};
            const WorkPixel src{s[0], s[1], s[2], a};
            bool written;
            if constexpr (SameMode) {
                written = sameModePixel<Mode>(dst, src, call, clearsEmpty, o);
            } else {
                WorkPixel rewritten = src;
                rewriteAlpha<Mode>(rewritten, o);
                written = compositeSource<formulaIndex(compositingModeAfterRewrite(Mode))>(
                    dst, rewritten, call.opacity, call.alphaLock, clearsEmpty);
            }
            if (!written) continue;
            d[0] = static_cast<uint16_t>(dst.r);
            d[1] = static_cast<uint16_t>(dst.g);
            d[2] = static_cast<uint16_t>(dst.b);
            if (!call.alphaLock) d[3] = static_cast<uint16_t>(dst.a);
        }
    }
}

using RowMerge = void (*)(const MergeBlockCall&, uint32_t) noexcept;

template <bool SameMode, int32_t... Modes>
constexpr std::array<RowMerge, sizeof...(Modes)> rowMerges(std::integer_sequence<int32_t, Modes...>) {
    return {{mergeRows<Modes, SameMode>...}};
}

constexpr auto kRowMerges = rowMerges<false>(std::make_integer_sequence<int32_t, kLastMode + 1>{});
constexpr auto kSameModeRowMerges = rowMerges<true>(std::make_integer_sequence<int32_t, kLastMode + 1>{});

}  // namespace

void MergeBlock(const MergeBlockCall& call) noexcept {
    if (!call.source || !call.destination || call.width <= 0 || call.height <= 0) return;
    const auto index = static_cast<size_t>(modeTableIndex(call.mode));
    const RowMerge merge = call.sameMode ? kSameModeRowMerges[index] : kRowMerges[index];
    merge(call, canvas().alphaLayerOpacity);
}

int32_t FindLayerMask(int32_t index) noexcept {
    const Canvas& c = canvas();
    if (index < 0) return 0;
    for (int32_t i = index + 1; i <= c.topLayer && i < kLayerSlotCount; ++i) {
        const LayerSlot& slot = c.layerSlots[static_cast<size_t>(i)];
        if (slot.empty() || !slot.visible) continue;
        return slot.mode == kModeLayerMask ? i : 0;
    }
    return 0;
}

}  // namespace dro
