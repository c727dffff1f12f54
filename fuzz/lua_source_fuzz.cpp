// Random Lua source as a filter script, run with the sandbox off and on: the loader,
// the stop checks written into loops, the restricted libraries and the pixel
// functions must neither crash nor hang. A thread presses Escape every 50 ms, so no
// run lasts long; the scripts run in a scratch folder.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "drovane.h"

namespace {

void DRO_CALL ignoreMessage(const char*, const char*, void*) {}

// Giant strings would only measure the machine's memory, and even with the sandbox
// off a random script gets no shell and deletes nothing.
constexpr char kPrelude[] = "do local rep = string.rep; string.rep = function(s, n, ...) "
                            "return rep(s, math.min(tonumber(n) or 0, 4096), ...) end end "
                            "os.execute, os.remove, os.rename = nil, nil, nil if io then io.popen = nil end ";

struct Harness {
    std::string script;
    Harness() {
        const auto dir = std::filesystem::temp_directory_path() / ("drovane_lua_fuzz_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        script = (dir / "fuzz.lua").string();
        DRO_SetMessageCallback(ignoreMessage, nullptr);
        DRO_CreateImage(nullptr, 7, 5, 16, 0);
        DRO_CreateLayer(1, 7, 5);
        DRO_SetLayer(1);
        std::thread([] {
            for (;;) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                DRO_PressEscape();
            }
        }).detach();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness harness;
    if (size < 1) return 0;
    const bool sandboxed = data[0] & 1;
    if (std::FILE* f = std::fopen(harness.script.c_str(), "wb")) {
        std::fputs(kPrelude, f);
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    auto* run = sandboxed ? DRO_LuaFilterRunSandboxed : DRO_LuaFilterRun;
    run(harness.script.c_str(), data[0], 500, 0, 1000, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0);
    return 0;
}
