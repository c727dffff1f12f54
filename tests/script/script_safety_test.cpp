// What a hostile filter script cannot do: load bytecode, reach LuaJIT's FFI or the JIT,
// load C code, end the host, touch files or the system when sandboxed, or run on after
// Escape in a loop the JIT compiled.
#include <chrono>
#include <string>

#include "platform/platform.h"
#include "script/script_fixture.h"

namespace {

class ScriptSafetyTest : public ScriptTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ScriptTest::SetUp();
        while (dro::platform::escapePressed()) {
        }
        dro::testhooks::useFastPixelFunctions(GetParam());
        openImage(3, 2, randomRGBA32(3, 2, 4));
    }

    void runSandboxed(const std::string& text) {
        const std::string path = writeScript(text);
        DRO_LuaFilterRunSandboxed(path.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    }

    // The texts of the message boxes the run showed, joined by "|".
    std::string shown() const {
        std::string out;
        for (const auto& m : messages()) out += (out.empty() ? "" : "|") + m.text;
        return out;
    }

    // Runs a loop that would take seconds with Escape already pressed: it must stop.
    void expectStoppedSoon(const std::string& text) {
        messages().clear();
        dro::platform::pressEscape();
        const auto start = std::chrono::steady_clock::now();
        run(text);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(shown(), "stopped") << text;
        EXPECT_LT(took, std::chrono::seconds(1)) << text;
    }
};

}  // namespace

TEST_P(ScriptSafetyTest, BytecodeIsRefusedByEveryLoader) {
    const std::string chunk = (dir() / "chunk.luac").string();
    run("local f = string.dump(function() return 1 end)\n"
        "local h = io.open([[" + chunk + "]], 'wb'); h:write(f); h:close()\n"
        "local tampered = f:sub(1, 12) .. string.rep('\\255', #f - 12)\n"
        "local results = {load(f) == nil, loadstring(tampered) == nil, loadfile([[" + chunk + "]]) == nil,\n"
        "  not pcall(dofile, [[" + chunk + "]]), load(function() local s = f; f = nil; return s end) == nil}\n"
        "for i, r in ipairs(results) do message_box(tostring(r), 'r') end\n");
    EXPECT_EQ(shown(), "true|true|true|true|true");
}

TEST_P(ScriptSafetyTest, LuaJitExtensionsAndCCodeAreOutOfReach) {
    run("local seen = {}\n"
        "local function add(name, v) if v ~= nil and v ~= false then seen[#seen + 1] = name end end\n"
        "add('jit', jit) add('ffi', select(2, pcall(require, 'ffi')) == package.loaded.ffi and package.loaded.ffi)\n"
        "add('require ffi', pcall(require, 'ffi')) add('require jit.util', pcall(require, 'jit.util'))\n"
        "add('loadlib', package.loadlib) add('cpath', package.cpath ~= '')\n"
        "for name in pairs(package.preload) do add('preload ' .. name, true) end\n"
        "for _, f in ipairs({'getupvalue', 'setupvalue', 'getlocal', 'getregistry', 'sethook', 'setmetatable'}) do\n"
        "  add('debug.' .. f, debug[f]) end\n"
        "add('require C module', pcall(require, 'socket.core'))\n"
        "message_box(table.concat(seen, ','), 'seen')\n"
        "set_value(0, 0, 1)\n");
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(layer32(3, 2)[0], 255);  // the pixel functions still work
}

TEST_P(ScriptSafetyTest, OsExitIsAScriptErrorAndTheHostCarriesOn) {
    const auto before = layerPixels(1, 3, 2);
    run("set_value(0, 0, 1)\nos.exit(3)\n");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].text.find("os.exit is not available"), std::string::npos) << messages()[0].text;
    EXPECT_EQ(messages()[0].caption, "Lua Script Error");
    EXPECT_EQ(layerPixels(1, 3, 2), before);
}

TEST_P(ScriptSafetyTest, TheSandboxLeavesTheClockAndTakesFilesAndTheSystem) {
    const std::string probe =
        "local t = {}\n"
        "for _, n in ipairs({'io', 'require', 'dofile', 'loadfile', 'package', 'module'}) do\n"
        "  t[#t + 1] = n .. '=' .. type(_G[n]) end\n"
        "for _, n in ipairs({'execute', 'remove', 'rename', 'getenv', 'tmpname', 'time', 'clock', 'date'}) do\n"
        "  t[#t + 1] = n .. '=' .. type(os[n]) end\n"
        "t[#t + 1] = 'load=' .. type(load('return 1'))\n"
        "message_box(table.concat(t, ' '), 'probe')\n";
    runSandboxed(probe);
    EXPECT_EQ(shown(),
              "io=nil require=nil dofile=nil loadfile=nil package=nil module=nil execute=nil remove=nil rename=nil "
              "getenv=nil tmpname=nil time=function clock=function date=function load=function");
    messages().clear();
    run(probe);  // the library default keeps the standard libraries
    EXPECT_EQ(shown(),
              "io=table require=function dofile=function loadfile=function package=table module=function "
              "execute=function remove=function rename=function getenv=function tmpname=function time=function "
              "clock=function date=function load=function");
}

TEST_P(ScriptSafetyTest, CompiledLoopsStopOnEscapeWhateverTheirShape) {
    expectStoppedSoon("local n = 0\nwhile n < 3e9 do n = n + 1 end\n");
    expectStoppedSoon("for i = 1, 3e9 do end\n");
    expectStoppedSoon("local i = 0\nrepeat i = i + 1 until i > 3e9\n");
    expectStoppedSoon("local i = 0\n::top:: i = i + 1\nif i < 3e9 then goto top end\n");
    expectStoppedSoon("local function f(i) if i < 3e9 then return f(i + 1) end end\nf(0)\n");
    expectStoppedSoon("loadstring('for i = 1, 3e9 do end')()\n");
    expectStoppedSoon("coroutine.wrap(function() for i = 1, 3e9 do end end)()\n");
    expectStoppedSoon("for k = 1, 3 do pcall(function() for i = 1, 3e9 do end end) end\n");
}

TEST_P(ScriptSafetyTest, ALoopThatAsksForEscapeItselfIsStoppedAfterAGrace) {
    expectStoppedSoon("for i = 1, 1e9 do is_escape() end\n");
}

INSTANTIATE_TEST_SUITE_P(PlainAndFast, ScriptSafetyTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Fast" : "Plain"; });
