// Lua-side versions of the plain pixel and bit functions, over FFI views of the run's
// buffers, so the JIT compiles a script's pixel loop whole instead of leaving it for
// a C call per pixel. They follow the C functions' rules to the bit (pixel_rules.h);
// the C functions stay the reference and a test holds the two together.
#pragma once

#include <lua.hpp>

namespace dro::script {

// Replaces the globals of the plain functions (get_value … set_mask, bit_*) in L with
// their fast versions over the current view. False, leaving the C functions in
// place, when the interpreter has no FFI. Runs inside a protected call.
bool installFastPixelFunctions(lua_State* L);

}  // namespace dro::script
