#include "imaging/lib/draw.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr uint8_t kInk[3] = {9, 8, 7};

// Independent predicate: integer test of the ellipse inequality inside its box.
bool insideEllipse(int64_t dx, int64_t dy, int64_t a, int64_t b) {
    if (std::abs(dx) > a || std::abs(dy) > b) return false;
    return dx * dx * b * b + dy * dy * a * a <= a * a * b * b;
}

TEST(DrawShapes, FillSolidRectIsClippedAndExclusive) {
    const int w = 6, h = 5, pitch = w * 3 + 2;
    std::vector<uint8_t> img(size_t(pitch) * h, 0);
    ASSERT_TRUE(IS40_FillSolidRect(img.data(), w, h, 3, pitch, -3, 1, 2, 3, kInk));
    ASSERT_TRUE(IS40_FillSolidRect(img.data(), w, h, 3, pitch, 5, 4, 99, 99, kInk));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool in = (x < 2 && y >= 1 && y < 3) || (x == 5 && y == 4);
            for (int c = 0; c < 3; ++c) ASSERT_EQ(img[size_t(y) * pitch + x * 3 + c], in ? kInk[c] : 0) << x << ',' << y;
        }
    for (int y = 0; y < h; ++y) EXPECT_TRUE(img[size_t(y) * pitch + w * 3] == 0 && img[size_t(y) * pitch + w * 3 + 1] == 0);

    const auto before = img;
    EXPECT_TRUE(IS40_FillSolidRect(img.data(), w, h, 3, pitch, 3, 3, 3, 4, kInk));   // empty
    EXPECT_TRUE(IS40_FillSolidRect(img.data(), w, h, 3, pitch, 4, 2, 1, 4, kInk));   // inverted
    EXPECT_TRUE(IS40_FillSolidRect(img.data(), w, h, 3, pitch, 10, 0, 20, 5, kInk)); // off the image
    EXPECT_FALSE(IS40_FillSolidRect(nullptr, w, h, 3, pitch, 0, 0, 2, 2, kInk));
    EXPECT_FALSE(IS40_FillSolidRect(img.data(), w, h, 3, pitch, 0, 0, 2, 2, nullptr));
    EXPECT_FALSE(IS40_FillSolidRect(img.data(), w, h, 3, w * 3 - 1, 0, 0, 2, 2, kInk));
    EXPECT_FALSE(IS40_FillSolidRect(img.data(), w, h, 0, pitch, 0, 0, 2, 2, kInk));
    EXPECT_EQ(img, before);
}

TEST(DrawShapes, EllipseMatchesTheInequalityFilledAndOutlined) {
    const int w = 41, h = 29;
    struct Case { int cx, cy, a, b; };
    for (const Case c : {Case{20, 14, 15, 9}, {20, 14, 2, 2}, {3, 25, 10, 7}, {20, 14, 0, 5}, {20, 14, 6, 0},
                         {-4, 5, 8, 30}, {20, 14, 0, 0}})
        for (bool filled : {true, false}) {
            std::vector<uint8_t> img(size_t(w) * h, 0);
            ASSERT_TRUE(IS40_DrawEllipseOnImage(img.data(), w, h, 1, w, c.cx, c.cy, c.a, c.b, kInk, filled));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int64_t dx = x - c.cx, dy = y - c.cy;
                    bool want = insideEllipse(dx, dy, c.a, c.b);
                    if (!filled && want)
                        want = !insideEllipse(dx - 1, dy, c.a, c.b) || !insideEllipse(dx + 1, dy, c.a, c.b) ||
                               !insideEllipse(dx, dy - 1, c.a, c.b) || !insideEllipse(dx, dy + 1, c.a, c.b);
                    ASSERT_EQ(img[size_t(y) * w + x], want ? kInk[0] : 0)
                        << c.cx << ' ' << c.cy << ' ' << c.a << ' ' << c.b << ' ' << filled << " at " << x << ',' << y;
                }
        }
    std::vector<uint8_t> img(16, 0);
    EXPECT_FALSE(IS40_DrawEllipseOnImage(img.data(), 4, 4, 1, 4, 2, 2, -1, 2, kInk, true));
    EXPECT_FALSE(IS40_DrawEllipseOnImage(nullptr, 4, 4, 1, 4, 2, 2, 1, 2, kInk, true));
    // Huge semi-axes far off the image: clipped, no overflow.
    EXPECT_TRUE(IS40_DrawEllipseOnImage(img.data(), 4, 4, 1, 4, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, kInk, false));
    EXPECT_TRUE(IS40_DrawEllipseOnImage(img.data(), 4, 4, 1, 4, 2, 2, INT32_MAX, INT32_MAX, kInk, true));
    EXPECT_EQ(img, std::vector<uint8_t>(16, kInk[0]));
}

}  // namespace
