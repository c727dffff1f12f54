#include "bench_support.h"

#include <sys/resource.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <vector>

#include "engine/engine_lifecycle.h"
#include "drovane.h"

namespace drobench {
namespace {

std::map<std::string, double>& figures() {
    static std::map<std::string, double> table;
    return table;
}

std::int64_t statusKilobytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t keyLength = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, keyLength, key) == 0) return std::stoll(line.substr(keyLength)) * 1024;
    }
    return 0;
}

void copyAllThreads(std::uint8_t* destination, const std::uint8_t* source, std::size_t bytes) {
    // Contiguous slices, one per thread, as the engine's static row schedule gives.
    constexpr std::size_t kSlice = std::size_t{1} << 20;
    const auto slices = static_cast<std::int64_t>((bytes + kSlice - 1) / kSlice);
#pragma omp parallel for schedule(static)
    for (std::int64_t s = 0; s < slices; ++s) {
        const std::size_t begin = static_cast<std::size_t>(s) * kSlice;
        const std::size_t length = begin + kSlice <= bytes ? kSlice : bytes - begin;
        std::memcpy(destination + begin, source + begin, length);
    }
}

}  // namespace

double ThreadCpuClock::now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void openCanvas(int32_t width, int32_t height) {
    closeCanvas();
    DRO_CreateImage(nullptr, width, height, 64, 0);
    DRO_CreateLayer(1, width, height);
    DRO_SetLayerOptions(1, 1, 0, 100, "Normal");
    DRO_SetLayer(1);
}

void closeCanvas() {
    DRO_DeleteImage();
    dro::resetEngine();
}

void runMemcpyBaseline(benchmark::State& state, const std::string& name, std::size_t bytes, bool allThreads) {
    // Value-initialised, so every page is faulted in before timing starts.
    std::vector<std::uint8_t> source(bytes);
    std::vector<std::uint8_t> destination(bytes);
    for (std::size_t i = 0; i < bytes; i += 4096) source[i] = static_cast<std::uint8_t>(mix(static_cast<std::uint32_t>(i)));
    const WallClock clock;
    for (auto _ : state) {
        if (allThreads) {
            copyAllThreads(destination.data(), source.data(), bytes);
        } else {
            std::memcpy(destination.data(), source.data(), bytes);
        }
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    const double seconds = clock.seconds();
    const auto moved = static_cast<std::int64_t>(bytes) * 2;  // read + written
    state.SetBytesProcessed(state.iterations() * moved);
    if (seconds > 0) recordFigure(name, static_cast<double>(state.iterations()) * static_cast<double>(moved) / seconds);
}

void recordFigure(const std::string& name, double value) { figures()[name] = value; }

double figure(const std::string& name) {
    const auto found = figures().find(name);
    return found == figures().end() ? 0.0 : found->second;
}

void reportRatioTo(benchmark::State& state, const std::string& key, const std::string& baseline,
                   double bytesPerSecond) {
    const double reference = figure(baseline);
    if (reference > 0) state.counters[key] = bytesPerSecond / reference;
}

std::int64_t peakRssBytes() { return statusKilobytes("VmHWM:"); }
std::int64_t currentRssBytes() { return statusKilobytes("VmRSS:"); }

std::int64_t minorPageFaults() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return usage.ru_minflt;
}

bool resetPeakRss() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

std::vector<std::uint8_t> photoLikePicture(std::int32_t width, std::int32_t height) {
    std::vector<std::uint8_t> b(std::size_t(width) * height * 4);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t h = mix(static_cast<std::uint32_t>(y * width + x));
            std::uint8_t* p = &b[(std::size_t(y) * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(x / 16 + (h & 15));
            p[1] = static_cast<std::uint8_t>(y / 16 + ((h >> 4) & 15));
            p[2] = static_cast<std::uint8_t>((x + y) / 32 + ((h >> 8) & 31));
            p[3] = static_cast<std::uint8_t>((h >> 16) & 1 ? 255 : 128 + ((h >> 17) & 127));
        }
    return b;
}

}  // namespace drobench
