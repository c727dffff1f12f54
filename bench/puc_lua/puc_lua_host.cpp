// The benchmark's reference: the same filter-script pixel functions on PUC Lua 5.1,
// with the engine's rules (pixel_rules.h) and plain C-API calls. Built as a module of
// its own and opened with RTLD_DEEPBIND, because PUC Lua and LuaJIT export the same
// lua_* names and one process cannot link both.
#include <lua.hpp>

#include <cstdint>
#include <cstring>

#include "script/pixel_rules.h"

namespace {

struct View {
    uint8_t* source = nullptr;
    uint8_t* destination = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

View view;

std::ptrdiff_t at(lua_State* L) {
    return dro::script::rgbaOffset(lua_tonumber(L, 1), lua_tonumber(L, 2), view.width, view.height);
}

int getRgb(lua_State* L) {
    const std::ptrdiff_t i = at(L);
    for (int c = 0; c < 3; ++c) lua_pushnumber(L, i < 0 ? 0.0 : dro::script::unitFromByte(view.source[i + c]));
    return 3;
}

int setRgb(lua_State* L) {
    const std::ptrdiff_t i = at(L);
    if (i >= 0) {
        for (int c = 0; c < 3; ++c) view.destination[i + c] = dro::script::byteFromUnit(lua_tonumber(L, 3 + c));
    }
    return 0;
}

int isEscape(lua_State* L) {
    lua_pushnumber(L, 0);
    return 1;
}

}  // namespace

// Runs the script over source into destination (both w x h RGBA32) as the engine's
// host does: destination starts as a copy, one fresh interpreter. Returns 0 when the
// script ran, 1 on a script error, 2 when this is not PUC Lua after all.
extern "C" __attribute__((visibility("default"))) int droPucLuaRun(const char* path, uint8_t* source,
                                                                  uint8_t* destination, int32_t width,
                                                                  int32_t height) {
    view = {source, destination, width, height};
    std::memcpy(destination, source, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    lua_State* L = luaL_newstate();
    if (!L) return 1;
    luaL_openlibs(L);
    lua_getglobal(L, "jit");
    const bool isLuaJit = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (isLuaJit) {
        lua_close(L);
        return 2;
    }
    lua_register(L, "get_rgb", getRgb);
    lua_register(L, "set_rgb", setRgb);
    lua_register(L, "is_escape", isEscape);
    const double globals[] = {double(width), double(height), 0, 0, double(width - 1), double(height - 1)};
    const char* names[] = {"width", "height", "bound_x0", "bound_y0", "bound_x1", "bound_y1"};
    for (int i = 0; i < 6; ++i) {
        lua_pushnumber(L, globals[i]);
        lua_setglobal(L, names[i]);
    }
    const int status = luaL_loadfile(L, path) || lua_pcall(L, 0, 1, 0);
    lua_close(L);
    return status ? 1 : 0;
}
