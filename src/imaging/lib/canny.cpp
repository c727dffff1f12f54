#include "imaging/lib/canny.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/lib/blur.h"

namespace dro {
namespace {

constexpr double kMaxSigma = 100.0;

struct Plane {
    const uint8_t* v;
    int32_t w, h;
    int32_t at(int32_t x, int32_t y) const noexcept { return v[static_cast<size_t>(std::clamp(y, 0, h - 1)) * static_cast<size_t>(w) + static_cast<size_t>(std::clamp(x, 0, w - 1))]; }
};

}  // namespace

bool ISE3CannyEdgeDetector(const uint8_t* grey, int32_t width, int32_t height, uint8_t* edges, double sigma,
                           int32_t low, int32_t high) noexcept try {
    if (!grey || !edges || width <= 0 || height <= 0 || !(sigma >= 0.0) || sigma > kMaxSigma) return false;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> smooth(grey, grey + n);
    if (sigma > 0.0 && !is5_GaussianBlurImage(grey, width, height, 1, width, smooth.data(), width, sigma, 1))
        return false;
    const Plane p{smooth.data(), width, height};
    std::vector<int32_t> gx(n), gy(n), magnitude(n);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            gx[i] = p.at(x + 1, y - 1) + 2 * p.at(x + 1, y) + p.at(x + 1, y + 1) - p.at(x - 1, y - 1) -
                    2 * p.at(x - 1, y) - p.at(x - 1, y + 1);
            gy[i] = p.at(x - 1, y + 1) + 2 * p.at(x, y + 1) + p.at(x + 1, y + 1) - p.at(x - 1, y - 1) -
                    2 * p.at(x, y - 1) - p.at(x + 1, y - 1);
            magnitude[i] = std::abs(gx[i]) + std::abs(gy[i]);
        }
    const auto mag = [&](int32_t x, int32_t y) {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return magnitude[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    };
    // Non-maximum suppression across the edge: the gradient's direction rounded to
    // one of four, then compared with the two neighbours along it.
    std::vector<uint8_t> state(n, 0);  // 0 none, 1 weak, 2 strong
    std::vector<size_t> stack;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            const int32_t m = magnitude[i];
            if (m == 0 || m < low) continue;
            const double angle = std::atan2(static_cast<double>(gy[i]), static_cast<double>(gx[i]));
            const int sector = static_cast<int>(std::lround(angle / (3.14159265358979 / 4.0))) & 3;
            static constexpr int32_t kStep[4][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}};
            const int32_t sx = kStep[sector][0], sy = kStep[sector][1];
            if (m <= mag(x - sx, y - sy) || m < mag(x + sx, y + sy)) continue;
            state[i] = m >= high ? 2 : 1;
            if (state[i] == 2) stack.push_back(i);
        }
    // Hysteresis: weak pixels joined to strong ones become strong.
    while (!stack.empty()) {
        const size_t i = stack.back();
        stack.pop_back();
        const int32_t x = static_cast<int32_t>(i % static_cast<size_t>(width)), y = static_cast<int32_t>(i / static_cast<size_t>(width));
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx) {
                const int32_t nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                const size_t j = static_cast<size_t>(ny) * static_cast<size_t>(width) + static_cast<size_t>(nx);
                if (state[j] == 1) {
                    state[j] = 2;
                    stack.push_back(j);
                }
            }
    }
    for (size_t i = 0; i < n; ++i) edges[i] = state[i] == 2 ? 255 : 0;
    return true;
} catch (...) {
    return false;
}

}  // namespace dro
