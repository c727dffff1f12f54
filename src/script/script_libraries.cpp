#include "script/script_libraries.h"

#include <cstring>
#include <string>
#include <string_view>

#include "script/chunk_loader.h"

namespace dro::script {
namespace {

// Modules a script may find in package.loaded; everything else (ffi, jit, jit.*,
// string.buffer, …) is dropped, and nothing stays preloaded.
constexpr std::string_view kKeptModules[] = {"_G", "package", "coroutine", "string", "table",
                                             "math", "io",      "os",        "debug",  "bit"};

// The debug functions that only describe; the rest reach into other functions' state.
constexpr const char* kKeptDebugFunctions[] = {"getinfo", "traceback"};

bool kept(std::string_view name) {
    for (std::string_view k : kKeptModules) {
        if (k == name) return true;
    }
    return false;
}

// t[name] = nil for every string key of the table at index that fails the filter.
template <class Keep>
void dropKeys(lua_State* L, int index, Keep keep) {
    index = lua_gettop(L) + index + 1;
    for (bool again = true; again;) {
        again = false;
        lua_pushnil(L);
        while (lua_next(L, index) != 0) {
            lua_pop(L, 1);
            if (lua_type(L, -1) == LUA_TSTRING && !keep(std::string_view(lua_tostring(L, -1)))) {
                lua_pushnil(L);
                lua_rawset(L, index);  // pops the key; restart, the traversal is void now
                again = true;
                break;
            }
        }
    }
}

int refuseExit(lua_State* L) { return luaL_error(L, "%s", kExitRefusedText); }

// loadstring(s [, chunkname]) and load(s or reader [, chunkname [, mode [, env]]]):
// nil and the message on failure, as the originals.
int pushLoaded(lua_State* L, const std::string& text, const char* chunkName, int envIndex) {
    if (loadText(L, text.data(), text.size(), chunkName) != 0) {
        lua_pushnil(L);
        lua_insert(L, -2);
        return 2;
    }
    if (envIndex > 0 && !lua_isnoneornil(L, envIndex)) {
        lua_pushvalue(L, envIndex);
        lua_setfenv(L, -2);
    }
    return 1;
}

int loadString(lua_State* L) {
    size_t size = 0;
    const char* text = luaL_checklstring(L, 1, &size);
    return pushLoaded(L, std::string(text, size), luaL_optstring(L, 2, text), 0);
}

int load(lua_State* L) {
    std::string text;
    const char* defaultName = "=(load)";
    if (lua_type(L, 1) == LUA_TSTRING) {
        size_t size = 0;
        const char* s = lua_tolstring(L, 1, &size);
        text.assign(s, size);
        defaultName = s;
    } else {
        luaL_checktype(L, 1, LUA_TFUNCTION);
        for (;;) {
            lua_pushvalue(L, 1);
            lua_call(L, 0, 1);
            if (lua_isnil(L, -1)) break;
            if (!lua_isstring(L, -1)) return luaL_error(L, "reader function must return a string");
            size_t size = 0;
            const char* piece = lua_tolstring(L, -1, &size);
            if (size == 0) break;
            text.append(piece, size);
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
    }
    const std::string name = luaL_optstring(L, 2, defaultName);
    return pushLoaded(L, text, name.c_str(), 4);
}

int loadFile(lua_State* L) {
    const char* path = luaL_checkstring(L, 1);  // no file name would mean standard input
    if (loadTextFile(L, path) != 0) {
        lua_pushnil(L);
        lua_insert(L, -2);
        return 2;
    }
    if (!lua_isnoneornil(L, 3)) {
        lua_pushvalue(L, 3);
        lua_setfenv(L, -2);
    }
    return 1;
}

int doFile(lua_State* L) {
    const char* path = luaL_checkstring(L, 1);
    const int base = lua_gettop(L);
    if (loadTextFile(L, path) != 0) return lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - base;
}

// The Lua-file searcher of require, through loadTextFile; the package table is its
// upvalue, so its path is read where require reads it.
int searchLuaFile(lua_State* L) {
    std::string name = luaL_checkstring(L, 1);
    for (char& c : name) c = c == '.' ? '/' : c;
    lua_getfield(L, lua_upvalueindex(1), "path");
    const char* pathList = lua_tostring(L, -1);
    std::string tried;
    for (std::string_view rest = pathList ? pathList : ""; !rest.empty();) {
        const size_t semicolon = rest.find(';');
        std::string candidate(rest.substr(0, semicolon));
        rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
        if (candidate.empty()) continue;
        for (size_t at; (at = candidate.find('?')) != std::string::npos;) candidate.replace(at, 1, name);
        if (std::FILE* f = std::fopen(candidate.c_str(), "r")) {
            std::fclose(f);
            if (loadTextFile(L, candidate.c_str()) != 0) {
                return luaL_error(L, "error loading module '%s' from file '%s':\n\t%s", lua_tostring(L, 1),
                                  candidate.c_str(), lua_tostring(L, -1));
            }
            return 1;
        }
        tried += "\n\tno file '" + candidate + "'";
    }
    lua_pushstring(L, tried.c_str());
    return 1;
}

void setField(lua_State* L, int table, const char* name, lua_CFunction f) {
    lua_pushcfunction(L, f);
    lua_setfield(L, table < 0 ? table - 1 : table, name);
}

void setGlobalNil(lua_State* L, const char* name) {
    lua_pushnil(L);
    lua_setglobal(L, name);
}

void restrictPackage(lua_State* L) {
    lua_getglobal(L, "package");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    lua_pushnil(L);
    lua_setfield(L, -2, "loadlib");
    lua_pushstring(L, "");
    lua_setfield(L, -2, "cpath");
    lua_newtable(L);
    lua_setfield(L, -2, "preload");
    // Searchers: the (now empty) preload table, then Lua files; no C libraries.
    lua_getfield(L, -1, "loaders");
    lua_newtable(L);
    if (lua_istable(L, -2)) {
        lua_rawgeti(L, -2, 1);
        lua_rawseti(L, -2, 1);
    }
    lua_pushvalue(L, -3);
    lua_pushcclosure(L, searchLuaFile, 1);
    lua_rawseti(L, -2, 2);
    lua_setfield(L, -3, "loaders");
    lua_pop(L, 1);
    lua_getfield(L, -1, "loaded");
    if (lua_istable(L, -1)) {
        // The hidden modules stay alive in the registry, out of the script's reach:
        // the engine's fast pixel functions hold FFI objects whose module must outlive them.
        lua_newtable(L);
        lua_pushnil(L);
        while (lua_next(L, -3) != 0) {
            if (lua_type(L, -2) == LUA_TSTRING && !kept(std::string_view(lua_tostring(L, -2)))) {
                lua_pushvalue(L, -2);
                lua_insert(L, -2);
                lua_rawset(L, -4);
            } else {
                lua_pop(L, 1);
            }
        }
        lua_setfield(L, LUA_REGISTRYINDEX, "drovane.hidden modules");
        dropKeys(L, -1, kept);
    }
    lua_pop(L, 2);
}

void restrictDebug(lua_State* L) {
    lua_getglobal(L, "debug");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    dropKeys(L, -1, [](std::string_view name) {
        for (const char* k : kKeptDebugFunctions) {
            if (name == k) return true;
        }
        return false;
    });
    lua_pop(L, 1);
}

// os keeps only the clock and the calendar; io, require and file loading go.
void applySandbox(lua_State* L) {
    for (const char* name : {"io", "require", "dofile", "loadfile", "module", "package"}) setGlobalNil(L, name);
    lua_getglobal(L, "os");
    if (lua_istable(L, -1)) {
        dropKeys(L, -1, [](std::string_view name) { return name == "time" || name == "clock" || name == "date"; });
    }
    lua_pop(L, 1);
    lua_getfield(L, LUA_REGISTRYINDEX, "_LOADED");
    if (lua_istable(L, -1)) {
        lua_pushnil(L);
        lua_setfield(L, -2, "io");
        lua_pushnil(L);
        lua_setfield(L, -2, "package");
    }
    lua_pop(L, 1);
}

}  // namespace

void restrictLibraries(lua_State* L, bool sandboxed) {
    setGlobalNil(L, "jit");
    restrictPackage(L);
    restrictDebug(L);
    lua_getglobal(L, "os");
    if (lua_istable(L, -1)) setField(L, -1, "exit", refuseExit);
    lua_pop(L, 1);
    lua_pushcfunction(L, load);
    lua_setglobal(L, "load");
    lua_pushcfunction(L, loadString);
    lua_setglobal(L, "loadstring");
    lua_pushcfunction(L, loadFile);
    lua_setglobal(L, "loadfile");
    lua_pushcfunction(L, doFile);
    lua_setglobal(L, "dofile");
    if (sandboxed) applySandbox(L);
}

}  // namespace dro::script
