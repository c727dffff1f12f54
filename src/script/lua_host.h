// Runs one filter script over the current layer through the IPL RGBA32 buffers.
#pragma once

#include <array>
#include <cstdint>

namespace dro {

struct LuaFilterArguments {
    const char* path = nullptr;
    int32_t variant = 0;
    std::array<int32_t, 6> slider{};  // 0..1000
    std::array<int32_t, 2> style{};   // 0-based
    std::array<uint8_t, 6> flag{};
    bool sandboxed = false;  // no io, no os beyond the clock, no file loading
};

// Nothing without both IPL RGBA32 buffers or without a path. Load and run errors are
// shown once in a "Lua Script Error" message box and leave the layer as the script's
// own "flush" and "merge" calls left it.
void runLuaFilter(const LuaFilterArguments& arguments);

inline constexpr const char* kLuaErrorCaption = "Lua Script Error";
// The error text of a run that Escape ended.
inline constexpr const char* kStoppedText = "stopped";
// Instructions between two looks at the Escape key while the script is interpreted.
inline constexpr int kInstructionsPerEscapeCheck = 10000;
// Pixel-function calls between two looks at it (compiled code runs no hook).
inline constexpr int kCallsPerEscapeCheck = 4096;

}  // namespace dro
