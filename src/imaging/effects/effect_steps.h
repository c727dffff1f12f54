// Steps the effects share: the IPL RGBA32 pair at the canvas's size, refreshing the
// source from the current layer, writing a block into the current layer through the
// mask, and running an in-house filter between those.
#pragma once

#include <cstdint>
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

enum class Premultiply : bool { no = false, yes = true };

// Refreshes the source, runs the in-house filter through the filter frame (in place
// 0), optionally between a premultiply of the source and an unpremultiply of the
// result, and writes the result back.
void runInHouseFilterStep(const EffectArgs& args, std::string_view filter, Premultiply premultiply);

}  // namespace dro
