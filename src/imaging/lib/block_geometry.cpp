#include "imaging/lib/block_geometry.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

bool validBlock(const uint8_t* block, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride) {
    return block && width > 0 && height > 0 && bytesPerPixel >= 1 && bytesPerPixel <= 8 &&
           static_cast<int64_t>(stride) >= static_cast<int64_t>(width) * bytesPerPixel;
}

const uint8_t* pixelAt(const uint8_t* block, int32_t stride, int32_t bpp, int32_t x, int32_t y) {
    return block + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * bpp;
}

}  // namespace

bool IS3CropImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                  int32_t sourceStride, uint8_t* destination, int32_t destinationStride, int32_t left,
                  int32_t top, int32_t right, int32_t bottom) {
    if (!validBlock(source, width, height, bytesPerPixel, sourceStride) || !destination) return false;
    if (left < 0 || top < 0 || right > width || bottom > height || left >= right || top >= bottom) return false;
    const size_t rowBytes = static_cast<size_t>(right - left) * bytesPerPixel;
    if (static_cast<int64_t>(destinationStride) < static_cast<int64_t>(rowBytes)) return false;
    for (int32_t y = top; y < bottom; ++y)
        std::memcpy(destination + static_cast<ptrdiff_t>(y - top) * destinationStride,
                    pixelAt(source, sourceStride, bytesPerPixel, left, y), rowBytes);
    return true;
}

bool IS3QuickRotateImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                         int32_t sourceStride, uint8_t* destination, int32_t destinationStride, int32_t code) {
    if (!validBlock(source, width, height, bytesPerPixel, sourceStride) || !destination) return false;
    const bool quarter = code == 0 || code == 2;
    if (!quarter && code != 1) return false;
    const int32_t outWidth = quarter ? height : width;
    if (static_cast<int64_t>(destinationStride) < static_cast<int64_t>(outWidth) * bytesPerPixel) return false;
    const size_t bpp = static_cast<size_t>(bytesPerPixel);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            // Where source (x, y) lands.
            int32_t ox = 0, oy = 0;
            if (code == 0) ox = height - 1 - y, oy = x;       // clockwise
            else if (code == 2) ox = y, oy = width - 1 - x;   // counter-clockwise
            else ox = width - 1 - x, oy = height - 1 - y;     // half turn
            std::memcpy(destination + static_cast<ptrdiff_t>(oy) * destinationStride + static_cast<ptrdiff_t>(ox) * bpp,
                        pixelAt(source, sourceStride, bytesPerPixel, x, y), bpp);
        }
    return true;
}

bool IS3HorizontalFlipImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride) {
    if (!validBlock(image, width, height, bytesPerPixel, stride)) return false;
    const size_t bpp = static_cast<size_t>(bytesPerPixel);
    uint8_t swap[8];
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image + static_cast<ptrdiff_t>(y) * stride;
        for (int32_t x = 0; x < width / 2; ++x) {
            uint8_t* a = row + x * bpp;
            uint8_t* b = row + (width - 1 - x) * bpp;
            std::memcpy(swap, a, bpp);
            std::memcpy(a, b, bpp);
            std::memcpy(b, swap, bpp);
        }
    }
    return true;
}

bool IS3VerticalFlipImage(uint8_t* image, int32_t rowBytes, int32_t height) {
    if (!image || rowBytes <= 0 || height <= 0) return false;
    std::vector<uint8_t> swap(static_cast<size_t>(rowBytes));
    for (int32_t y = 0; y < height / 2; ++y) {
        uint8_t* a = image + static_cast<ptrdiff_t>(y) * rowBytes;
        uint8_t* b = image + static_cast<ptrdiff_t>(height - 1 - y) * rowBytes;
        std::memcpy(swap.data(), a, swap.size());
        std::memcpy(a, b, swap.size());
        std::memcpy(b, swap.data(), swap.size());
    }
    return true;
}
