#include "imaging/lib/seam_carve.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Protected pixels cost more than any path through free ones can add up to.
constexpr double kProtectionCost = 1e9;

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;   // RGBA packed, row-major at the current width
    std::vector<uint16_t> freedom;  // mask value per pixel (65535 when there is no mask)
    std::vector<int32_t> column;    // each pixel's column in the original image

    size_t at(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width + x; }
};

int32_t brightness(uint32_t p) {
    const auto* b = reinterpret_cast<const uint8_t*>(&p);
    return (b[0] * 77 + b[1] * 150 + b[2] * 29) * b[3] / 255 >> 8;
}

std::vector<double> energy(const Picture& pic) {
    std::vector<double> e(pic.pixels.size());
    for (int32_t y = 0; y < pic.height; ++y)
        for (int32_t x = 0; x < pic.width; ++x) {
            const int32_t l = brightness(pic.pixels[pic.at(std::max(x - 1, 0), y)]);
            const int32_t r = brightness(pic.pixels[pic.at(std::min(x + 1, pic.width - 1), y)]);
            const int32_t u = brightness(pic.pixels[pic.at(x, std::max(y - 1, 0))]);
            const int32_t d = brightness(pic.pixels[pic.at(x, std::min(y + 1, pic.height - 1))]);
            const size_t i = pic.at(x, y);
            e[i] = std::abs(r - l) + std::abs(d - u) + kProtectionCost * (65535 - pic.freedom[i]) / 65535.0;
        }
    return e;
}

// The cheapest top-to-bottom seam: one x per row.
std::vector<int32_t> cheapestSeam(const Picture& pic) {
    const std::vector<double> e = energy(pic);
    std::vector<double> cost(e.size());
    std::copy(e.begin(), e.begin() + pic.width, cost.begin());
    for (int32_t y = 1; y < pic.height; ++y)
        for (int32_t x = 0; x < pic.width; ++x) {
            double best = cost[pic.at(x, y - 1)];
            if (x > 0) best = std::min(best, cost[pic.at(x - 1, y - 1)]);
            if (x + 1 < pic.width) best = std::min(best, cost[pic.at(x + 1, y - 1)]);
            cost[pic.at(x, y)] = e[pic.at(x, y)] + best;
        }
    std::vector<int32_t> seam(static_cast<size_t>(pic.height));
    const auto lastRow = cost.begin() + static_cast<ptrdiff_t>(pic.at(0, pic.height - 1));
    int32_t x = static_cast<int32_t>(std::min_element(lastRow, lastRow + pic.width) - lastRow);
    for (int32_t y = pic.height - 1; y >= 0; --y) {
        seam[static_cast<size_t>(y)] = x;
        if (y == 0) break;
        int32_t next = x;
        for (int32_t c : {x - 1, x + 1})
            if (c >= 0 && c < pic.width && cost[pic.at(c, y - 1)] < cost[pic.at(next, y - 1)]) next = c;
        x = next;
    }
    return seam;
}

void removeSeam(Picture& pic, const std::vector<int32_t>& seam) {
    const int32_t newWidth = pic.width - 1;
    for (int32_t y = 0; y < pic.height; ++y) {
        const int32_t skip = seam[static_cast<size_t>(y)];
        for (int32_t x = 0, to = 0; x < pic.width; ++x) {
            if (x == skip) continue;
            const size_t from = pic.at(x, y);
            const size_t into = static_cast<size_t>(y) * newWidth + to++;
            pic.pixels[into] = pic.pixels[from];
            pic.freedom[into] = pic.freedom[from];
            pic.column[into] = pic.column[from];
        }
    }
    pic.width = newWidth;
    const size_t n = static_cast<size_t>(pic.width) * pic.height;
    pic.pixels.resize(n);
    pic.freedom.resize(n);
    pic.column.resize(n);
}

uint32_t average(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) out |= ((((a >> s) & 0xFF) + ((b >> s) & 0xFF) + 1) / 2) << s;
    return out;
}

Picture load(const uint8_t* source, int32_t width, int32_t height, int32_t stride, const uint16_t* mask,
             int32_t maskRowLength) {
    Picture pic;
    pic.width = width;
    pic.height = height;
    const size_t n = static_cast<size_t>(width) * height;
    pic.pixels.resize(n);
    pic.freedom.assign(n, 65535);
    pic.column.resize(n);
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(pic.pixels.data() + pic.at(0, y), source + static_cast<ptrdiff_t>(y) * stride,
                    static_cast<size_t>(width) * 4);
        for (int32_t x = 0; x < width; ++x) {
            pic.column[pic.at(x, y)] = x;
            if (mask) pic.freedom[pic.at(x, y)] = mask[static_cast<size_t>(y) * maskRowLength + x];
        }
    }
    return pic;
}

// Doubles the `count` cheapest seams of the original, found by removing them one after
// another from a copy; each doubled pixel is the mean of it and its right neighbour.
void widen(const uint8_t* source, int32_t width, int32_t height, int32_t stride, Picture pic, int32_t count,
           uint8_t* destination, int32_t destinationStride, std::vector<uint16_t>* carvedMask) {
    const std::vector<uint16_t> freedom = pic.freedom;
    std::vector<uint8_t> doubled(static_cast<size_t>(width) * height, 0);
    for (int32_t k = 0; k < count; ++k) {
        const auto seam = cheapestSeam(pic);
        for (int32_t y = 0; y < height; ++y)
            doubled[static_cast<size_t>(y) * width + pic.column[pic.at(seam[static_cast<size_t>(y)], y)]] = 1;
        removeSeam(pic, seam);
    }
    if (carvedMask) carvedMask->clear();
    for (int32_t y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(source + static_cast<ptrdiff_t>(y) * stride);
        uint8_t* out = destination + static_cast<ptrdiff_t>(y) * destinationStride;
        for (int32_t x = 0; x < width; ++x) {
            std::memcpy(out, &in[x], 4);
            out += 4;
            const size_t i = static_cast<size_t>(y) * width + x;
            if (carvedMask) carvedMask->insert(carvedMask->end(), doubled[i] ? 2 : 1, freedom[i]);
            if (doubled[i]) {
                const uint32_t extra = average(in[x], in[std::min(x + 1, width - 1)]);
                std::memcpy(out, &extra, 4);
                out += 4;
            }
        }
    }
}

}  // namespace

namespace dro {

bool seamCarveRgba32(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                     const uint16_t* mask, int32_t maskRowLength, uint8_t* destination, int32_t destinationStride,
                     int32_t widthChange, std::vector<uint16_t>* carvedMask) {
    if (!source || !destination || width <= 0 || height <= 0) return false;
    const int64_t newWidth = int64_t{width} + widthChange;
    if (newWidth < 1 || sourceStride < width * 4 || destinationStride < newWidth * 4) return false;
    if (mask && maskRowLength < width) return false;
    try {
        Picture pic = load(source, width, height, sourceStride, mask, maskRowLength);
        int32_t remaining = widthChange;
        if (remaining <= 0) {
            for (; remaining < 0; ++remaining) removeSeam(pic, cheapestSeam(pic));
            if (carvedMask) *carvedMask = pic.freedom;
            for (int32_t y = 0; y < height; ++y)
                std::memcpy(destination + static_cast<ptrdiff_t>(y) * destinationStride, pic.pixels.data() + pic.at(0, y),
                            static_cast<size_t>(pic.width) * 4);
            return true;
        }
        // A width can at most double in one pass (every seam doubled once); wider goes in rounds.
        std::vector<uint8_t> current, next;
        const uint8_t* from = source;
        int32_t fromWidth = width, fromStride = sourceStride;
        while (remaining > 0) {
            const int32_t step = std::min(remaining, fromWidth);
            const int32_t stepWidth = fromWidth + step;
            uint8_t* into = remaining == step ? destination : nullptr;
            if (!into) {
                next.assign(static_cast<size_t>(stepWidth) * height * 4, 0);
                into = next.data();
            }
            Picture stepPic = from == source ? pic : load(from, fromWidth, height, fromStride, nullptr, 0);
            widen(from, fromWidth, height, fromStride, std::move(stepPic), step, into,
                  into == destination ? destinationStride : stepWidth * 4, from == source ? carvedMask : nullptr);
            remaining -= step;
            if (remaining > 0) {
                current.swap(next);
                from = current.data();
                fromWidth = stepWidth;
                fromStride = stepWidth * 4;
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace dro

bool ISE40_SeamCarve(const uint8_t* source, int32_t width, int32_t height, int32_t bytesPerPixel,
                     int32_t sourceStride, const uint16_t* mask, int32_t maskRowLength, uint8_t* destination,
                     int32_t destinationStride, int32_t widthChange, int32_t /*effort*/, int32_t /*flags*/) {
    return bytesPerPixel == 4 && dro::seamCarveRgba32(source, width, height, sourceStride, mask, maskRowLength,
                                                      destination, destinationStride, widthChange, nullptr);
}
