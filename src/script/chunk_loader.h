// Loading script text: text only (a precompiled chunk is not checked by the loader
// and can crash it), with the stop checks of loop_polls.h bound in.
#pragma once

#include <lua.hpp>

#include <cstddef>

namespace dro::script {

// Compiles text under the chunk name (as lua_load takes it) and pushes the function,
// or pushes the error message and returns non-zero. Binary chunks are refused. The
// function's loops look at the stop flag; should the instrumented text not compile
// (a function already at the upvalue limit), the chunk runs without the JIT instead,
// where the instruction hook sees it.
int loadText(lua_State* L, const char* text, size_t size, const char* chunkName);

// The same for a file, named "@path" as luaL_loadfile names it.
int loadTextFile(lua_State* L, const char* path);

// How many loop iterations or function entries pass between two looks at the flag.
inline constexpr int kIterationsPerStopCheck = 1000;

}  // namespace dro::script
