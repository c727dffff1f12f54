#include "script/fast_pixel_api.h"

#include "script/script_functions.h"
#include "script/script_state.h"

namespace dro::script {
namespace {

// Polled by the fast functions every so many calls, as the C ones do.
extern "C" int droFastPixelStopPoll() { return stopRequested() ? 1 : 0; }

// Arguments: source, destination, single-buffer switch, mask plane (or nil), width,
// height, stop poll. Every rule mirrors pixel_rules.h; see there for the reasons.
constexpr char kSource[] = R"lua(
local src, dst, single, maskp, W, H, pollp = ...
local ffi = require("ffi")
local bit = require("bit")
local floor, ceil, fmod, huge = math.floor, math.ceil, math.fmod, math.huge
local tonumber, type, error = tonumber, type, error
local tobit, bnot, band, bor, bxor = bit.tobit, bit.bnot, bit.band, bit.bor, bit.bxor
local arshift, lshift = bit.arshift, bit.lshift

local S = ffi.cast("uint8_t*", src)
local D = ffi.cast("uint8_t*", dst)
local SB = ffi.cast("const uint8_t*", single)
local M = maskp and ffi.cast("uint16_t*", maskp)
local poll = ffi.cast("int (*)(void)", pollp)
local inv255 = 1 / 255

-- lua_tonumber: numbers as they are, numeric strings parsed, anything else 0.
local function num(v)
  if type(v) == "number" then return v end
  if type(v) == "string" then return tonumber(v) or 0 end
  return 0
end

local EVERY = 4096
local budget = EVERY
local function tick()
  budget = budget - 1
  if budget <= 0 then
    budget = EVERY
    if poll() ~= 0 then budget = 0; error("stopped", 0) end
  end
end

-- Byte offset of (x, y), or nil off the image; coordinates truncate toward zero.
local function offset(x, y)
  x = num(x); y = num(y)
  if x > -1 and x < W and y > -1 and y < H then
    local xi, yi = floor(x), floor(y)
    if xi < 0 then xi = 0 end
    if yi < 0 then yi = 0 end
    return (yi * W + xi) * 4
  end
  return nil
end

local function tobyte(v)
  local t = num(v) * 255
  if t >= 255 then return 255 end
  if t > 0 then return floor(t) end
  return 0
end

local function trunc(t)
  if t >= 0 then return floor(t) end
  return ceil(t)
end

local function int32(a)
  local t = trunc(num(a))
  if t ~= t or t == huge or t == -huge then return 0 end
  if t >= 2147483648 or t < -2147483648 then
    t = fmod(t, 4294967296)
  end
  return tobit(t)
end

function get_value(x, y)
  tick()
  local i = offset(x, y)
  if i then
    local B = SB[0] ~= 0 and D or S
    return (B[i] + B[i + 1] + B[i + 2]) / 255 * (1 / 3)
  end
  return 0 / 255 * (1 / 3)
end

function set_value(x, y, v)
  tick()
  local i = offset(x, y)
  if i then
    local b = tobyte(v)
    D[i] = b; D[i + 1] = b; D[i + 2] = b
  end
end

function get_rgb(x, y)
  tick()
  local i = offset(x, y)
  if i then
    local B = SB[0] ~= 0 and D or S
    return B[i] * inv255, B[i + 1] * inv255, B[i + 2] * inv255
  end
  return 0, 0, 0
end

function set_rgb(x, y, r, g, b)
  tick()
  local i = offset(x, y)
  if i then
    D[i] = tobyte(r); D[i + 1] = tobyte(g); D[i + 2] = tobyte(b)
  end
end

function get_alpha(x, y)
  tick()
  local i = offset(x, y)
  if i then
    local B = SB[0] ~= 0 and D or S
    return B[i + 3] * inv255
  end
  return 0
end

function set_alpha(x, y, a)
  tick()
  local i = offset(x, y)
  if i then D[i + 3] = tobyte(a) end
end

function get_rgba(x, y)
  tick()
  local i = offset(x, y)
  if i then
    local B = SB[0] ~= 0 and D or S
    return B[i] * inv255, B[i + 1] * inv255, B[i + 2] * inv255, B[i + 3] * inv255
  end
  return 0, 0, 0, 0
end

function set_rgba(x, y, r, g, b, a)
  tick()
  local i = offset(x, y)
  if i then
    D[i] = tobyte(r); D[i + 1] = tobyte(g); D[i + 2] = tobyte(b); D[i + 3] = tobyte(a)
  end
end

function get_mask(x, y)
  tick()
  local i = offset(x, y)
  if M and i then return M[i / 4] / 65535 end
  return 0
end

function set_mask(x, y, v)
  tick()
  local i = offset(x, y)
  if M and i then
    local t = trunc(num(v) * 65535)
    if t ~= t or t == huge or t == -huge then
      t = 0
    else
      t = fmod(t, 65536)
      if t < 0 then t = t + 65536 end
    end
    M[i / 4] = t
  end
end

function bit_not(a) return bnot(int32(a)) end
function bit_and(a, b) return band(int32(a), int32(b)) end
function bit_or(a, b) return bor(int32(a), int32(b)) end
function bit_xor(a, b) return bxor(int32(a), int32(b)) end
function bit_shfr(a, n) return arshift(int32(a), band(int32(n), 31)) end
function bit_shfl(a, n) return lshift(int32(a), band(int32(n), 31)) end
)lua";

}  // namespace

bool installFastPixelFunctions(lua_State* L) {
    const ScriptView& v = scriptState().view;
    if (!v.source || !v.destination) return false;
    if (luaL_loadbuffer(L, kSource, sizeof kSource - 1, "=fast pixel functions") != 0) {
        lua_pop(L, 1);
        return false;
    }
    lua_pushlightuserdata(L, v.source);
    lua_pushlightuserdata(L, v.destination);
    lua_pushlightuserdata(L, &scriptState().singleBuffer);
    if (v.mask) {
        lua_pushlightuserdata(L, v.mask);
    } else {
        lua_pushnil(L);
    }
    lua_pushnumber(L, v.width);
    lua_pushnumber(L, v.height);
    lua_pushlightuserdata(L, reinterpret_cast<void*>(&droFastPixelStopPoll));
    if (lua_pcall(L, 7, 0, 0) != 0) {  // no FFI: the C functions stay
        lua_pop(L, 1);
        return false;
    }
    return true;
}

}  // namespace dro::script
