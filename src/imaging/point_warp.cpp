#include "imaging/point_warp.h"

#include <algorithm>
#include <cmath>

#include "brush/premultiply.h"
#include "core/canvas.h"
#include "core/transfer_load.h"
#include "imaging/lib/push_warp.h"
#include "imaging/working_buffer_ops.h"
#include "undo/undo_store.h"

namespace dro {

void warpPointToPoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    uint8_t* source = canvasBlock(workingBuffers().iplSource32, 4);
    uint8_t* destination = canvasBlock(workingBuffers().iplDestination32, 4);
    if (!source || !destination) return;
    struct Invalidate {
        ~Invalidate() { invalidateDirtyUndoCanvas(); }
    } invalidate;
    const LibPoint from{x0, y0}, toward{x1, y1};
    const double radius = lib::pushRadius(from, toward);
    if (radius <= 0) return;
    const Canvas& c = canvas();
    premultiplyRgba32(source, c.width, c.height);
    if (!is5_PushImage(source, c.width, c.height, 4, c.width * 4, destination, 0, 0, &toward, &from, 0)) return;
    unpremultiplyRgba32(destination, c.width, c.height);
    // Row by row, only the columns inside the disc.
    const int64_t top = std::max<int64_t>(0, static_cast<int64_t>(std::floor(y1 - radius)));
    const int64_t bottom = std::min<int64_t>(c.height - 1, static_cast<int64_t>(std::ceil(y1 + radius)));
    for (int64_t y = top; y <= bottom; ++y) {
        const double dy = double(y) - y1;
        const double half = radius * radius - dy * dy;
        if (half <= 0) continue;
        // Pixels strictly inside: |x - x1| < sqrt(half).
        const double reach = std::sqrt(half);
        int64_t left = static_cast<int64_t>(std::floor(x1 - reach)), right = static_cast<int64_t>(std::ceil(x1 + reach));
        while ((double(left) - x1) * (double(left) - x1) >= half) ++left;
        while ((double(right) - x1) * (double(right) - x1) >= half) --right;
        left = std::max<int64_t>(left, 0);
        right = std::min<int64_t>(right, c.width - 1);
        if (left > right) continue;
        loadRGBA32Layer(destination + (y * c.width + left) * 4, c.width * 4, c.currentLayer, static_cast<int32_t>(left),
                        static_cast<int32_t>(y), static_cast<int32_t>(right - left + 1), 1, true);
    }
}

}  // namespace dro
