// The Linux backend. There is no desktop composition, window placement or system
// colour service a library can reach without the host's toolkit, so those answer as
// an unthemed Windows desktop at 96 dpi does, and window placement reports failure.
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace dro::platform {
namespace {

// Values in kB from /proc/meminfo ("MemTotal:  16318464 kB").
struct MemInfo {
    uint64_t memTotal = 0;
    uint64_t memAvailable = 0;
    uint64_t swapTotal = 0;
    uint64_t swapFree = 0;
};

MemInfo readMemInfo() noexcept {
    MemInfo info;
    FILE* file = std::fopen("/proc/meminfo", "r");
    if (!file) return info;
    char key[64];
    unsigned long long value = 0;
    while (std::fscanf(file, "%63s %llu kB", key, &value) == 2) {
        if (std::strcmp(key, "MemTotal:") == 0) info.memTotal = value;
        else if (std::strcmp(key, "MemAvailable:") == 0) info.memAvailable = value;
        else if (std::strcmp(key, "SwapTotal:") == 0) info.swapTotal = value;
        else if (std::strcmp(key, "SwapFree:") == 0) info.swapFree = value;
    }
    std::fclose(file);
    return info;
}

// The process's mapped size in kB from /proc/self/statm (pages).
uint64_t mappedKB() noexcept {
    FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file) return 0;
    unsigned long long pages = 0;
    const int read = std::fscanf(file, "%llu", &pages);
    std::fclose(file);
    if (read != 1) return 0;
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

// A 64-bit Linux process has 128 TiB of user address space unless limited.
uint64_t addressSpaceBytes() noexcept {
    constexpr uint64_t kUserSpace = uint64_t{1} << 47;
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < kUserSpace) {
        return limit.rlim_cur;
    }
    return kUserSpace;
}

}  // namespace

MemoryStatus memoryStatus() noexcept {
    const MemInfo info = readMemInfo();
    MemoryStatus status;
    status.totalPhysical = info.memTotal * 1024;
    status.availPhysical = info.memAvailable * 1024;
    status.totalPageFile = (info.memTotal + info.swapTotal) * 1024;
    status.availPageFile = (info.memAvailable + info.swapFree) * 1024;
    status.totalVirtual = addressSpaceBytes();
    const uint64_t used = mappedKB() * 1024;
    status.availVirtual = status.totalVirtual > used ? status.totalVirtual - used : 0;
    return status;
}

bool compositionEnabled() noexcept { return false; }

void systemDirectory(char* buffer, std::size_t capacity) noexcept {
    if (!buffer || capacity == 0) return;
    std::snprintf(buffer, capacity, "%s", "/usr/share");
}

bool setWindowRestoredRect(void*, int32_t, int32_t, int32_t, int32_t) noexcept { return false; }

uint32_t systemColor(SystemColor color) noexcept {
    switch (color) {
        case SystemColor::ButtonFace: return 0x00F0F0F0;
        case SystemColor::ButtonText: return 0x00000000;
    }
    return 0;
}

int32_t systemMetric(SystemMetric metric) noexcept {
    switch (metric) {
        case SystemMetric::CaptionHeight: return 23;
        case SystemMetric::SmallCaptionHeight: return 23;
        case SystemMetric::DialogFrameHeight: return 3;
    }
    return 0;
}

void startSystemEventWindow(SystemMessageHandler) noexcept {}

void adviseLargeBlock(void* block, std::size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
    // madvise takes whole pages: the ones inside the block.
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(page - 1);
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

}  // namespace dro::platform
