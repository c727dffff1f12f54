#include "imaging/lib/draw_gradient.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

bool validArguments(const uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                    const uint8_t* stops, const double* positions, int32_t count) {
    return image && stops && positions && count >= 1 && width > 0 && height > 0 && bytesPerPixel == 4 &&
           stride >= int64_t{width} * 4;
}

// Writes the RGBA32 pixel for a gradient position (percent).
void colourAt(double t, const uint8_t* stops, const double* positions, int32_t count, uint8_t* out) {
    const auto write = [out](const uint8_t* stop) {
        out[0] = stop[2];
        out[1] = stop[1];
        out[2] = stop[0];
        out[3] = stop[3];
    };
    if (!(t > positions[0])) return write(stops);  // also NaN
    for (int32_t k = 1; k < count; ++k) {
        if (t > positions[k]) continue;
        const double span = positions[k] - positions[k - 1];
        const double f = span > 0 ? (t - positions[k - 1]) / span : 1.0;
        uint8_t mixed[4];
        for (int c = 0; c < 4; ++c) {
            const double a = stops[(k - 1) * 4 + c], b = stops[k * 4 + c];
            mixed[c] = static_cast<uint8_t>(std::lround(a + (b - a) * f));
        }
        return write(mixed);
    }
    write(stops + (count - 1) * 4);
}

template <class Position>
void fill(uint8_t* image, int32_t width, int32_t height, int32_t stride, const uint8_t* stops,
          const double* positions, int32_t count, Position&& position) {
#pragma omp parallel for schedule(static) if (int64_t{width} * height > 65536)
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* p = image + static_cast<std::size_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x, p += 4) colourAt(position(x, y), stops, positions, count, p);
    }
}

}  // namespace

bool ISE3GradientFillImageLinear(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                 int32_t stride, double x0, double y0, double x1, double y1, const uint8_t* stops,
                                 const double* positions, int32_t count, int32_t /*flags*/, double /*opacity*/,
                                 int32_t /*reserved*/) {
    if (!validArguments(image, width, height, bytesPerPixel, stride, stops, positions, count)) return false;
    const double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    if (!(length2 > 0) || !std::isfinite(length2)) {
        fill(image, width, height, stride, stops, positions, 1, [](int32_t, int32_t) { return 0.0; });
        return true;
    }
    fill(image, width, height, stride, stops, positions, count,
         [&](int32_t x, int32_t y) { return ((x - x0) * dx + (y - y0) * dy) / length2 * 100.0; });
    return true;
}

bool ISE3GradientFillImageRadial(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                 int32_t stride, double radius, int32_t centreX, int32_t centreY,
                                 const uint8_t* stops, const double* positions, int32_t count, int32_t /*flags*/,
                                 double /*opacity*/, int32_t /*reserved*/) {
    if (!validArguments(image, width, height, bytesPerPixel, stride, stops, positions, count)) return false;
    if (!(radius > 0) || !std::isfinite(radius)) {
        fill(image, width, height, stride, stops, positions, 1, [](int32_t, int32_t) { return 0.0; });
        return true;
    }
    fill(image, width, height, stride, stops, positions, count, [&](int32_t x, int32_t y) {
        return std::hypot(double(x) - centreX, double(y) - centreY) / radius * 100.0;
    });
    return true;
}
