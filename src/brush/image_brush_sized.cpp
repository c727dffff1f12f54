#include "brush/image_brush_sized.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "brush/blend_buffers.h"
#include "brush/image_brush_state.h"
#include "brush/tool_settings.h"
#include "core/allocation.h"
#include "core/failure.h"
#include "imaging/lib/resample.h"
#include "imaging/lib/rotate.h"

namespace dro {
namespace {

constexpr int32_t kFilterLanczos3 = 8;
constexpr int32_t kFilterAreaAverage = 15;

// Resampled on premultiplied 8-bit colour, so transparent pixels lend no colour to
// their neighbours; the result is widened back to 16 bits.
void resample(const Rgba64Image& master, Rgba64Image& sized) {
    const int32_t side = sized.width;
    std::vector<uint8_t> from(size_t(master.width) * master.height * 4), to(size_t(side) * side * 4);
    for (size_t i = 0; i < from.size(); i += 4) {
        const uint32_t a = master.pixels[i + 3] >> 8;
        for (int c = 0; c < 3; ++c) from[i + c] = static_cast<uint8_t>(((master.pixels[i + c] >> 8) * a + 127) / 255);
        from[i + 3] = static_cast<uint8_t>(a);
    }
    const int32_t method = side < master.width ? kFilterAreaAverage : kFilterLanczos3;
    if (!is5_ResizeImage(from.data(), master.width, master.height, master.width * 4, to.data(), side, side, side * 4,
                         4, method, 0)) {
        throw std::runtime_error("image brush not resampled");
    }
    for (size_t i = 0; i < to.size(); i += 4) {
        const uint32_t a = to[i + 3];
        for (int c = 0; c < 3; ++c) {
            const uint32_t v = a ? std::min<uint32_t>(255, (to[i + c] * 255 + a / 2) / a) : 0;
            sized.pixels[i + c] = static_cast<uint16_t>(v << 8);
        }
        sized.pixels[i + 3] = static_cast<uint16_t>(a << 8);
    }
}

// The selected blend buffer's pixel rows, and the square both it and the brush cover.
struct BufferTarget {
    LayerSlot* buffer;
    int32_t side;
};
BufferTarget bufferTarget(int32_t brushSide) {
    LayerSlot& buffer = blendBuffers().selectedBuffer();
    if (buffer.empty()) return {nullptr, 0};
    return {&buffer, std::min({brushSide, buffer.width, buffer.height})};
}

int32_t keepShare(int32_t keepPercent) { return static_cast<int32_t>(std::clamp(keepPercent, 0, 100) * 2.559); }

}  // namespace

void sizeImageBrush() {
    ImageBrushState& brush = imageBrush();
    const int32_t size = toolSettings().size;
    if (!brush.master || size <= 0) return;
    if (brush.sized && brush.sized.width != size) brush.sized.reset();
    if (!brush.sized) {
        brush.sized.pixels = adoptBuffer(x_NewShortUndoReduce(uint64_t(size) * uint64_t(size) * 4));
        requireAllocated(brush.sized.pixels);
        brush.sized.width = brush.sized.height = size;
    }
    brush.rotationValid = false;
    const Rgba64Image& master = brush.master;
    if (master.width == size) {
        // A master shorter than the brush leaves its lower rows transparent, not stale.
        const int32_t rows = std::min(master.height, size);
        std::memcpy(brush.sized.pixels.get(), master.pixels.get(), size_t(rows) * size * 8);
        std::memset(brush.sized.pixels.get() + size_t(rows) * size * 4, 0, size_t(size - rows) * size * 8);
        return;
    }
    resample(master, brush.sized);
}

void rotateImageBrush(int32_t angle) {
    ImageBrushState& brush = imageBrush();
    if (!brush.sized) return;
    if (brush.sized.width != toolSettings().size) sizeImageBrush();
    const int32_t side = brush.sized.width;
    const size_t bytes = size_t(side) * side * 4;
    if (!brush.rotationValid || brush.rotatedSide != side || !brush.rotationSource || !brush.rotated) {
        brush.rotationValid = false;
        brush.rotationSource = adoptBuffer(x_NewCharUndoReduce(bytes));
        brush.rotated = adoptBuffer(x_NewCharUndoReduce(bytes));
        if (!brush.rotationSource || !brush.rotated) {
            brush.rotationSource.reset();
            brush.rotated.reset();
            brush.rotatedSide = 0;
            throw AllocationFailure{};
        }
        brush.rotatedSide = side;
        for (size_t i = 0; i < bytes; ++i) brush.rotationSource[i] = static_cast<uint8_t>(brush.sized.pixels[i] >> 8);
        brush.rotationValid = true;
    }
    std::memcpy(brush.rotated.get(), brush.rotationSource.get(), bytes);
    // Clockwise on screen by angle, as a turn of 360 - angle the other way.
    const int32_t turn = ((360 - angle % 360) % 360 + 360) % 360;
    if (turn != 0 && !rotateRgba32(brush.rotated.get(), side, side, turn, 100)) {
        throw std::runtime_error("image brush not rotated");
    }
}

void copyFromImageBrush(int32_t keepPercent) {
    sizeImageBrush();
    const ImageBrushState& brush = imageBrush();
    if (!brush.sized) return;
    const BufferTarget target = bufferTarget(brush.sized.width);
    if (!target.buffer) return;
    const int32_t k = keepShare(keepPercent);
    for (int32_t y = 0; y < target.side; ++y) {
        const uint16_t* from = brush.sized.pixels.get() + size_t(y) * brush.sized.width * 4;
        uint16_t* to = target.buffer->pixels.get() + size_t(y) * target.buffer->rowPitch;
        for (int32_t i = 0; i < target.side * 4; ++i) {
            to[i] = k == 0 ? from[i] : static_cast<uint16_t>((uint32_t(k) * to[i] + uint32_t(255 - k) * from[i]) >> 8);
        }
    }
}

void copyFromImageBrushRotate(int32_t keepPercent) {
    const ImageBrushState& brush = imageBrush();
    if (!brush.rotationValid || !brush.rotated) return;
    const BufferTarget target = bufferTarget(brush.rotatedSide);
    if (!target.buffer) return;
    const int32_t k = keepShare(keepPercent);
    for (int32_t y = 0; y < target.side; ++y) {
        const uint8_t* from = brush.rotated.get() + size_t(y) * brush.rotatedSide * 4;
        uint16_t* to = target.buffer->pixels.get() + size_t(y) * target.buffer->rowPitch;
        for (int32_t i = 0; i < target.side * 4; ++i) {
            const uint32_t q = from[i];
            to[i] = static_cast<uint16_t>(k == 0 ? q << 8 : uint32_t(255 - k) * q + ((uint32_t(k) * to[i]) >> 8));
        }
    }
}

}  // namespace dro
