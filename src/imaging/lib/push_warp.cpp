#include "imaging/lib/push_warp.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace dro::lib {

double pushRadius(const LibPoint& from, const LibPoint& toward) noexcept {
    const double length = std::hypot(double(toward.x) - from.x, double(toward.y) - from.y);
    return length > 0 ? 2 * length + 4 : 0;
}

}  // namespace dro::lib

namespace {

// Bilinear sample at (sx, sy), coordinates clamped into the image.
void sample(const uint8_t* image, int32_t width, int32_t height, int32_t stride, double sx, double sy,
            uint8_t* out) {
    sx = std::clamp(sx, 0.0, double(width - 1));
    sy = std::clamp(sy, 0.0, double(height - 1));
    const auto x0 = static_cast<int32_t>(sx), y0 = static_cast<int32_t>(sy);
    const int32_t x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const double fx = sx - x0, fy = sy - y0;
    const uint8_t* a = image + size_t(y0) * stride + size_t(x0) * 4;
    const uint8_t* b = image + size_t(y0) * stride + size_t(x1) * 4;
    const uint8_t* c = image + size_t(y1) * stride + size_t(x0) * 4;
    const uint8_t* d = image + size_t(y1) * stride + size_t(x1) * 4;
    for (int k = 0; k < 4; ++k) {
        const double top = a[k] + (b[k] - a[k]) * fx, bottom = c[k] + (d[k] - c[k]) * fx;
        out[k] = static_cast<uint8_t>(std::lround(top + (bottom - top) * fy));
    }
}

}  // namespace

bool is5_PushImage(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                   uint8_t* destination, int32_t destinationX, int32_t destinationY, const LibPoint* toward,
                   const LibPoint* from, int32_t /*flags*/) {
    if (!source || !destination || !toward || !from || width <= 0 || height <= 0 || bytesPerPixel != 4 ||
        stride < int64_t{width} * 4 || destinationX != 0 || destinationY != 0 || source == destination) {
        return false;
    }
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(destination + size_t(y) * stride, source + size_t(y) * stride, size_t(width) * 4);
    }
    const double radius = dro::lib::pushRadius(*from, *toward);
    if (radius <= 0) return true;
    const double dx = double(toward->x) - from->x, dy = double(toward->y) - from->y;
    const double r2 = radius * radius;
    const int64_t y0 = std::max<int64_t>(0, static_cast<int64_t>(std::floor(toward->y - radius)));
    const int64_t y1 = std::min<int64_t>(height - 1, static_cast<int64_t>(std::ceil(toward->y + radius)));
    const int64_t x0 = std::max<int64_t>(0, static_cast<int64_t>(std::floor(toward->x - radius)));
    const int64_t x1 = std::min<int64_t>(width - 1, static_cast<int64_t>(std::ceil(toward->x + radius)));
    // Backward mapping around the point content arrives at: each pixel fetches from
    // where the push brings it from, fully at the centre, not at all at the rim.
    for (int64_t y = y0; y <= y1; ++y) {
        for (int64_t x = x0; x <= x1; ++x) {
            const double ox = double(x) - toward->x, oy = double(y) - toward->y;
            const double d2 = ox * ox + oy * oy;
            if (d2 >= r2) continue;
            const double w = (1 - d2 / r2) * (1 - d2 / r2);
            sample(source, width, height, stride, double(x) - w * dx, double(y) - w * dy,
                   destination + size_t(y) * stride + size_t(x) * 4);
        }
    }
    return true;
}
