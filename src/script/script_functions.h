// The native functions a filter run registers as Lua globals, in registration order,
// and the stop check they share with the host.
#pragma once

#include <lua.hpp>

#include <span>

namespace dro::script {

// "get_value" … "bit_shfl".
std::span<const luaL_Reg> pixelFunctions() noexcept;
// "paint_open" … "paint_rotate_brush".
std::span<const luaL_Reg> paintFunctions() noexcept;
// "output_debug_string", registered last.
int outputDebugString(lua_State* L);

// True once Escape has ended the run in progress (the press is consumed here).
bool stopRequested() noexcept;
// The same, asked only every so many calls: what the pixel functions use.
bool stopRequestedSometimes() noexcept;
// Records that "is_escape" gave the script a press (see ScriptState::escapeSeenAt).
void noteEscapeSeen() noexcept;
// Raises the "stopped" error in the calling script.
int raiseStopped(lua_State* L);

}  // namespace dro::script
