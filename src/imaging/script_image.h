// The picture a procedural script file generates, obtained through the interpreter's
// calls in their fixed order, as RGBA32 (red first). Shared by the path effects, the
// displacement bump and the host's script rendering.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/owned_buffer.h"

namespace dro {

struct ScriptImage {
    OwnedBuffer<uint8_t> pixels;  // width x height RGBA32, stride width * 4
    int32_t width = 0;
    int32_t height = 0;

    explicit operator bool() const noexcept { return pixels && width > 0 && height > 0; }
};

// The size of the image the script at path generates; false with the reason ("line N:
// ..." for a broken script) in *reason.
bool readScriptImageSize(const char* path, int32_t& width, int32_t& height, std::string* reason);

// Generates the script's image; an empty result with the reason on failure.
ScriptImage generateScriptImage(const char* path, std::string* reason);

struct ScriptValue {
    int32_t index;
    int32_t value;
};

// Runs one built-in effect of the interpreter on an RGBA32 image (stride width * 4)
// with the values given (the rest at their defaults), swapping red and blue around the
// run as the interpreter wants. False when the effect is unknown or fails.
bool runScriptEffect(int32_t number, std::span<const ScriptValue> values, uint8_t* rgba, int32_t width, int32_t height);

struct ScriptEffectCall {
    int32_t number;
    std::span<const ScriptValue> values;
};

// Several built-in effects in one run, in order.
bool runScriptEffects(std::span<const ScriptEffectCall> calls, uint8_t* rgba, int32_t width, int32_t height);

}  // namespace dro
