// libvips as the benchmarks' peer: started once, with one worker and no operation cache,
// so every pass computes on one thread as ours do.
#pragma once

#ifdef DROVANE_HAVE_VIPS
#include <benchmark/benchmark.h>
#include <vips/vips.h>

namespace drobench {

inline bool startVips() {
    static const bool started = [] {
        if (VIPS_INIT("drovane_bench") != 0) return false;
        vips_concurrency_set(1);
        vips_cache_set_max(0);
        return true;
    }();
    return started;
}

// False, with the benchmark marked as skipped, when libvips did not start.
inline bool vipsReady(benchmark::State& state) {
    if (startVips()) return true;
    state.SkipWithError("libvips did not start");
    return false;
}

}  // namespace drobench
#endif
