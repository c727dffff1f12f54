#include "mask/mask_switches.h"

#include "brush/tool_settings.h"
#include "core/mask_state.h"

namespace dro {
namespace {

// Shifted as unsigned so that out-of-range channels wrap instead of overflowing.
constexpr int32_t toCanvasUnits(int32_t channel) noexcept {
    return static_cast<int32_t>(static_cast<uint32_t>(channel) << 8);
}

}  // namespace

void enableMask(uint8_t flag) noexcept { maskState().enabled = flag; }

void displayMask(uint8_t flag) noexcept { maskState().displayed = flag; }

void setMaskOptions(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                    int32_t fullRange) noexcept {
    MaskState& m = maskState();
    m.tintColour1 = {toCanvasUnits(r1), toCanvasUnits(g1), toCanvasUnits(b1)};
    m.tintColour2 = {toCanvasUnits(r2), toCanvasUnits(g2), toCanvasUnits(b2)};
    m.fullRangeTint = fullRange;
}

void setMaskMakerOn() noexcept { toolSettings().maskMakerOn = 1; }

void setEraseModeOn() noexcept { toolSettings().eraseModeOn = 1; }

}  // namespace dro
