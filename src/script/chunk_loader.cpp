#include "script/chunk_loader.h"

#include <luajit.h>

#include <cstdio>
#include <string>

#include "script/loop_polls.h"
#include "script/script_functions.h"

namespace dro::script {
namespace {

// Called every kIterationsPerStopCheck counts; the count it returns starts the next
// round. Once stopping, the caller's count stays at 1, so every later check raises.
int pollStop(lua_State* L) {
    if (stopRequested()) return raiseStopped(L);
    lua_pushnumber(L, kIterationsPerStopCheck);
    return 1;
}

// The script becomes the inner function of a chunk that first makes its poll: a Lua
// counter the JIT compiles into the loop, calling pollStop now and then. All of it sits
// on the script's first line, so line numbers stay as written.
std::string wrapped(std::string_view source) {
    const std::string poll = unusedPollName(source);
    return "local " + poll + " do local n, stop = 1, ... " + poll +
           " = function() n = n - 1 if n <= 0 then n = 1 n = stop() end end end return function(...) " +
           withLoopPolls(source, poll) + "\nend";
}

}  // namespace

int loadText(lua_State* L, const char* text, size_t size, const char* chunkName) {
    // The script as written first: its own syntax errors, and the refusal of bytecode.
    if (const int status = luaL_loadbufferx(L, text, size, chunkName, "t")) return status;
    const std::string instrumented = wrapped(std::string_view(text, size));
    if (luaL_loadbufferx(L, instrumented.data(), instrumented.size(), chunkName, "t") == 0) {
        lua_pushcfunction(L, pollStop);
        if (lua_pcall(L, 1, 1, 0) == 0) {
            lua_remove(L, -2);  // the uninstrumented chunk
            return 0;
        }
    }
    lua_pop(L, 1);  // the error of the instrumented form
    luaJIT_setmode(L, -1, LUAJIT_MODE_ALLFUNC | LUAJIT_MODE_OFF);
    return 0;
}

int loadTextFile(lua_State* L, const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        lua_pushfstring(L, "cannot open %s", path);
        return LUA_ERRFILE;
    }
    std::string text;
    char buffer[16384];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        lua_pushfstring(L, "cannot read %s", path);
        return LUA_ERRFILE;
    }
    lua_pushfstring(L, "@%s", path);
    const int status = loadText(L, text.data(), text.size(), lua_tostring(L, -1));
    lua_remove(L, -2);  // the chunk name
    return status;
}

}  // namespace dro::script
