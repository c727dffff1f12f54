// Allocation under memory pressure. When a request fails, the allocators drop the
// oldest undo steps and try again, so painting survives at the cost of history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace dro {

// malloc that honours the test hook below; null on failure.
void* tryAllocate(std::size_t bytes) noexcept;

// What gives memory back when an allocation fails: the undo store, which sits above
// core and is attached by the engine's life cycle. Without one, a failure stays one.
struct MemoryReliever {
    bool (*hasSteps)() noexcept = nullptr;
    int32_t (*reduce)(int32_t kilobytes) = nullptr;  // returns what it released, 0 for nothing
};
void setMemoryReliever(MemoryReliever reliever) noexcept;

// DRO_Alloc: malloc with undo reduction; null for a negative size.
void* allocWithUndoReduce(int32_t size) noexcept;

// Byte and 16-bit arrays with undo reduction. Counts whose byte size does not fit in
// 32 bits fail at once. Neither clears the block.
uint8_t* x_NewCharUndoReduce(uint64_t count) noexcept;
uint16_t* x_NewShortUndoReduce(uint64_t count) noexcept;

// The same policy for allocations made elsewhere (containers): runs attempt until it
// returns true, dropping undo steps worth `bytes` after each failure (std::bad_alloc
// counts as one) for as long as that frees something. False when it never succeeded.
bool retryReducingUndo(uint64_t bytes, const std::function<bool()>& attempt);

namespace testhooks {
// Makes the n-th allocation from now (1 = the next one) fail once; 0 turns it off.
void failNthAllocation(int n) noexcept;
// Makes every allocation fail until turned off.
void failAllAllocations(bool on) noexcept;
// Allocations attempted since the last reset of this counter.
int allocationAttempts() noexcept;
void resetAllocationAttempts() noexcept;
}  // namespace testhooks

}  // namespace dro
