// How the host views the canvas: zoom, offset, view size and the tracing overlay.
#pragma once

#include <cstdint>

#include "core/subsystem_state.h"

namespace dro {

struct ViewState {
    int32_t zoom = 1;        // output pixels per canvas pixel when zooming in
    float scale = 1.0f;      // canvas pixels per output pixel when zooming out
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t viewWidth = 0;   // not reset by a new canvas
    int32_t viewHeight = 0;
    uint8_t tracingMode = 0;
    // Area of interest: kept for the host, read by nothing in the engine.
    int32_t aoiX0 = 0;
    int32_t aoiY0 = 0;
    int32_t aoiX1 = 0;
    int32_t aoiY1 = 0;

    // What a new canvas resets: scale, offset and tracing.
    void resetForNewCanvas() noexcept {
        zoom = 1;
        scale = 1.0f;
        offsetX = 0;
        offsetY = 0;
        tracingMode = 0;
    }
};

inline ViewState& viewState() noexcept { return subsystemState<ViewState>(); }
inline void resetViewState() noexcept { resetSubsystemState<ViewState>(); }

}  // namespace dro
