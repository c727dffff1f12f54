// What lives outside the interpreter of a filter run: the buffers the pixel
// functions work on, the single-buffer switch, a pending stop, and the paint
// script file that stays open between paint calls of one run.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "core/subsystem_state.h"

namespace dro {

// The blocks of the run in progress; all null (an empty image) between runs.
struct ScriptView {
    uint8_t* source = nullptr;       // IPL source (32)
    uint8_t* destination = nullptr;  // IPL destination (32)
    uint16_t* mask = nullptr;        // the selection mask plane, when there is one
    int32_t width = 0;
    int32_t height = 0;
};

struct ScriptState {
    ScriptView view;
    uint8_t singleBuffer = 0;  // 1: get functions read the destination
    using Clock = std::chrono::steady_clock;
    uint8_t stopping = 0;      // Escape ended the run; every later check fails
    // When "is_escape" handed the script a press: the script may end on its own, but
    // a loop that keeps asking and goes on is stopped once kEscapeGrace has passed.
    Clock::time_point escapeSeenAt{};
    int32_t stopCountdown = 0;  // pixel calls left before the next look at Escape
    std::FILE* paintFile = nullptr;
    bool fastPixelFunctions = true;  // Lua-side pixel functions over FFI views
};

inline ScriptState& scriptState() noexcept { return subsystemState<ScriptState>(); }
// Closes the paint file, forgets the view and turns the fast pixel functions back on.
void resetScriptState() noexcept;

inline constexpr std::chrono::milliseconds kEscapeGrace{500};

inline bool escapeGraceOver(const ScriptState& s) noexcept {
    return s.escapeSeenAt != ScriptState::Clock::time_point{} && ScriptState::Clock::now() - s.escapeSeenAt > kEscapeGrace;
}

// The block the get functions read: the source, or the destination in single-buffer mode.
inline const uint8_t* readBlock(const ScriptState& s) noexcept {
    return s.singleBuffer ? s.view.destination : s.view.source;
}

namespace testhooks {
// Runs later filter scripts with (true) or without (false) the fast pixel functions.
void useFastPixelFunctions(bool on) noexcept;
}  // namespace testhooks

}  // namespace dro
