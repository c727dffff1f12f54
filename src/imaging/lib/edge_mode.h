// What a geometric operation of the library shows where its source runs out: the edge
// codes that offsets and transforms share.
#pragma once

#include <cstdint>

namespace dro::lib {

enum class EdgeMode : int32_t {
    transparent = 0,  // transparent black
    wrap = 1,         // the image continues from the opposite side
    background = 2,   // the background colour given to the call
    repeatEdge = 3,   // the nearest edge pixel
};

// Any other code counts as background.
constexpr EdgeMode edgeModeFromValue(int32_t value) noexcept {
    return value >= 0 && value <= 3 ? static_cast<EdgeMode>(value) : EdgeMode::background;
}

}  // namespace dro::lib
