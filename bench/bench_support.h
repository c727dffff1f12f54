// What the engine benchmarks share: canvases built the way a host builds them, memcpy
// baselines of the same bytes, figures passed between benchmarks of one run, and the
// process's memory high-water mark.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace drobench {

// A canvas of width x height with the background layer (slot 1) visible, Normal,
// opaque and current. Releases whatever an earlier benchmark left first.
void openCanvas(int32_t width, int32_t height);
// Ends the canvas and returns every subsystem to its state at load, so the next
// benchmark starts from released memory.
void closeCanvas();

// Copies bytes from one pre-faulted buffer to another each iteration (split over the
// OpenMP threads when allThreads), reports read + written bytes, and records its
// bandwidth under name for the benchmarks that follow.
void runMemcpyBaseline(benchmark::State& state, const std::string& name, std::size_t bytes, bool allThreads);

// Figures recorded earlier in this run (0 when the benchmark that records it did not run).
void recordFigure(const std::string& name, double value);
double figure(const std::string& name);

// Sets counter key to the ratio of bytesPerSecond to the bandwidth recorded under
// baseline, when that baseline ran earlier in this run.
void reportRatioTo(benchmark::State& state, const std::string& key, const std::string& baseline,
                   double bytesPerSecond);

// Wall-clock time of a timed loop, for figures that compare benchmarks: the library's
// own timer is not readable from inside the benchmark.
class WallClock {
public:
    WallClock() : start_(std::chrono::steady_clock::now()) {}
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

// CPU time (user + system) of the calling thread: the figure that stays meaningful when
// other processes share the cores. File reads and writes to the page cache count here.
class ThreadCpuClock {
public:
    ThreadCpuClock() : start_(now()) {}
    double seconds() const { return now() - start_; }

private:
    static double now();
    double start_;
};

// VmHWM and VmRSS of this process in bytes (0 when /proc is unreadable).
std::int64_t peakRssBytes();
std::int64_t currentRssBytes();
// Minor page faults this process has taken so far: fresh memory is paid for here.
std::int64_t minorPageFaults();
// Starts a new high-water mark at the current RSS; false when the kernel refuses.
bool resetPeakRss();

// A small deterministic hash for test patterns.
constexpr std::uint32_t mix(std::uint32_t v) noexcept {
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

// A photo-like RGBA32 picture (gradients with noise, alpha opaque or half), packed rows:
// the input the filter and resampling benchmarks share with their peers.
std::vector<std::uint8_t> photoLikePicture(std::int32_t width, std::int32_t height);

}  // namespace drobench
