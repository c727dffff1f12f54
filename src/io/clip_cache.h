// The one-entry cache of the transformed paste: dragging the same clip around the
// canvas does not scale and turn it again.
#pragma once

#include <cstdint>

#include "io/clip_transform.h"

namespace dro::io {

struct ClipKey {
    int32_t size = 0;      // the requested longest side
    int32_t angle = 0;     // hundredths of a degree
    int32_t filtered = 0;  // the filter flag

    bool operator==(const ClipKey&) const = default;
};

// The cached clip for key, or null when the cache is empty or holds another key.
const Clip* cachedClip(const ClipKey& key) noexcept;
// Empties the cache, then keeps a copy of clip under key.
void putCachedClip(const ClipKey& key, const Clip& clip);
void clearClipCache() noexcept;

}  // namespace dro::io
