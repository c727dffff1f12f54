#include "io/clip_cache.h"

#include "core/subsystem_state.h"

namespace dro::io {
namespace {

struct ClipCache {
    Clip clip;  // empty pixels: nothing cached
    ClipKey key;
};

ClipCache& cache() noexcept { return subsystemState<ClipCache>(); }

}  // namespace

const Clip* cachedClip(const ClipKey& key) noexcept {
    ClipCache& c = cache();
    return (!c.clip.empty() && c.key == key) ? &c.clip : nullptr;
}

void putCachedClip(const ClipKey& key, const Clip& clip) {
    ClipCache& c = cache();
    clearClipCache();
    c.clip = clip;
    c.key = key;
}

void clearClipCache() noexcept { resetSubsystemState<ClipCache>(); }

}  // namespace dro::io
