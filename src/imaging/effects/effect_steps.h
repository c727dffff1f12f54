// Steps the effects share: the IPL RGBA32 pair at the canvas's size, refreshing the
// source from the current layer, writing a block into the current layer through the
// mask, and running an in-house filter between those.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "imaging/effects/effect_args.h"

namespace dro {

struct IplPair {
    uint8_t* source = nullptr;
    uint8_t* destination = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    explicit operator bool() const noexcept { return source && destination; }
};

// The IPL RGBA32 source and destination when both exist at the canvas's size.
IplPair iplPair() noexcept;

// Writes a canvas-sized RGBA32 block into the current layer through the mask (the
// part of the layer the canvas covers), then re-reads the layer into the source so a
// following step starts from the result.
void writeBackAndRefresh(const uint8_t* block);

// Premultiplies an RGBA32 block for neighbourhood work. The colour of fully
// transparent pixels is zeroed first: premultiplying leaves it as it was, and a blur
// would otherwise spread it into visible neighbours.
void premultiplyForNeighbourhood(uint8_t* block, int32_t width, int32_t height) noexcept;

// Passes a canvas-sized RGBA32 block through the mask and texture and merges it into
// the current layer in blend mode `mode` at opacity 0..255, honouring the layer's alpha
// lock; then refreshes the source. False when nothing could be merged.
bool mergeIntoLayer(uint8_t* block, int32_t mode, int32_t opacity);

// Runs work(source24, destination24, width, height) on the layer as RGB24 and writes
// the result back through the mask (alpha kept); the 24-bit buffers are freed by the
// effect command's clean-up. False when a buffer could not be had or the work failed.
bool runRgb24Step(const std::function<bool(const uint8_t*, uint8_t*, int32_t, int32_t)>& work);

// Frees the IPL source (24) and destination (24).
void releaseRgb24Buffers() noexcept;

// The current layer into the IPL source (32).
void updateSourceFromLayer();
void unpremultiplyBlock(uint8_t* block, int32_t width, int32_t height) noexcept;

enum class Premultiply : bool { no = false, yes = true };

// Refreshes the source, runs the in-house filter through the filter frame (in place
// 0), optionally between a premultiply of the source and an unpremultiply of the
// result, and writes the result back.
void runInHouseFilterStep(const EffectArgs& args, std::string_view filter, Premultiply premultiply);

// Refreshes the source from the current layer, runs work(pair) on the source in place
// and writes the source back: the frame of the per-pixel tone and colour effects.
template <class Work>
void runOnLayerCopy(Work&& work) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    work(pair);
    writeBackAndRefresh(pair.source);
}

// Refreshes the source, runs a library call from source to destination (work(source,
// destination, width, height) returning false when it failed), optionally between a
// premultiply of the source and an unpremultiply of the result, and writes the
// result back. A failed call writes nothing.
template <class Work>
void runLibraryStep(Premultiply premultiply, Work&& work) {
    const IplPair pair = iplPair();
    if (!pair) return;
    updateSourceFromLayer();
    if (premultiply == Premultiply::yes) premultiplyForNeighbourhood(pair.source, pair.width, pair.height);
    if (!work(pair.source, pair.destination, pair.width, pair.height)) return;
    if (premultiply == Premultiply::yes) unpremultiplyBlock(pair.destination, pair.width, pair.height);
    writeBackAndRefresh(pair.destination);
}

}  // namespace dro
