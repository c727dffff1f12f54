#include "core/frame.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/canvas.h"
#include "core/frame_state.h"
#include "core/random_tables.h"
#include "platform/platform.h"

namespace dro {

void setStartDir(const char* directory) noexcept {
    if (!directory) return;
    FrameState& f = frameState();
    const size_t length = strnlen(directory, sizeof f.startDir);
    if (length >= sizeof f.startDir) return;  // too long: the old directory stays
    std::memcpy(f.startDir, directory, length + 1);
}

void setRandomSeed(uint32_t seed) noexcept {
    frameState().randomSeed = seed;
    seedRandom(seed);
}

const char* dirInfo() noexcept {
    char* buffer = frameState().dirInfo;
    platform::systemDirectory(buffer, sizeof frameState().dirInfo);
    return buffer;
}

bool setWindowBasePos(int32_t left, int32_t top, int32_t right, int32_t bottom) noexcept {
    // The edges wrap rather than overflow at the bottom of the range.
    auto inside = [](int32_t edge) { return static_cast<int32_t>(static_cast<uint32_t>(edge) - 1u); };
    return platform::setWindowRestoredRect(canvas().hostWindow, left, top, inside(right), inside(bottom));
}

int32_t toMegabytes(uint64_t bytes) noexcept {
    return static_cast<int32_t>(std::min<uint64_t>(bytes >> 20, INT_MAX));
}

}  // namespace dro
