#include "mask/fill_in_place.h"

#include <omp.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/allocation.h"
#include "core/canvas.h"
#include "core/owned_buffer.h"
#include "core/pixel_format.h"
#include "core/transfer_load.h"
#include "core/transfer_read.h"
#include "imaging/lib/flood_region.h"

namespace dro {
namespace {

bool gInPlace = true;

constexpr uint64_t kColourCount = uint64_t{1} << 24;
// Rows narrowed, painted and written back together: a block that stays in cache.
constexpr int64_t kChunkBytes = 256 * 1024;
constexpr int64_t kParallelPixels = 1 << 16;

uint64_t pixelWord(const uint16_t* p) noexcept {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The layer's pixels as the tool block holds them: the high bytes of red, green and
// blue, packed r | g << 8 | b << 16.
struct LayerRgb {
    const uint16_t* pixels;
    int64_t rowPitch;

    // Where the high bytes of red, green and blue sit in a pixel's 64-bit word.
    static constexpr uint64_t kHighRgb = 0x0000FF00FF00FF00ull;

    const uint16_t* at(int32_t x, int32_t y) const noexcept { return pixels + y * rowPitch + int64_t{x} * 4; }

    uint32_t operator()(int32_t x, int32_t y) const noexcept {
        const uint16_t* p = at(x, y);
        return narrow16(p[0]) | uint32_t{narrow16(p[1])} << 8 | uint32_t{narrow16(p[2])} << 16;
    }

    // Four pixels a step: one masked compare of each 64-bit word.
    int32_t equalRunEnd(int32_t x, int32_t limit, int32_t y, uint32_t rgb) const noexcept {
        const uint64_t key = uint64_t{rgb & 0xFF} << 8 | uint64_t{(rgb >> 8) & 0xFF} << 24 |
                             uint64_t{(rgb >> 16) & 0xFF} << 40;
        const uint16_t* p = at(x, y);
        for (; x + 4 <= limit; x += 4, p += 16) {
            const uint64_t differ =
                (pixelWord(p) ^ key) | (pixelWord(p + 4) ^ key) | (pixelWord(p + 8) ^ key) | (pixelWord(p + 12) ^ key);
            if (differ & kHighRgb) break;
        }
        for (; x < limit; ++x, p += 4) {
            if ((pixelWord(p) & kHighRgb) != key) return x;
        }
        return x;
    }
};

// At most this many colours lie within a squared distance of one colour: each channel
// is at most floor(sqrt(tolerance)) away.
uint64_t coloursWithin(int32_t tolerance) noexcept {
    if (tolerance <= 0) return 1;
    auto reach = static_cast<uint64_t>(std::sqrt(static_cast<double>(tolerance)));
    while (reach * reach > static_cast<uint64_t>(tolerance)) --reach;
    const uint64_t side = std::min<uint64_t>(2 * reach + 1, 256);
    return side * side * side;
}

// Whether some red with green and blue 0 is missing from the layer's high bytes: the
// first colours the free-colour search tries.
bool someBareRedIsMissing(const LayerSlot& slot, int32_t width, int32_t height) noexcept {
    constexpr uint64_t kGreenBlueHigh = 0x0000FF00FF000000ull;
    uint64_t reds[4] = {};
    for (int32_t y = 0; y < height; ++y) {
        const uint16_t* p = slot.pixels.get() + static_cast<std::size_t>(y) * slot.rowPitch;
        for (int32_t x = 0; x < width; ++x, p += 4) {
            const uint64_t v = pixelWord(p);
            if (v & kGreenBlueHigh) continue;
            const uint32_t red = (v >> 8) & 0xFF;
            reds[red >> 6] |= uint64_t{1} << (red & 63);
        }
        if ((reds[0] & reds[1] & reds[2] & reds[3]) == ~uint64_t{0}) return false;
    }
    return true;
}

// The block route's marker is a colour absent from the block whenever one exists; then
// exactly the region turns into paint. One exists when the region's colours (one at
// tolerance 0) and the pixels outside it number fewer than all colours, or when the
// search's first candidates are not all taken.
bool markerWouldBeFree(const LayerSlot& slot, int32_t width, int32_t height, uint64_t regionPixels,
                       int32_t tolerance) noexcept {
    const uint64_t outside = uint64_t(width) * uint64_t(height) - regionPixels;
    if (std::min(regionPixels, coloursWithin(tolerance)) + outside < kColourCount) return true;
    return someBareRedIsMissing(slot, width, height);
}

// One row of the tool block as the block route leaves it: the layer's high bytes with
// opaque paint over the region. Stretches the region covers whole are painted without
// being narrowed first.
void blockRow(uint8_t* row, const uint16_t* layerRow, const uint64_t* bits, int32_t width,
              const uint8_t* paint) noexcept {
    const int32_t words = (width + 63) / 64;
    const auto whole = [&](int32_t word) {
        const int32_t n = std::min(64, width - word * 64);
        return bits[word] == (n == 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1);
    };
    for (int32_t word = 0; word < words;) {
        const int32_t start = word;
        const bool covered = whole(word);
        while (word < words && whole(word) == covered) ++word;
        const int32_t x0 = start * 64, x1 = std::min(width, word * 64);
        uint8_t* out = row + int64_t{x0} * 4;
        if (covered) {
            for (int32_t x = x0; x < x1; ++x, out += 4) std::memcpy(out, paint, 4);
            continue;
        }
        rgba64ToRGBA32Rect(out, (x1 - x0) * 4, layerRow + int64_t{x0} * 4, (x1 - x0) * 8, x1 - x0, 1);
        for (int32_t w = start; w < word; ++w) {
            for (uint64_t set = bits[w]; set; set &= set - 1) {
                std::memcpy(row + (int64_t{w} * 64 + std::countr_zero(set)) * 4, paint, 4);
            }
        }
    }
}

// Rows narrowed, painted and written back together, a chunk to a thread.
struct Chunking {
    int32_t rowsPerChunk, chunks, threads;
    uint64_t perThread;  // bytes of one thread's chunk

    static Chunking of(int32_t width, int32_t height) noexcept {
        const int64_t rowBytes = int64_t{width} * 4;
        const auto rows = static_cast<int32_t>(std::clamp<int64_t>(kChunkBytes / rowBytes, 1, height));
        const int threads = int64_t{width} * height >= kParallelPixels ? std::max(1, omp_get_max_threads()) : 1;
        return {rows, (height + rows - 1) / rows, threads, static_cast<uint64_t>(rows) * rowBytes};
    }
};

// The block route's write-back, a chunk at a time: each chunk is read from the layer
// before the load writes those rows, and the load is the one place its rule lives.
void writeBackWithRegion(const LayerSlot& slot, int32_t layer, int32_t width, int32_t height,
                         const lib::RegionPlane& region, uint32_t opaquePaint, const Chunking& chunking,
                         uint8_t* scratch) noexcept {
    const int64_t rowBytes = int64_t{width} * 4;
    const uint8_t paint[4] = {uint8_t(opaquePaint), uint8_t(opaquePaint >> 8), uint8_t(opaquePaint >> 16),
                              uint8_t(opaquePaint >> 24)};
#pragma omp parallel num_threads(chunking.threads)
    {
        uint8_t* block = scratch + chunking.perThread * static_cast<uint64_t>(omp_get_thread_num());
        // Chunks are handed out as threads come free, so one thread held up by other
        // work on the machine does not keep the rest waiting.
#pragma omp for schedule(dynamic)
        for (int32_t c = 0; c < chunking.chunks; ++c) {
            const int32_t top = c * chunking.rowsPerChunk, rows = std::min(chunking.rowsPerChunk, height - top);
            for (int32_t j = 0; j < rows; ++j) {
                blockRow(block + j * rowBytes, slot.pixels.get() + int64_t{top + j} * slot.rowPitch,
                         region.row(top + j), width, paint);
            }
            loadRGBA32Layer(block, static_cast<int32_t>(rowBytes), layer, 0, top, width, rows, true);
        }
    }
}

// Memory kept from one fill to the next: fresh pages cost more than the fill itself
// (the kernel clears each one). Bounded by the canvas: a bit a pixel and a chunk a
// thread, about a 60th of the layer.
struct KeptScratch {
    OwnedBuffer<uint8_t> block;
    uint64_t bytes = 0;
};

KeptScratch& keptScratch() noexcept {
    static KeptScratch kept;
    return kept;
}

uint8_t* scratchOf(uint64_t bytes) noexcept {
    KeptScratch& kept = keptScratch();
    if (kept.block && kept.bytes == bytes) return kept.block.get();
    releaseFillScratch();
    kept.block = adoptBuffer(x_NewCharUndoReduce(bytes));
    if (kept.block) kept.bytes = bytes;
    return kept.block.get();
}

}  // namespace

bool paintConnectedInPlace(uint32_t opaquePaint, int32_t x, int32_t y, int32_t libraryTolerance) {
    if (!gInPlace) return false;
    const Canvas& c = canvas();
    const LayerSlot* slot = filledCurrentSlot();
    // The block covers the canvas; only a layer of exactly that size maps onto it 1:1.
    if (!slot || slot->width != c.width || slot->height != c.height || slot->rowPitch != c.width * 4) return false;
    if (x < 0 || y < 0 || x >= c.width || y >= c.height) return false;

    const Chunking chunking = Chunking::of(c.width, c.height);
    const uint64_t planeBytes = lib::RegionPlane::bytes(c.width, c.height);
    uint8_t* scratch = scratchOf(planeBytes + chunking.perThread * static_cast<uint64_t>(chunking.threads));
    if (!scratch) return false;
    lib::RegionPlane region(reinterpret_cast<uint64_t*>(scratch), c.width, c.height);
    LayerRgb rgbAt{slot->pixels.get(), slot->rowPitch};
    const uint64_t marked =
        lib::floodRegion(region, c.width, c.height, x, y, libraryTolerance, rgbAt, [](int32_t, int32_t, int32_t) {});
    if (!markerWouldBeFree(*slot, c.width, c.height, marked, libraryTolerance)) return false;
    writeBackWithRegion(*slot, c.currentLayer, c.width, c.height, region, opaquePaint, chunking, scratch + planeBytes);
    return true;
}

void releaseFillScratch() noexcept {
    keptScratch().block.reset();
    keptScratch().bytes = 0;
}

namespace testhooks {
void setFillInPlace(bool on) noexcept { gInPlace = on; }
}  // namespace testhooks

}  // namespace dro
