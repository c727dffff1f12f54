#include "imaging/lib/draw_flood.h"

#include <cstddef>
#include <cstring>

#include "core/allocation.h"
#include "core/owned_buffer.h"
#include "imaging/lib/flood_region.h"
#include "imaging/lib/scanline_fill.h"

namespace {

using dro::lib::ColourMatch;

bool validBlock(const uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                int32_t wantedBytesPerPixel) {
    return image && width > 0 && height > 0 && bytesPerPixel == wantedBytesPerPixel &&
           stride >= int64_t{width} * bytesPerPixel;
}

// The exact match of a tolerance of 0 on RGBA32, one 32-bit compare per pixel.
struct ExactMatch32 {
    uint32_t key;

    bool operator()(const uint8_t* p) const {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return (v & 0x00FFFFFFu) == key;
    }
};

// Red, green and blue of a packed colour over an RGBA32 pixel, its alpha kept.
void recolourPixel(uint8_t* p, uint32_t rgb) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    v = (v & 0xFF000000u) | rgb;
    std::memcpy(p, &v, 4);
}

uint32_t packedAt(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16; }

}  // namespace

bool IS3ColorReplaceImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                          uint32_t from, uint32_t to, int32_t tolerance, int32_t flags) {
    if (!validBlock(image, width, height, bytesPerPixel, stride, 4)) return false;
    const ColourMatch match(from, tolerance);
    const uint8_t colour[4] = {uint8_t(to), uint8_t(to >> 8), uint8_t(to >> 16), uint8_t(to >> 24)};
    const std::size_t written = (flags & kReplaceSetsAlpha) ? 4 : 3;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* p = image + static_cast<std::size_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x, p += 4) {
            if (match(p)) std::memcpy(p, colour, written);
        }
    }
    return true;
}

bool IS3FloodFillImage(uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel, int32_t stride,
                       const LibPoint* point, uint32_t colour, int32_t /*connected*/, int32_t tolerance,
                       int32_t /*flags*/) {
    if (!validBlock(image, width, height, bytesPerPixel, stride, 4) || !point) return false;
    if (point->x < 0 || point->y < 0 || point->x >= width || point->y >= height) return false;
    const auto at = [&](int32_t x, int32_t y) {
        return image + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4;
    };
    const uint32_t seedColour = packedAt(at(point->x, point->y));
    const ColourMatch match(seedColour, tolerance);
    const uint32_t rgb = colour & 0x00FFFFFFu;
    const uint8_t rgbBytes[3] = {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)};
    const auto recolour = [&](int32_t y, int32_t x0, int32_t x1) {
        for (uint8_t* p = at(x0, y); x0 <= x1; ++x0, p += 4) recolourPixel(p, rgb);
    };
    if (!match(rgbBytes)) {
        // A painted pixel no longer matches, so the pixels themselves record the visit.
        if (tolerance == 0) {
            const ExactMatch32 exact{seedColour};
            dro::lib::scanlineFill(width, height, point->x, point->y,
                                   [&](int32_t x, int32_t y) { return exact(at(x, y)); }, recolour);
        } else {
            dro::lib::scanlineFill(width, height, point->x, point->y,
                                   [&](int32_t x, int32_t y) { return match(at(x, y)); }, recolour);
        }
        return true;
    }
    // The new colour matches too: remember the visits in a bit plane.
    const auto words = dro::adoptBuffer(reinterpret_cast<uint64_t*>(
        dro::x_NewCharUndoReduce(dro::lib::RegionPlane::bytes(width, height))));
    dro::lib::RegionPlane seen(words.get(), width, height);
    if (!seen.ready()) return false;
    dro::lib::floodRegion(seen, width, height, point->x, point->y, tolerance,
                          [&](int32_t x, int32_t y) { return packedAt(at(x, y)); }, recolour);
    return true;
}

bool IS3GetColorMatchMaskFromImage(const uint8_t* image, int32_t width, int32_t height, int32_t bytesPerPixel,
                                   int32_t stride, uint8_t* map, int32_t mapStride, const LibPoint* point,
                                   uint32_t /*colour*/, int32_t /*connected*/, int32_t tolerance,
                                   int32_t /*flags*/) {
    if (!validBlock(image, width, height, bytesPerPixel, stride, 3) || !map || !point || mapStride < width) {
        return false;
    }
    if (point->x < 0 || point->y < 0 || point->x >= width || point->y >= height) return false;
    for (int32_t y = 0; y < height; ++y) std::memset(map + static_cast<std::size_t>(y) * mapStride, 0, width);
    const auto at = [&](int32_t x, int32_t y) {
        return image + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
    };
    const auto mapAt = [&](int32_t x, int32_t y) { return map + static_cast<std::size_t>(y) * mapStride + x; };
    const ColourMatch match(packedAt(at(point->x, point->y)), tolerance);
    dro::lib::scanlineFill(
        width, height, point->x, point->y, [&](int32_t x, int32_t y) { return !*mapAt(x, y) && match(at(x, y)); },
        [&](int32_t y, int32_t x0, int32_t x1) { std::memset(mapAt(x0, y), 1, static_cast<std::size_t>(x1 - x0 + 1)); });
    return true;
}
