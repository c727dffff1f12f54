// What a filter script may reach of the standard libraries. Always: Lua 5.1's libraries
// without LuaJIT's additions that touch memory or machine code (ffi, jit and the like),
// without C modules or package.loadlib, without the debug functions that reach locals,
// upvalues, hooks or the registry, with os.exit raising an error instead of ending the
// host, and with text-only loading whose loops look at Escape. Sandboxed, further: no
// io, no os beyond os.time, os.clock and os.date, no require, dofile or loadfile.
#pragma once

#include <lua.hpp>

namespace dro::script {

// Applied after luaL_openlibs and after the engine took what it needs for itself.
void restrictLibraries(lua_State* L, bool sandboxed);

inline constexpr const char* kExitRefusedText = "os.exit is not available to filter scripts";

}  // namespace dro::script
