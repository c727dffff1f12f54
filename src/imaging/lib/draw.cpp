#include "imaging/lib/draw.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

bool validImage(const uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                const uint8_t* colour) {
    return image && colour && width > 0 && height > 0 && bytesPerPixel >= 1 && bytesPerPixel <= 8 &&
           stride >= int64_t{width} * bytesPerPixel;
}

// Paints columns [x0, x1) of row y; the caller has clipped both to the image.
void paintSpan(uint8_t* image, int32_t bytesPerPixel, int32_t stride, int32_t y, int32_t x0, int32_t x1,
               const uint8_t* colour) {
    uint8_t* p = image + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x0) * bytesPerPixel;
    for (int32_t x = x0; x < x1; ++x, p += bytesPerPixel) std::memcpy(p, colour, static_cast<std::size_t>(bytesPerPixel));
}

// Largest dx >= 0 with (dx / a)^2 + (dy / b)^2 <= 1, or -1 when row dy misses the
// ellipse. Done in doubles, exact while the squared products stay below 2^53, which
// covers every image size; the bounding box keeps a zero semi-axis to a line.
int64_t halfSpan(int64_t a, int64_t b, int64_t dy) {
    if (dy < -b || dy > b) return -1;
    if (a == 0 || b == 0) return a;
    const double a2 = static_cast<double>(a) * a, b2 = static_cast<double>(b) * b;
    const double limit = a2 * b2 - static_cast<double>(dy) * dy * a2;
    const auto inside = [&](int64_t dx) { return static_cast<double>(dx) * dx * b2 <= limit; };
    int64_t dx = static_cast<int64_t>(std::floor(a * std::sqrt(std::max(0.0, 1.0 - (double(dy) * dy) / b2))));
    dx = std::clamp<int64_t>(dx, 0, a);
    while (dx < a && inside(dx + 1)) ++dx;
    while (dx > 0 && !inside(dx)) --dx;
    return dx;
}

}  // namespace

bool IS40_FillSolidRect(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                        int32_t left, int32_t top, int32_t right, int32_t bottom, const uint8_t* colour) {
    if (!validImage(image, width, height, bytesPerPixel, stride, colour)) return false;
    const int32_t x0 = std::max(left, 0), x1 = std::min(right, width);
    const int32_t y0 = std::max(top, 0), y1 = std::min(bottom, height);
    for (int32_t y = y0; y < y1 && x0 < x1; ++y) paintSpan(image, bytesPerPixel, stride, y, x0, x1, colour);
    return true;
}

bool IS40_DrawEllipseOnImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                             int32_t centreX, int32_t centreY, int32_t semiAxisX, int32_t semiAxisY,
                             const uint8_t* colour, bool filled) {
    if (!validImage(image, width, height, bytesPerPixel, stride, colour)) return false;
    if (semiAxisX < 0 || semiAxisY < 0) return false;
    const int64_t cx = centreX, cy = centreY, a = semiAxisX, b = semiAxisY;
    const int64_t yFirst = std::max<int64_t>(cy - b, 0), yLast = std::min<int64_t>(cy + b, height - 1);
    const auto clipX = [&](int64_t x) { return static_cast<int32_t>(std::clamp<int64_t>(x, 0, width)); };
    for (int64_t y = yFirst; y <= yLast; ++y) {
        const int64_t span = halfSpan(a, b, y - cy);
        if (filled) {
            paintSpan(image, bytesPerPixel, stride, static_cast<int32_t>(y), clipX(cx - span), clipX(cx + span + 1),
                      colour);
            continue;
        }
        // Outline: the inside pixels with a 4-neighbour outside, that is the row's two
        // ends and whatever reaches past the shorter of the rows above and below.
        const int64_t inner = std::min(halfSpan(a, b, y - 1 - cy), halfSpan(a, b, y + 1 - cy));
        const int64_t innerEnd = inner < 0 ? -1 : std::min(inner, span - 1);  // |dx| <= innerEnd stays
        if (innerEnd < 0) {
            paintSpan(image, bytesPerPixel, stride, static_cast<int32_t>(y), clipX(cx - span), clipX(cx + span + 1),
                      colour);
        } else {
            // Left piece [cx - span, cx - innerEnd) and right piece (cx + innerEnd, cx + span].
            paintSpan(image, bytesPerPixel, stride, static_cast<int32_t>(y), clipX(cx - span), clipX(cx - innerEnd),
                      colour);
            paintSpan(image, bytesPerPixel, stride, static_cast<int32_t>(y), clipX(cx + innerEnd + 1),
                      clipX(cx + span + 1), colour);
        }
    }
    return true;
}
