#include "core/allocation.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <new>

#include "core/last_error.h"
#include "platform/platform.h"

namespace dro {
namespace {

struct AllocationHook {
    int failCountdown = 0;  // fail when it reaches 1; 0 = off
    bool failAll = false;
    int attempts = 0;
};

AllocationHook& hook() noexcept {
    static AllocationHook h;
    return h;
}

bool hookSaysFail() noexcept {
    AllocationHook& h = hook();
    ++h.attempts;
    if (h.failAll) return true;
    if (h.failCountdown > 0 && --h.failCountdown == 0) return true;
    return false;
}

constexpr uint64_t kLargestRequest = 0xFFFFFFFFull;
// Canvas-sized planes and blocks are filled whole right after they are allocated.
constexpr std::size_t kLargeBlock = std::size_t{8} << 20;

// Constant-initialised, so it holds before any static constructor runs.
constinit MemoryReliever gReliever{};

// The shared retry policy: try; on failure drop undo steps worth the request and try
// again, for as long as each round frees something.
template <class Attempt>
bool retryWithUndoReduction(int32_t kilobytes, Attempt attempt) {
    for (;;) {
        if (attempt()) return true;
        if (!gReliever.hasSteps || !gReliever.hasSteps()) return false;
        // A request under 1 KB still asks for one step, so every round makes progress.
        if (gReliever.reduce(kilobytes > 0 ? kilobytes : 1) == 0) return false;
    }
}

template <class Allocate>
void* allocateReducingUndo(uint64_t bytes, int32_t kilobytes, Allocate allocate) {
    void* block = nullptr;
    retryWithUndoReduction(kilobytes, [&] { return (block = allocate(bytes)) != nullptr; });
    return block;
}

}  // namespace

void setMemoryReliever(MemoryReliever reliever) noexcept { gReliever = reliever; }

void* tryAllocate(std::size_t bytes) noexcept {
    if (hookSaysFail()) return nullptr;
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block && bytes >= kLargeBlock) platform::adviseLargeBlock(block, bytes);
    return block;
}

void* allocWithUndoReduce(int32_t size) noexcept {
    if (size < 0) return nullptr;
    auto bytes = static_cast<uint64_t>(size);
    return allocateReducingUndo(bytes, size / 1024, [](uint64_t n) { return tryAllocate(n); });
}

bool retryReducingUndo(uint64_t bytes, const std::function<bool()>& attempt) {
    const auto kilobytes = static_cast<int32_t>(std::min<uint64_t>(bytes >> 10, INT32_MAX));
    return retryWithUndoReduction(kilobytes, [&] {
        if (hookSaysFail()) return false;
        try {
            return attempt();
        } catch (const std::bad_alloc&) {
            return false;
        }
    });
}

namespace {

// `count` elements of T, dropping undo steps until they fit; `failure` becomes the
// last-error text when the attempt throws.
template <class T>
T* newElementsReducingUndo(uint64_t count, const char* failure) noexcept {
    if (count > kLargestRequest / sizeof(T)) return nullptr;
    const uint64_t bytes = count * sizeof(T);
    try {
        return static_cast<T*>(allocateReducingUndo(bytes, static_cast<int32_t>(bytes >> 10),
                                                    [](uint64_t n) { return tryAllocate(n); }));
    } catch (...) {
        setLastError(failure);
        return nullptr;
    }
}

}  // namespace

uint8_t* x_NewCharUndoReduce(uint64_t count) noexcept {
    return newElementsReducingUndo<uint8_t>(count, "x_NewCharUndoReduce Excpt");
}

uint16_t* x_NewShortUndoReduce(uint64_t count) noexcept {
    return newElementsReducingUndo<uint16_t>(count, "x_NewShortUndoReduce Excpt");
}

namespace testhooks {
void failNthAllocation(int n) noexcept { hook().failCountdown = n > 0 ? n : 0; }
void failAllAllocations(bool on) noexcept { hook().failAll = on; }
int allocationAttempts() noexcept { return hook().attempts; }
void resetAllocationAttempts() noexcept { hook().attempts = 0; }
}  // namespace testhooks

}  // namespace dro
