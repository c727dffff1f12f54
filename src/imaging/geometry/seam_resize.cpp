#include "imaging/geometry/seam_resize.h"

#include <cstring>
#include <vector>

#include "imaging/lib/seam_carve.h"

namespace dro {
namespace {

template <class T, size_t Channels>
std::vector<T> transposed(const T* block, int32_t width, int32_t height) {
    std::vector<T> out(static_cast<size_t>(width) * height * Channels);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            std::memcpy(&out[(static_cast<size_t>(x) * height + y) * Channels],
                        &block[(static_cast<size_t>(y) * width + x) * Channels], sizeof(T) * Channels);
    return out;
}

}  // namespace

bool seamResizeRgba32(const uint8_t* source, BlockSize from, const uint16_t* mask, uint8_t* result, BlockSize to) {
    if (to.height == from.height)
        return ISE40_SeamCarve(source, from.width, from.height, 4, from.width * 4, mask, from.width, result,
                               to.width * 4, to.width - from.width, 1000, 1);
    // Columns first, carrying the mask along, then rows on the transposed image.
    std::vector<uint8_t> narrowed(static_cast<size_t>(to.width) * from.height * 4);
    std::vector<uint16_t> narrowedMask;
    if (!seamCarveRgba32(source, from.width, from.height, from.width * 4, mask, from.width, narrowed.data(),
                         to.width * 4, to.width - from.width, mask ? &narrowedMask : nullptr))
        return false;
    const bool maskFollows = narrowedMask.size() == static_cast<size_t>(to.width) * from.height;
    const auto turned = transposed<uint8_t, 4>(narrowed.data(), to.width, from.height);
    const auto turnedMask = maskFollows ? transposed<uint16_t, 1>(narrowedMask.data(), to.width, from.height)
                                        : std::vector<uint16_t>();
    std::vector<uint8_t> carved(static_cast<size_t>(to.width) * to.height * 4);
    if (!ISE40_SeamCarve(turned.data(), from.height, to.width, 4, from.height * 4,
                         maskFollows ? turnedMask.data() : nullptr, from.height, carved.data(), to.height * 4,
                         to.height - from.height, 1000, 1))
        return false;
    const auto upright = transposed<uint8_t, 4>(carved.data(), to.height, to.width);
    std::memcpy(result, upright.data(), upright.size());
    return true;
}

}  // namespace dro
