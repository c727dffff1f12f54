#include "io/clip_cache.h"

namespace dro::io {
namespace {

struct ClipCache {
    Clip clip;  // empty pixels: nothing cached
    ClipKey key;
};

ClipCache gCache;

}  // namespace

const Clip* cachedClip(const ClipKey& key) noexcept {
    return (!gCache.clip.empty() && gCache.key == key) ? &gCache.clip : nullptr;
}

void putCachedClip(const ClipKey& key, const Clip& clip) {
    clearClipCache();
    gCache.clip = clip;
    gCache.key = key;
}

void clearClipCache() noexcept { gCache = ClipCache{}; }

}  // namespace dro::io
