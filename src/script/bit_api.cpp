// The bit functions of filter scripts: 32-bit two's-complement integers from trunc(a).
#include <cstdint>

#include "script/pixel_rules.h"
#include "script/script_functions.h"

namespace dro::script {
namespace {

int32_t intArg(lua_State* L, int index) { return int32FromNumber(lua_tonumber(L, index)); }

int pushInt(lua_State* L, int32_t value) {
    lua_pushnumber(L, value);
    return 1;
}

// Only the low five bits of a shift count are used.
int32_t shiftCount(lua_State* L) { return intArg(L, 2) & 31; }

}  // namespace

int bitNot(lua_State* L) { return pushInt(L, ~intArg(L, 1)); }
int bitAnd(lua_State* L) { return pushInt(L, intArg(L, 1) & intArg(L, 2)); }
int bitOr(lua_State* L) { return pushInt(L, intArg(L, 1) | intArg(L, 2)); }
int bitXor(lua_State* L) { return pushInt(L, intArg(L, 1) ^ intArg(L, 2)); }

// Arithmetic: the sign is copied in from the left.
int bitShiftRight(lua_State* L) { return pushInt(L, intArg(L, 1) >> shiftCount(L)); }

int bitShiftLeft(lua_State* L) {
    return pushInt(L, static_cast<int32_t>(static_cast<uint32_t>(intArg(L, 1)) << shiftCount(L)));
}

}  // namespace dro::script
