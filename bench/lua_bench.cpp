// Filter scripts: an invert script (get_rgb/set_rgb per pixel) over 2048 x 2048 through
// DRO_LuaFilterRun, with the fast pixel functions and with the plain C functions,
// against the same script on PUC Lua 5.1 in the same run. PUC Lua lives in a module
// of its own opened with RTLD_DEEPBIND (its lua_* names clash with LuaJIT's); the
// module follows the engine's pixel rules and copies source to destination as the
// engine does, but does not write a layer, so the engine's figures carry that extra.
#include <filesystem>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "drovane.h"
#include "imaging/working_buffers.h"
#include "script/script_state.h"

namespace {

constexpr int32_t kEdge = 2048;

const char* const kInvertScript =
    "for y = bound_y0, bound_y1 do\n"
    "  for x = bound_x0, bound_x1 do\n"
    "    local r, g, b = get_rgb(x, y)\n"
    "    set_rgb(x, y, 1 - r, 1 - g, 1 - b)\n"
    "  end\n"
    "end\n";

std::string scriptFile(const char* name, const char* text) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("drovane_bench_" + std::to_string(getpid()) + "_" + name)).string();
    std::ofstream(path) << text;
    return path;
}

void setPixelCounter(benchmark::State& state) {
    const double pixels = double(kEdge) * kEdge * double(state.iterations());
    state.counters["MP/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

void openScriptCanvas() {
    drobench::openCanvas(kEdge, kEdge);
    std::vector<uint8_t> noise(size_t(kEdge) * kEdge * 4);
    uint32_t seed = 12345;
    for (auto& b : noise) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    DRO_LoadRGBA32(noise.data(), kEdge * 4, 0);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
}

// Megapixels per second of a run, kept for the ratios of the later benchmarks.
void recordRate(benchmark::State& state, const std::string& name, double seconds) {
    const double rate = double(kEdge) * kEdge * double(state.iterations()) / 1e6 / seconds;
    drobench::recordFigure(name, rate);
    if (const double puc = drobench::figure("lua.puc.mps"); puc > 0 && name != "lua.puc.mps") {
        state.counters["x_puc_lua"] = rate / puc;
    }
}

void BM_LuaInvert_PucLua51(benchmark::State& state) {
#ifdef DROVANE_PUC_LUA_MODULE
    void* module = dlopen(DROVANE_PUC_LUA_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
    using Run = int (*)(const char*, uint8_t*, uint8_t*, int32_t, int32_t);
    Run run = module ? reinterpret_cast<Run>(dlsym(module, "droPucLuaRun")) : nullptr;
    if (!run) {
        state.SkipWithError("PUC Lua module not loadable");
        return;
    }
    const std::string path = scriptFile("invert_puc.lua", kInvertScript);
    std::vector<uint8_t> source(size_t(kEdge) * kEdge * 4, 77), destination(source.size());
    int status = 0;
    const drobench::WallClock clock;
    for (auto _ : state) status |= run(path.c_str(), source.data(), destination.data(), kEdge, kEdge);
    const double seconds = clock.seconds();
    if (status != 0) {
        state.SkipWithError(status == 2 ? "the module bound to LuaJIT, not PUC Lua" : "script error");
        return;
    }
    setPixelCounter(state);
    recordRate(state, "lua.puc.mps", seconds);
    std::remove(path.c_str());
#else
    state.SkipWithError("PUC Lua 5.1 (liblua5.1-0-dev) was not found at configure time");
#endif
}

void runEngine(benchmark::State& state, bool fast, const char* text, const char* figureName) {
    openScriptCanvas();
    dro::testhooks::useFastPixelFunctions(fast);
    const std::string path = scriptFile("engine.lua", text);
    const drobench::WallClock clock;
    for (auto _ : state) DRO_LuaFilterRun(path.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const double seconds = clock.seconds();
    setPixelCounter(state);
    recordRate(state, figureName, seconds);
    dro::testhooks::useFastPixelFunctions(true);
    std::remove(path.c_str());
    drobench::closeCanvas();
}

void BM_LuaInvert_LuaJitFast(benchmark::State& state) { runEngine(state, true, kInvertScript, "lua.fast.mps"); }
void BM_LuaInvert_LuaJitCApi(benchmark::State& state) { runEngine(state, false, kInvertScript, "lua.capi.mps"); }
// What a run costs besides the script: copies, interpreter set-up, the layer write.
void BM_LuaEmptyScript(benchmark::State& state) { runEngine(state, true, "local x = 0\n", "lua.empty.mps"); }

}  // namespace

BENCHMARK(BM_LuaInvert_PucLua51)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_LuaInvert_LuaJitFast)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_LuaInvert_LuaJitCApi)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LuaEmptyScript)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
