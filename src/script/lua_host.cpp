// The filter-script host: a fresh interpreter per run, the engine's functions and the
// run's settings as globals, the script run once under a protected call, and the
// destination written into the layer only when the script ran to its end.
#include "script/lua_host.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/blend_mode_table.h"
#include "core/canvas.h"
#include "core/transfer_load.h"
#include "imaging/working_buffers.h"
#include "core/mask_state.h"
#include "platform/platform.h"
#include "script/chunk_loader.h"
#include "script/fast_pixel_api.h"
#include "script/script_functions.h"
#include "script/script_libraries.h"
#include "script/script_recorder.h"
#include "script/script_state.h"

namespace dro {

namespace script {

bool stopRequested() noexcept {
    ScriptState& s = scriptState();
    if (!s.stopping && (platform::escapePressed() || escapeGraceOver(s))) s.stopping = 1;
    return s.stopping != 0;
}

void noteEscapeSeen() noexcept {
    ScriptState& s = scriptState();
    if (s.escapeSeenAt == ScriptState::Clock::time_point{}) s.escapeSeenAt = ScriptState::Clock::now();
}

bool stopRequestedSometimes() noexcept {
    ScriptState& s = scriptState();
    if (s.stopping) return true;
    if (--s.stopCountdown > 0) return false;
    s.stopCountdown = kCallsPerEscapeCheck;
    return stopRequested();
}

int raiseStopped(lua_State* L) {
    lua_pushstring(L, kStoppedText);
    return lua_error(L);
}

}  // namespace script

namespace {

// Once Escape is seen, every instruction raises again, so a script that catches the
// error with pcall cannot carry on.
void escapeHook(lua_State* L, lua_Debug*) {
    if (!script::stopRequested()) return;
    lua_sethook(L, escapeHook, LUA_MASKCOUNT, 1);
    script::raiseStopped(L);
}

// The canvas-sized RGBA32 block of a buffer, or null.
uint8_t* canvasBlock32(const WorkingBuffer& buffer) noexcept {
    const Canvas& c = canvas();
    const uint64_t bytes = uint64_t(c.width > 0 ? c.width : 0) * uint64_t(c.height > 0 ? c.height : 0) * 4;
    if (bytes == 0 || buffer.sizeBytes != bytes) return nullptr;
    return buffer.block.get();
}

uint16_t* canvasMaskPlane() noexcept {
    MaskState& m = maskState();
    return m.rowPitchBytes == canvas().width * 2 ? m.plane.get() : nullptr;
}

void setNumber(lua_State* L, const char* name, double value) {
    lua_pushnumber(L, value);
    lua_setglobal(L, name);
}

void publishGlobals(lua_State* L, const LuaFilterArguments& a) {
    const ScriptView& v = scriptState().view;
    setNumber(L, "width", v.width);
    setNumber(L, "height", v.height);
    setNumber(L, "bound_x0", 0);
    setNumber(L, "bound_y0", 0);
    setNumber(L, "bound_x1", v.width - 1);
    setNumber(L, "bound_y1", v.height - 1);
    setNumber(L, "variantVal", a.variant);
    char name[16];
    for (int i = 0; i < 6; ++i) {
        std::snprintf(name, sizeof name, "sliderVal%d", i + 1);
        setNumber(L, name, a.slider[i] * 0.001);
    }
    for (int i = 0; i < 6; ++i) {
        std::snprintf(name, sizeof name, "flagVal%d", i + 1);
        lua_pushboolean(L, a.flag[i] != 0);
        lua_setglobal(L, name);
    }
    setNumber(L, "styleVal1", static_cast<double>(a.style[0]) + 1);
    setNumber(L, "styleVal2", static_cast<double>(a.style[1]) + 1);
    for (const BlendModeEntry& mode : kBlendModes) {
        if (mode.scriptConstant.empty()) continue;
        char constant[32];
        const std::string_view c = mode.scriptConstant;
        std::snprintf(constant, sizeof constant, "%.*s", static_cast<int>(c.size()), c.data());
        setNumber(L, constant, mode.id);
    }
}

// The set-up of the interpreter, under lua_cpcall so that running out of memory
// becomes an error message rather than a panic.
int prepareInterpreter(lua_State* L) {
    const auto* a = static_cast<const LuaFilterArguments*>(lua_touserdata(L, 1));
    lua_settop(L, 0);
    luaL_openlibs(L);
    for (const luaL_Reg& f : script::pixelFunctions()) lua_register(L, f.name, f.func);
    for (const luaL_Reg& f : script::paintFunctions()) lua_register(L, f.name, f.func);
    lua_register(L, "output_debug_string", script::outputDebugString);
    publishGlobals(L, *a);
    if (scriptState().fastPixelFunctions) script::installFastPixelFunctions(L);
    script::restrictLibraries(L, a->sandboxed);
    return 0;
}

// The error text on top of the stack, cut to the 2047 characters of the message box.
void showError(lua_State* L, bool stopped) {
    char message[2048];
    if (stopped) {
        std::snprintf(message, sizeof message, "%s", kStoppedText);
    } else if (const char* text = lua_tostring(L, -1)) {
        std::snprintf(message, sizeof message, "%s", text);
    } else {
        std::snprintf(message, sizeof message, "(error object is a %s value)", luaL_typename(L, -1));
    }
    platform::messageBox(message, kLuaErrorCaption);
    lua_pop(L, 1);
}

struct InterpreterCloser {
    void operator()(lua_State* L) const noexcept { lua_close(L); }
};

// What every run ends with, whatever happened: the source catches up in single-buffer
// mode, the paint file is closed without its end line, the interpreter goes.
struct RunEnd {
    std::unique_ptr<lua_State, InterpreterCloser> interpreter;

    ~RunEnd() {
        ScriptState& s = scriptState();
        const ScriptView v = s.view;
        if (s.singleBuffer && v.source && v.destination) {
            std::memcpy(v.source, v.destination, size_t(v.width) * size_t(v.height) * 4);
        }
        closePaintFile();
        interpreter.reset();
        closePaintFile();  // a finaliser may have opened it again
        s.view = ScriptView{};
    }
};

}  // namespace

void runLuaFilter(const LuaFilterArguments& arguments) {
    if (!arguments.path) return;
    WorkingBuffers& buffers = workingBuffers();
    uint8_t* source = canvasBlock32(buffers.iplSource32);
    uint8_t* destination = canvasBlock32(buffers.iplDestination32);
    if (!source || !destination) return;

    ScriptState& s = scriptState();
    s.singleBuffer = 0;
    s.stopping = 0;
    s.escapeSeenAt = {};
    s.stopCountdown = kCallsPerEscapeCheck;
    s.view = ScriptView{source, destination, canvasMaskPlane(), canvas().width, canvas().height};
    std::memcpy(destination, source, size_t(s.view.width) * size_t(s.view.height) * 4);

    RunEnd end;
    end.interpreter.reset(luaL_newstate());
    lua_State* L = end.interpreter.get();
    if (!L) return;
    if (lua_cpcall(L, prepareInterpreter, const_cast<LuaFilterArguments*>(&arguments)) != 0) {
        showError(L, false);
        return;
    }

    if (script::loadTextFile(L, arguments.path) != 0) {
        showError(L, false);
        return;
    }
    lua_sethook(L, escapeHook, LUA_MASKCOUNT, kInstructionsPerEscapeCheck);
    const int status = lua_pcall(L, 0, 1, 0);
    lua_sethook(L, nullptr, 0, 0);
    if (status != 0 || s.stopping) {
        if (status == 0) lua_pushnil(L);
        showError(L, s.stopping != 0);
        return;
    }
    lua_settop(L, 0);
    loadRGBA32(destination, s.view.width * 4, true);
}

}  // namespace dro
