#include "io/clip_transform.h"

#include <algorithm>
#include <cmath>

#include "brush/premultiply.h"
#include "imaging/lib/overlay.h"
#include "imaging/lib/resample.h"

namespace dro::io {
namespace {

constexpr int32_t kSmallResizeFilter = 17;  // bicubic: very small sizes ring with Lanczos
constexpr int32_t kResizeFilter = 8;        // Lanczos3
constexpr int32_t kShrinkFilter = 15;       // area average
constexpr int32_t kNearestFilter = 18;
constexpr int32_t kSmallEdge = 5;
constexpr int32_t kFullTurn = 36000;

std::optional<Clip> blankClip(int32_t width, int32_t height) {
    if (!codecs::checkedImageBytes(width, height, 4)) return std::nullopt;
    return Clip::filled(width, height, 4, 0);
}

// Resamples into a new block; premultiplied around the kernel when smooth.
std::optional<Clip> resized(const Clip& clip, int32_t width, int32_t height, int32_t filter, bool premultiplied) {
    auto out = blankClip(width, height);
    if (!out) return std::nullopt;
    const Clip* source = &clip;
    Clip premultipliedCopy;
    if (premultiplied) {
        premultipliedCopy = clip;
        premultiplyRgba32(premultipliedCopy.pixels.data(), clip.width, clip.height);
        source = &premultipliedCopy;
    }
    if (!is5_ResizeImage(source->pixels.data(), clip.width, clip.height, clip.width * 4, out->pixels.data(), width,
                         height, width * 4, 4, filter, 0))
        return std::nullopt;
    if (premultiplied) unpremultiplyRgba32(out->pixels.data(), width, height);
    return out;
}

int32_t atLeastOne(double v) noexcept { return std::max<int32_t>(1, static_cast<int32_t>(v)); }

}  // namespace

std::optional<Clip> scaleClip(const Clip& clip, int32_t longestSide, Filtering filtering) {
    if (clip.empty() || longestSide < 1) return std::nullopt;
    const double f = static_cast<double>(longestSide) / std::max(clip.width, clip.height);
    if (f == 1.0) return std::nullopt;
    const int32_t w = atLeastOne(f * clip.width);
    const int32_t h = atLeastOne(f * clip.height);
    if (filtering == Filtering::plain) return resized(clip, w, h, kNearestFilter, false);
    const bool small = std::min({clip.width, clip.height, w, h}) < kSmallEdge;
    return resized(clip, w, h, small ? kSmallResizeFilter : kResizeFilter, true);
}

bool angleTurns(int32_t hundredths) noexcept { return hundredths != 0 && hundredths != kFullTurn; }

float angleRadians(int32_t hundredths) noexcept {
    return static_cast<float>(hundredths * 0.01 * 0.0174532925);
}

void rotatedPixelSize(float radians, int32_t width, int32_t height, int32_t& newWidth, int32_t& newHeight) noexcept {
    // The radians are a float, so quarter turns leave a sine or cosine of about 1e-8;
    // the tolerance keeps them from adding a pixel.
    const double c = std::fabs(std::cos(static_cast<double>(radians)));
    const double s = std::fabs(std::sin(static_cast<double>(radians)));
    newWidth = static_cast<int32_t>(std::ceil(width * c + height * s - 1e-3));
    newHeight = static_cast<int32_t>(std::ceil(width * s + height * c - 1e-3));
}

std::optional<Clip> rotateClip(const Clip& clip, float radians, Filtering filtering) {
    if (clip.empty()) return std::nullopt;
    int32_t w = 0, h = 0;
    rotatedPixelSize(radians, clip.width, clip.height, w, h);
    auto out = blankClip(w, h);
    if (!out) return std::nullopt;
    Clip source = clip;
    const bool smooth = filtering == Filtering::smooth;
    if (smooth) premultiplyRgba32(source.pixels.data(), source.width, source.height);

    const double c = std::cos(static_cast<double>(radians));
    const double s = std::sin(static_cast<double>(radians));
    const double scx = clip.width * 0.5, scy = clip.height * 0.5;
    const double dcx = w * 0.5, dcy = h * 0.5;
    auto texel = [&](int64_t x, int64_t y) -> const uint8_t* {
        if (x < 0 || y < 0 || x >= clip.width || y >= clip.height) return nullptr;
        return source.pixels.data() + (y * clip.width + x) * 4;
    };
    uint8_t* o = out->pixels.data();
    for (int32_t y = 0; y < h; ++y) {
        const double dy = y + 0.5 - dcy;
        for (int32_t x = 0; x < w; ++x, o += 4) {
            const double dx = x + 0.5 - dcx;
            // The inverse turn of this offset (y down, so counter-clockwise on screen).
            const double sx = dx * c - dy * s + scx - 0.5;
            const double sy = dx * s + dy * c + scy - 0.5;
            if (!smooth) {
                if (const uint8_t* t = texel(std::llround(sx), std::llround(sy))) std::copy(t, t + 4, o);
                continue;
            }
            const double fx0 = std::floor(sx), fy0 = std::floor(sy);
            if (fx0 < -1 || fy0 < -1 || fx0 > clip.width || fy0 > clip.height) continue;
            const auto x0 = static_cast<int64_t>(fx0), y0 = static_cast<int64_t>(fy0);
            const double fx = sx - fx0, fy = sy - fy0;
            const double weight[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
            const uint8_t* tap[4] = {texel(x0, y0), texel(x0 + 1, y0), texel(x0, y0 + 1), texel(x0 + 1, y0 + 1)};
            for (int ch = 0; ch < 4; ++ch) {
                double v = 0;
                for (int k = 0; k < 4; ++k)
                    if (tap[k]) v += weight[k] * tap[k][ch];
                o[ch] = static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
            }
        }
    }
    if (smooth) unpremultiplyRgba32(out->pixels.data(), w, h);
    return out;
}

std::optional<Clip> fitIntoSquare(const Clip& clip, int32_t side) {
    if (clip.empty() || side < 1) return std::nullopt;
    const Clip* fitted = &clip;
    std::optional<Clip> scaled;
    const double f = static_cast<double>(side) / std::max(clip.width, clip.height);
    if (f != 1.0) {
        const int32_t w = atLeastOne(f * clip.width);
        const int32_t h = atLeastOne(f * clip.height);
        scaled = resized(clip, w, h, w < clip.width ? kShrinkFilter : kResizeFilter, true);
        if (scaled) fitted = &*scaled;
    }
    auto square = blankClip(side, side);
    if (!square) return std::nullopt;
    IS3OverlayImage(square->pixels.data(), side, side, 4, side * 4, fitted->pixels.data(), fitted->width,
                    fitted->height, fitted->width * 4, (side - fitted->width) / 2, (side - fitted->height) / 2, 1.0,
                    0);
    return square;
}

}  // namespace dro::io
