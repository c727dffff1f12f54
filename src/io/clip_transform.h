// Scaling, turning and framing pasted clips (RGBA32, packed rows top first). Each
// returns its result, or nothing when the step cannot run (bad size, no memory); the
// callers keep the clip as it was then.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "core/rect.h"
#include "imaging/lib/codecs/codec_types.h"

namespace dro::io {

using Clip = codecs::PixelImage;

enum class Filtering : bool { plain = false, smooth = true };

// The clip scaled so its longer side (the height when both are equal) becomes
// longestSide; nullopt when the scale is 1 or cannot be done. Smooth resampling works
// on premultiplied colour so transparent pixels lend none.
std::optional<Clip> scaleClip(const Clip& clip, int32_t longestSide, Filtering filtering);

// The frame a w x h picture needs when turned by radians.
void rotatedPixelSize(float radians, int32_t width, int32_t height, int32_t& newWidth, int32_t& newHeight) noexcept;
// The clip turned about its centre by radians (counter-clockwise as seen on screen)
// in a frame large enough to hold it; outside the clip is transparent black.
std::optional<Clip> rotateClip(const Clip& clip, float radians, Filtering filtering);
// Hundredths of a degree as the radians the paste turns by; 0 and 36000 do not turn.
bool angleTurns(int32_t hundredths) noexcept;
float angleRadians(int32_t hundredths) noexcept;

// The clip scaled to fit a side x side square and centred in it on transparent black.
// nullopt for a side below 1.
std::optional<Clip> fitIntoSquare(const Clip& clip, int32_t side);

// The paste point moved back by half the clip's extent so the clip is centred on it;
// saturated, so a point far off the canvas stays off it instead of wrapping onto it.
inline int32_t centredOn(int32_t point, int32_t extent) noexcept {
    return saturated(int64_t{point} - extent / 2);
}

}  // namespace dro::io
