// The library's region finding against a plain breadth-first reference.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <queue>
#include <random>
#include <vector>

#include "imaging/lib/draw_flood.h"

namespace {

// Pixels 4-connected to the seed within a squared RGB distance of the seed's colour.
std::vector<uint8_t> referenceRegion(const std::vector<uint8_t>& img, int w, int h, int bpp, int sx, int sy,
                                     int tolerance) {
    std::vector<uint8_t> in(static_cast<size_t>(w) * h, 0);
    const uint8_t* seed = &img[(sy * w + sx) * bpp];
    const auto match = [&](int x, int y) {
        const uint8_t* p = &img[(y * w + x) * bpp];
        int d = 0;
        for (int c = 0; c < 3; ++c) d += (p[c] - seed[c]) * (p[c] - seed[c]);
        return d <= tolerance;
    };
    std::queue<std::pair<int, int>> todo;
    todo.push({sx, sy});
    in[sy * w + sx] = 1;
    while (!todo.empty()) {
        const auto [x, y] = todo.front();
        todo.pop();
        const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k], ny = y + dy[k];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || in[ny * w + nx] || !match(nx, ny)) continue;
            in[ny * w + nx] = 1;
            todo.push({nx, ny});
        }
    }
    return in;
}

// Blotchy images of a few near colours, so regions wind around and tolerance matters.
std::vector<uint8_t> blotches(int w, int h, int bpp, std::mt19937& rng) {
    std::vector<uint8_t> img(static_cast<size_t>(w) * h * bpp);
    const uint8_t palette[4] = {10, 14, 40, 200};
    for (int i = 0; i < w * h; ++i) {
        const uint8_t v = palette[rng() % 4];
        for (int c = 0; c < bpp; ++c) img[i * bpp + c] = c == 3 ? 77 : v;
    }
    return img;
}

}  // namespace

TEST(FloodFillLibrary, RegionsMatchABreadthFirstReference) {
    std::mt19937 rng(5);
    for (int round = 0; round < 60; ++round) {
        const int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 30);
        const int tolerance = round % 3 == 0 ? 0 : round % 3 == 1 ? 48 : 3000;  // 14 vs 10, 40 vs 14
        auto img = blotches(w, h, 4, rng);
        const int sx = static_cast<int>(rng() % w), sy = static_cast<int>(rng() % h);
        const auto expected = referenceRegion(img, w, h, 4, sx, sy, tolerance);
        // A marker far from every colour, and one within tolerance of the seed (the
        // fill must then keep its own record of visited pixels).
        const uint32_t near = img[(sy * w + sx) * 4] | img[(sy * w + sx) * 4] << 8 | img[(sy * w + sx) * 4] << 16;
        for (uint32_t marker : {0x00FF00FFu, near}) {
            auto out = img;
            const LibPoint seed{sx, sy};
            ASSERT_TRUE(IS3FloodFillImage(out.data(), w, h, 4, w * 4, &seed, marker, 1, tolerance, 0));
            for (int i = 0; i < w * h; ++i) {
                const bool recoloured = out[i * 4] == (marker & 0xFF) && out[i * 4 + 1] == ((marker >> 8) & 0xFF);
                if (expected[i]) {
                    ASSERT_TRUE(recoloured) << "round " << round << " pixel " << i;
                    ASSERT_EQ(out[i * 4 + 3], 77);  // alpha kept
                } else {
                    ASSERT_EQ(0, std::memcmp(&out[i * 4], &img[i * 4], 4)) << "round " << round << " pixel " << i;
                }
            }
        }
        // The RGB24 form writes the same region as a map.
        std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
        for (int i = 0; i < w * h; ++i) std::memcpy(&rgb[i * 3], &img[i * 4], 3);
        std::vector<uint8_t> map(static_cast<size_t>(w) * h, 9);
        const LibPoint seed{sx, sy};
        ASSERT_TRUE(IS3GetColorMatchMaskFromImage(rgb.data(), w, h, 3, w * 3, map.data(), w, &seed, 0xFF0000FF, 1,
                                                  tolerance, 0));
        ASSERT_EQ(map, expected) << "round " << round;
    }
}

TEST(FloodFillLibrary, StopsAtAOnePixelDiagonalWall) {
    // A white square cut by a black anti-diagonal: corners touch, edges do not.
    constexpr int N = 16;
    std::vector<uint8_t> img(N * N * 4, 255);
    for (int i = 0; i < N; ++i) std::memset(&img[(i * N + (N - 1 - i)) * 4], 0, 3);
    const LibPoint seed{0, 0};
    ASSERT_TRUE(IS3FloodFillImage(img.data(), N, N, 4, N * 4, &seed, 0x0000FF, 1, 0, 0));
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            const uint8_t* p = &img[(y * N + x) * 4];
            if (x + y < N - 1) EXPECT_EQ(p[0], 0xFF) << x << "," << y;                 // filled side: red
            if (x + y == N - 1) EXPECT_EQ(p[0] + p[1] + p[2], 0) << x << "," << y;      // wall kept
            if (x + y > N - 1) EXPECT_EQ(p[1], 255) << x << "," << y;                  // far side untouched
        }
    }
}

TEST(FloodFillLibrary, RefusesBadBlocksAndPoints) {
    std::vector<uint8_t> img(16, 1);
    const LibPoint outside{2, 0}, inside{0, 0};
    EXPECT_FALSE(IS3FloodFillImage(img.data(), 2, 2, 4, 8, &outside, 0, 1, 0, 0));
    EXPECT_FALSE(IS3FloodFillImage(img.data(), 2, 2, 4, 4, &inside, 0, 1, 0, 0));  // stride short of a row
    EXPECT_FALSE(IS3FloodFillImage(img.data(), 2, 2, 3, 8, &inside, 0, 1, 0, 0));
    EXPECT_FALSE(IS3FloodFillImage(nullptr, 2, 2, 4, 8, &inside, 0, 1, 0, 0));
    EXPECT_FALSE(IS3FloodFillImage(img.data(), 2, 2, 4, 8, nullptr, 0, 1, 0, 0));
    EXPECT_EQ(img, std::vector<uint8_t>(16, 1));
}
