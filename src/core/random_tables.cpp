#include "core/random_tables.h"

#include "core/allocation.h"
#include "core/frame_state.h"
#include "core/last_error.h"

namespace dro {
namespace {
thread_local uint32_t randomState = 1;
}

void seedRandom(uint32_t seed) noexcept { randomState = seed; }

int nextRandom() noexcept {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

bool MakeRandArrayByte(RandomByteArray& table, int32_t modulus, int32_t length) {
    const uint32_t seed = frameState().randomSeed;
    if (table.data && table.length == length && table.modulus == modulus &&
        table.seed == static_cast<int32_t>(seed)) {
        return true;
    }
    DeleteRandArrayBtye(table);
    seedRandom(seed);
    if (length <= 0 || modulus == 0) return false;
    table.data = adoptBuffer(x_NewCharUndoReduce(static_cast<uint64_t>(length)));
    if (!table.data) {
        setLastError("MakeRandArrayByte Excpt");
        return false;
    }
    for (int32_t i = 0; i < length; ++i) {
        table.data[i] = static_cast<uint8_t>(nextRandom() % modulus);
    }
    table.length = length;
    table.modulus = modulus;
    table.seed = static_cast<int32_t>(seed);
    return true;
}

void DeleteRandArrayBtye(RandomByteArray& table) noexcept {
    table.data.reset();
}

}  // namespace dro
