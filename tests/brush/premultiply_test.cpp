#include "brush/premultiply.h"

#include <gtest/gtest.h>

#include <vector>

#include "drovane.h"

namespace {

// Every (colour, alpha) pair once: pixel index = alpha * 256 + colour, colour in all
// three channels.
std::vector<uint8_t> everyPair32() {
    std::vector<uint8_t> b(256 * 256 * 4);
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            uint8_t* p = &b[(a * 256 + c) * 4];
            p[0] = p[1] = p[2] = static_cast<uint8_t>(c);
            p[3] = static_cast<uint8_t>(a);
        }
    return b;
}

TEST(Premultiply, Rgba32PreFilterOnEveryPair) {
    auto b = everyPair32();
    DRO_AdjustRGBA32PreFilter(b.data(), 256, 256);
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            // (C + 1) a / 255 rounded down, for partial alpha only.
            const int want = (a == 0 || a == 255) ? c : (c + 1) * a / 255;
            const uint8_t* p = &b[(a * 256 + c) * 4];
            ASSERT_TRUE(p[0] == want && p[1] == want && p[2] == want && p[3] == a) << c << ' ' << a;
        }
}

TEST(Premultiply, Rgba32PostFilterOnEveryPair) {
    auto b = everyPair32();
    DRO_AdjustRGBA32PostFilter(b.data(), 256, 256);
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            // Exact quotient: a floating-point C / (a / 255) drops to 254 at a = C = 33.
            int want = (a == 0 || a == 255) ? c : std::min(c * 255 / a, 255);
            const int wantAlpha = a == 254 ? 255 : a;
            const uint8_t* p = &b[(a * 256 + c) * 4];
            ASSERT_TRUE(p[0] == want && p[1] == want && p[2] == want && p[3] == wantAlpha) << c << ' ' << a;
        }
    // Alpha 254 becomes opaque and full colour does not wrap round to 0.
    uint8_t px[4] = {255, 254, 0, 254};
    DRO_AdjustRGBA32PostFilter(px, 1, 1);
    EXPECT_TRUE(px[0] == 255 && px[1] == 255 && px[2] == 0 && px[3] == 255);
}

TEST(Premultiply, Rgba32RoundTripLosesLessThanOneStepOfAlpha) {
    auto b = everyPair32();
    DRO_AdjustRGBA32PreFilter(b.data(), 256, 256);
    DRO_AdjustRGBA32PostFilter(b.data(), 256, 256);
    for (int a = 1; a < 256; ++a)
        for (int c = 0; c < 256; ++c) {
            const int back = b[(a * 256 + c) * 4];
            ASSERT_LE(std::abs(back - c), 255 / a + 1) << c << ' ' << a;
        }
}

TEST(Premultiply, Rgba64AgainstTheRule) {
    std::vector<uint16_t> pre, post;
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (uint32_t a : {0u, 1u, 2u, 255u, 256u, 32767u, 32768u, 65279u, 65280u, 65534u, 65535u})
        for (uint32_t c = 0; c < 65536; c += 257) pairs.push_back({c, a});
    for (uint32_t a = 0; a < 65536; a += 331)
        for (uint32_t c : {0u, 1u, a / 2, a, 65535u}) pairs.push_back({c, a});
    for (auto [c, a] : pairs) {
        for (auto* v : {&pre, &post}) v->insert(v->end(), {uint16_t(c), uint16_t(c ^ 0x5555), uint16_t(a / 3), uint16_t(a)});
    }
    const int n = static_cast<int>(pairs.size());
    auto expectedPre = [](uint64_t c, uint64_t a) { return a == 0 ? c : c * a / 65535; };
    auto expectedPost = [](uint64_t c, uint64_t a) { return a == 0 ? c : std::min<uint64_t>(c * 65535 / a, 65535); };
    DRO_AdjustRGBA64PreFilter(pre.data(), n, 1);
    DRO_AdjustRGBA64PostFilter(post.data(), 1, n);
    for (int i = 0; i < n; ++i) {
        const auto [c, a] = pairs[i];
        const uint32_t chans[3] = {c, c ^ 0x5555, a / 3};
        for (int k = 0; k < 3; ++k) {
            ASSERT_EQ(pre[i * 4 + k], expectedPre(chans[k], a)) << c << ' ' << a;
            ASSERT_EQ(post[i * 4 + k], expectedPost(chans[k], a)) << c << ' ' << a;
        }
        ASSERT_EQ(pre[i * 4 + 3], a);
        ASSERT_EQ(post[i * 4 + 3], a);
    }
}

TEST(Premultiply, BadArgumentsDoNothing) {
    uint8_t px8[4] = {10, 20, 30, 100};
    uint16_t px16[4] = {1000, 2000, 3000, 100};
    for (int w : {0, -1}) {
        DRO_AdjustRGBA32PreFilter(px8, w, 1);
        DRO_AdjustRGBA32PostFilter(px8, 1, w);
        DRO_AdjustRGBA64PreFilter(px16, w, w);
        DRO_AdjustRGBA64PostFilter(px16, 1, w);
    }
    DRO_AdjustRGBA32PreFilter(nullptr, 4, 4);
    DRO_AdjustRGBA32PostFilter(nullptr, 4, 4);
    DRO_AdjustRGBA64PreFilter(nullptr, 4, 4);
    DRO_AdjustRGBA64PostFilter(nullptr, 4, 4);
    EXPECT_TRUE(px8[0] == 10 && px8[1] == 20 && px8[2] == 30 && px8[3] == 100);
    EXPECT_TRUE(px16[0] == 1000 && px16[1] == 2000 && px16[2] == 3000 && px16[3] == 100);
}

}  // namespace
