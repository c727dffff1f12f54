#include "brush/grain.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "brush/brush_buffers.h"
#include "brush/brush_services.h"
#include "brush/picture_script.h"
#include "brush/tool_settings.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/random_tables.h"
#include "imaging/lib/grayscale.h"
#include "imaging/lib/overlay.h"

namespace dro {
namespace {

constexpr int32_t kScriptTileEdge = 600;

// The side of the grain window: size + 25, with size kept within the brush box so the
// window never leaves a buffer of (maxBrushSize + 25)^2 bytes.
int32_t grainWindow() noexcept {
    const int32_t size = std::clamp(toolSettings().size, 0, brushBuffers().grainEdge);
    return size + kGrainMargin;
}

bool haveGrainBuffers() noexcept {
    const BrushBuffers& b = brushBuffers();
    if (b.grainEdge <= 0) return false;
    return std::all_of(b.grain.begin(), b.grain.end(), [](const auto& g) { return static_cast<bool>(g); });
}

void cursorToLastBufferStart() noexcept {
    brushBuffers().grainBuffer = kGrainBufferCount - 1;
    brushBuffers().grainOffset = 0;
}

// A walk through a random table from a drawn start. The start formula may point
// anywhere (large cells run it past the end), so the walk wraps round the table
// instead of reading past it.
class TableWalk {
public:
    TableWalk(const RandomByteArray& table, int64_t start) noexcept
        : data_(table.data.get()), length_(table.length) {
        position_ = start % length_;
        if (position_ < 0) position_ += length_;
    }
    uint8_t next() noexcept {
        const uint8_t v = data_[position_];
        if (++position_ == length_) position_ = 0;
        return v;
    }

private:
    const uint8_t* data_;
    int64_t length_;
    int64_t position_ = 0;
};

// Renders a grain script, tiles it over 600 x 600 and fills the buffers from its grey.
// nullopt when the path is not a script; otherwise whether the grain was replaced.
std::optional<bool> grainFromScript(const char* path) {
    const std::optional<RgbaPicture> picture = runPictureScript(path);
    if (!picture) return std::nullopt;
    if (!picture->pixels) return false;
    const int32_t w = picture->width;
    const int32_t h = picture->height;
    constexpr uint64_t kTileBytes = uint64_t{kScriptTileEdge} * kScriptTileEdge * 4;
    OwnedBuffer<uint8_t> tile = adoptBuffer(x_NewCharUndoReduce(kTileBytes));
    OwnedBuffer<uint8_t> grey = adoptBuffer(x_NewCharUndoReduce(uint64_t{kScriptTileEdge} * kScriptTileEdge));
    if (!tile || !grey) return false;
    std::memset(tile.get(), 0, kTileBytes);
    for (int32_t x = 0; x < kScriptTileEdge; x += w) {
        for (int32_t y = 0; y < kScriptTileEdge; y += h) {
            IS3OverlayImage(tile.get(), kScriptTileEdge, kScriptTileEdge, 4, kScriptTileEdge * 4, picture->pixels.get(),
                            w, h, w * 4, x, y, 1.0, 0);
        }
    }
    IS3ImageToGrayScale8Bit(tile.get(), kScriptTileEdge, kScriptTileEdge, 4, kScriptTileEdge * 4, grey.get(),
                            kScriptTileEdge, 0);
    fillGrainFromGrey(grey.get(), kScriptTileEdge, kScriptTileEdge);
    return true;
}

bool grainFromImage(const char* path) {
    const std::optional<codecs::PixelImage> picture = readBrushPicture(path);
    if (!picture || picture->empty() || picture->channels != 4) return false;
    const int32_t w = picture->width;
    const int32_t h = picture->height;
    OwnedBuffer<uint8_t> grey = adoptBuffer(x_NewCharUndoReduce(uint64_t(w) * uint64_t(h)));
    if (!grey) return false;
    if (!IS3ImageToGrayScale8Bit(picture->pixels.data(), w, h, 4, w * 4, grey.get(), w, 0)) return false;
    fillGrainFromGrey(grey.get(), w, h);
    return true;
}

}  // namespace

void buildRandomGrain() {
    BrushBuffers& b = brushBuffers();
    const RandomByteArray& cells = canvas().randomTableA;
    const RandomByteArray& values = canvas().randomTableB;
    if (!haveGrainBuffers() || !cells.data || !values.data || cells.length <= 0 || values.length <= 0) return;

    const ToolSettings& t = toolSettings();
    const int32_t m = b.grainEdge;
    const int32_t n = grainWindow();
    const int32_t c = t.grainCellSize;
    const int64_t length = cells.length;
    const int64_t bufferBytes = grainBufferBytes();
    for (auto& buffer : b.grain) {
        uint8_t* out = buffer.get();
        std::memset(out, 255, static_cast<size_t>(bufferBytes));
        if (c <= 0) continue;  // a cell of no width places nothing
        for (int32_t y = 0; y < n; y += c) {
            const int64_t pStart = int64_t{nextRandom()} * ((length - 2 * int64_t{c}) / 32767);
            const int64_t qStart = int64_t{nextRandom()} * ((length - int64_t{c}) / 32767);
            TableWalk p(cells, pStart);
            TableWalk q(values, qStart);
            for (int32_t x = 0; x < n; x += c) {
                if (p.next() >= t.grainCellThreshold) continue;
                const uint8_t v = q.next();
                // Pixels beyond the window consume no byte, so the loops stop at its edge.
                const int32_t rows = std::min(c, n - y);
                const int32_t columns = std::min(c, n - x);
                for (int32_t i = 0; i < rows; ++i) {
                    uint8_t* row = out + int64_t{y + i} * m + x;
                    for (int32_t j = 0; j < columns; ++j) {
                        if (p.next() < t.grainFillThreshold) row[j] = v;
                    }
                }
            }
        }
    }
    cursorToLastBufferStart();
}

void fillGrainFromGrey(const uint8_t* grey, int32_t width, int32_t height) {
    BrushBuffers& b = brushBuffers();
    if (!grey || width <= 0 || height <= 0 || !haveGrainBuffers()) return;
    const int32_t m = b.grainEdge;
    const int32_t n = grainWindow();
    const int64_t bufferBytes = grainBufferBytes();
    for (auto& buffer : b.grain) {
        std::memset(buffer.get(), 255, static_cast<size_t>(bufferBytes));
        const int32_t ox = width - n > 0 ? nextRandom() % (width - n) : 0;
        const int32_t oy = height - n > 0 ? nextRandom() % (height - n) : 0;
        // A grey image smaller than the window lends what it has; the rest stays 255.
        const int32_t w = std::min(n, width - ox);
        const int32_t h = std::min(n, height - oy);
        IS3OverlayImage(buffer.get(), m, m, 1, m, grey + int64_t{oy} * width + ox, w, h, width, 0, 0, 1.0, 0);
    }
    cursorToLastBufferStart();
    toolSettings().drawingLength = toolSettings().grainInterval;
}

bool buildGrainFromFile(const char* path) {
    if (!path || !haveGrainBuffers()) return false;
    if (const std::optional<bool> scripted = grainFromScript(path)) return *scripted;
    return grainFromImage(path);
}

void advanceGrain() noexcept {
    ToolSettings& t = toolSettings();
    BrushBuffers& b = brushBuffers();
    if (t.grainCellSize == 0 || t.drawingLength >= 1 || b.grainEdge <= 0) return;
    int32_t drawn = nextRandom() % kGrainBufferCount;
    // Only right after a build does the cursor sit on a buffer start; a fresh draw
    // then never lands on that same start.
    while (b.grainOffset == 0 && drawn == b.grainBuffer) drawn = nextRandom() % kGrainBufferCount;
    const int32_t row = nextRandom() % kGrainMargin;
    const int32_t column = nextRandom() % kGrainMargin;
    b.grainBuffer = drawn;
    b.grainOffset = row * b.grainEdge + column;
    t.drawingLength = t.grainInterval;
}

const uint8_t* grainCursor() noexcept {
    const BrushBuffers& b = brushBuffers();
    if (b.grainEdge <= 0 || b.grainBuffer < 0 || b.grainBuffer >= kGrainBufferCount) return nullptr;
    const uint8_t* start = b.grain[b.grainBuffer].get();
    return start ? start + b.grainOffset : nullptr;
}

int64_t grainCursorBytes() noexcept { return grainCursor() ? grainBufferBytes() - brushBuffers().grainOffset : 0; }

}  // namespace dro
