// The row kernels against the per-pixel walk: the same strokes drawn with the kernels
// off, in their plain form and in their vector form must leave identical bits, and the
// vector row must match the plain row on every mix of inputs.
#include <algorithm>
#include <cmath>

#include <omp.h>

#include "brush/dab_fixture.h"
#include "brush/dab_kernels.h"
#include "brush/dab_render.h"
#include "brush/mix_modes.h"

namespace {

// ---- The Normal row on its own ----------------------------------------------------------

// Index of the first value that differs, or -1.
long firstDifference(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return at.first == a.end() && at.second == b.end() ? -1 : static_cast<long>(at.first - a.begin());
}


struct Lcg {
    uint32_t s;
    uint32_t next() { return (s = s * 1664525u + 1013904223u) >> 8; }
    // Values that decide the rule's branches and its exact quotients more often than
    // uniform noise would: 0, 1, powers of two, the alpha gate, full.
    uint16_t edgy() {
        switch (next() % 8) {
            case 0: return 0;
            case 1: return 65535;
            case 2: return static_cast<uint16_t>(1u << (next() % 16));
            case 3: return static_cast<uint16_t>(0x1FFF + next() % 3);
            case 4: return static_cast<uint16_t>(1 + next() % 3);
            default: return static_cast<uint16_t>(next());
        }
    }
};

class DabRowKernelTest : public ::testing::Test {
protected:
    void TearDown() override { dro::testhooks::setDabVectorWidth(512); }

    // The row through the plain form and through a vector kernel of the given width
    // (the widest this processor has when it lacks that one).
    static void both(const dro::ToolNormalRow& p, const std::vector<uint16_t>& cov, const std::vector<uint16_t>* cap,
                     std::vector<uint16_t>& plain, std::vector<uint16_t>& fast, int width = 512) {
        const int n = static_cast<int>(cov.size());
        dro::toolNormalRowPlain(p, cov.data(), cap ? cap->data() : nullptr, plain.data(), n);
        dro::testhooks::setDabVectorWidth(width);
        dro::toolNormalRow(p, cov.data(), cap ? cap->data() : nullptr, fast.data(), n);
    }
};

TEST_F(DabRowKernelTest, VectorRowMatchesThePlainRow) {
    Lcg r{77};
    for (int round = 0; round < 3000; ++round) {
        const int n = static_cast<int>(r.next() % 45);
        dro::ToolNormalRow p;
        for (auto& c : p.source) c = r.edgy();
        if (r.next() % 2) p.source[3] = 65535;  // the tool colour is opaque unless varied
        p.writeColor = r.next() % 5 != 0;
        p.writeAlpha = r.next() % 4 != 0;
        p.blobLocked = r.next() % 4 == 0;
        p.alphaLevel = r.next() % 5 == 0 ? r.next() % 70000 : 0;
        std::vector<uint16_t> cov(static_cast<size_t>(n)), cap(static_cast<size_t>(n)), dst(static_cast<size_t>(n) * 4);
        for (auto& v : cov) v = r.edgy();
        for (auto& v : cap) v = r.edgy();
        for (auto& v : dst) v = r.edgy();
        const bool capped = r.next() % 2;
        for (int width : {256, 512}) {
            std::vector<uint16_t> plain = dst, fast = dst;
            both(p, cov, capped ? &cap : nullptr, plain, fast, width);
            ASSERT_EQ(plain, fast) << "round " << round << ", width " << width;
        }
    }
}

TEST_F(DabRowKernelTest, PlainRowFollowsTheNormalRule) {
    // The worked values of the rule, and an untouched pixel where coverage is 0.
    dro::ToolNormalRow p;
    p.source[0] = p.source[1] = p.source[2] = 65280, p.source[3] = 65535;
    p.writeAlpha = true;
    std::vector<uint16_t> dst = {12345, 1, 40000, 65535, 65280, 0x1200, 0, 0, 9, 9, 9, 9};
    const std::vector<uint16_t> cov = {65535, 65535, 0};
    for (int width : {0, 256, 512}) {
        dro::testhooks::setDabVectorWidth(width);
        std::vector<uint16_t> d = dst;
        dro::toolNormalRow(p, cov.data(), nullptr, d.data(), 3);
        EXPECT_EQ(d, (std::vector<uint16_t>{65278, 65278, 65278, 65535, 65280, 65280, 65280, 65534, 9, 9, 9, 9}));
    }
}

TEST_F(DabRowKernelTest, QuotientsStayExactWhereTheyAreWhole) {
    // Coverage 1 makes a = 0, so the new alpha is the old one, dA, and each colour is
    // ((65535 dp) >> 16 << 16) / dA = 65536 (dp - 1) / dA with dp = (d dA) >> 16. For
    // every alpha, colours are chosen so that dp - 1 is a multiple of dA's odd part:
    // whole quotients, which a reciprocal in floating point can land just below.
    dro::ToolNormalRow p;
    p.source[0] = p.source[1] = p.source[2] = 0, p.source[3] = 65535;
    p.writeAlpha = true;
    std::vector<uint16_t> dst, expected;
    for (uint32_t dA = 1; dA < 65536; ++dA) {
        const uint32_t odd = dA >> __builtin_ctz(dA);
        uint16_t colours[3] = {0, 0, 0};
        for (uint32_t m = 1, c = 0; c < 3 && odd * m + 1 < dA; m += 1 + m / 2, ++c) {
            const uint32_t dp = odd * m + 1;
            colours[c] = static_cast<uint16_t>(std::min<uint64_t>((uint64_t{dp} * 65536 + dA - 1) / dA, 65535));
        }
        dst.insert(dst.end(), {colours[0], colours[1], colours[2], static_cast<uint16_t>(dA)});
        for (int c = 0; c < 3; ++c) {
            const uint32_t dp = (uint32_t{colours[c]} * dA) >> 16;
            expected.push_back(static_cast<uint16_t>(std::min<uint32_t>((((65535u * dp) >> 16) << 16) / dA, 65535)));
        }
        expected.push_back(static_cast<uint16_t>(dA));
    }
    const std::vector<uint16_t> cov(dst.size() / 4, 1);
    for (int width : {0, 256, 512}) {
        std::vector<uint16_t> got = dst;
        dro::testhooks::setDabVectorWidth(width);
        dro::toolNormalRow(p, cov.data(), nullptr, got.data(), static_cast<int>(cov.size()));
        ASSERT_EQ(firstDifference(got, expected), -1) << "width " << width;
    }
}

// ---- Whole strokes with the kernels off, plain and vector -------------------------------

struct Outcome {
    std::vector<uint16_t> target, buffer, mask;
    dro::Rect dirty, extents;
    bool operator==(const Outcome&) const = default;
};

class DabKernelStrokeTest : public DabFixture {
protected:
    bool smudge = false;  // every stroke paints from the blend buffer in mode Normal

    void TearDown() override {
        dro::testhooks::setDabRowKernels(true);
        dro::testhooks::setDabVectorWidth(512);
        DabFixture::TearDown();
    }

    // A random canvas, brush and stroke, built the same way from the same seed.
    Outcome stroke(uint32_t seed, bool kernels, int vectorWidth, int& kernelDabs) {
        dro::resetEngine();
        dro::testhooks::setDabRowKernels(kernels);
        dro::testhooks::setDabVectorWidth(vectorWidth);
        rng = seed;
        const int m = 4 + static_cast<int>(next() % 29);
        const int w = 1 + static_cast<int>(next() % 90), h = 1 + static_cast<int>(next() % 70);
        open(w, h, m, next() % 4 == 0 ? 1 : 2);
        if (next() % 6 == 0) DRO_SetLayerOptions(2, 1, 1, 100, "Normal");
        fillRandom(layer(2), size_t(w) * h * 4, true);
        if (next() % 3 == 0) fillRandom(layer(1), size_t(w) * h * 4, true);
        if (next() % 2) {
            makePaintLayer();
            if (next() % 2) fillRandom(dro::paintLayer().layer.pixels.get(), size_t(w) * h * 4);
        }
        fillRandom(blendBuffer(), size_t(m) * m * 4);

        // Hard disc, soft noise with holes, or a ramp.
        const uint32_t shapeKind = next() % 3;
        fillShape([&](int x, int y) -> uint16_t {
            if (shapeKind == 0) return std::hypot(x + 0.5 - m / 2.0, y + 0.5 - m / 2.0) <= m / 2.0 ? 65535 : 0;
            if (shapeKind == 1) return next() % 4 == 0 ? 0 : any16();
            return static_cast<uint16_t>(x * 2000 + y * 300);
        });
        if (next() % 3 != 0) {
            std::vector<uint16_t> mk(size_t(w) * h);
            for (auto& v : mk) v = next() % 3 != 0 ? 65535 : (next() % 4 == 0 ? 0 : any16());
            DRO_SetMaskData16(mk.data());
        } else {
            DRO_EnableMask(0);
        }
        if (next() % 4 == 0) makeTexture();

        dro::ToolSettings& t = dro::toolSettings();
        const int sizes[] = {1, 2, 3, m / 2, m - 1, m, m + 5, 3 * m};
        const int size = std::max(1, sizes[next() % 8]);
        int scaleSize = size;
        switch (next() % 5) {
            case 0: scaleSize = std::max(1, size / 2); break;       // columns skipped
            case 1: scaleSize = size * 2 + 1; break;                // columns repeated
            case 2: scaleSize = 1000 + static_cast<int>(next() % 50); break;  // past the scale table
            default: break;
        }
        setSize(size, scaleSize);
        t.mixMode = next() % 4 != 0 ? 32 : dro::mix::kMixModeIds[next() % dro::mix::kMixModeIds.size()];
        if (next() % 8 == 0) t.mixMode = static_cast<int>(next() % 34);
        t.mixAmount = static_cast<int>(next() % 257), t.mixAmountRest = 256 - t.mixAmount;
        t.alpha = next() % 2 ? 100 : static_cast<int>(next() % 100);
        t.alpha128 = static_cast<int>(t.alpha * 1.28);
        if (next() % 6 == 0) {
            t.blendStrength = static_cast<int>(1 + next() % 256), t.blendStrengthRest = 256 - t.blendStrength;
            t.blendRemix = static_cast<int>(next() % 2);
        }
        t.solidBrushMode = next() % 6 == 0;
        t.alphaLevel = next() % 6 == 0 ? static_cast<int>(next() % 70000) : 0;
        t.blobLocked = next() % 5 == 0;
        t.colorLocked = next() % 6 == 0;
        t.toolAlphaLocked = next() % 8 == 0;
        t.colorVary = next() % 4 == 0 ? static_cast<int>(1 + next() % 200) : 0;
        if (next() % 6 == 0) {
            // Per-pixel streams differ between threads, so only on dabs kept to one.
            t.pixColorVary = static_cast<int>(1 + next() % 100);
            if (scaleSize > dro::kDabParallelRows) t.pixColorVary = 0;
            dro::MakeRandArrayByte(dro::brushBuffers().pixelColorTable, 1000, 3 * m);
        }
        if (next() % 4 == 0) {
            t.grainCellSize = 3;
            t.drawingLength = 1000;
            dro::BrushBuffers& b = brushBuffersFilled(m);
            b.grainBuffer = 5;
            const int bytes = (m + 25) * (m + 25);
            // Now and then so far in that the dab's rows run past the buffer's end.
            b.grainOffset =
                next() % 3 == 0 ? bytes - 1 - static_cast<int>(next() % (m * m)) : static_cast<int>(next() % (25 * m));
            const int limits[] = {255, -1, 300, 0};
            t.densityLimit = next() % 3 == 0 ? limits[next() % 4] : static_cast<int>(next() % 256);
        }
        if (next() % 6 == 0) {
            t.rotateBrushMode = 1;
            t.rotateRadians = static_cast<float>((next() % 360) * 3.14159265 / 180);
            t.rotateSin = std::sin(t.rotateRadians), t.rotateCos = std::cos(t.rotateRadians);
        }
        const bool erase = next() % 6 == 0;
        if (smudge) {
            t.mixMode = 32;
            t.blendStrength = static_cast<int>(1 + next() % 256), t.blendStrengthRest = 256 - t.blendStrength;
            t.blendRemix = next() % 4 != 0;
            t.imageBrushMode = static_cast<int>(next() % 2);
            t.blendPrimaryColorStrength = next() % 2 ? 0 : static_cast<int>(next() % 257);
            t.blendPrimaryColorRest = 256 - t.blendPrimaryColorStrength;
        }

        dro::seedRandom(seed);
        kernelDabs = 0;
        const int dabs = 1 + static_cast<int>(next() % 5);
        for (int k = 0; k < dabs; ++k) {
            int x = static_cast<int>(next() % (w + 2 * size)) - size;
            const int y = static_cast<int>(next() % (h + 2 * size)) - size;
            if (next() % 10 == 0) x = next() % 2 ? -1000000000 : 2000000000;
            if (erase) t.eraseModeOn = 1;
            const bool routed = t.mixMode == 32 && !erase && t.rotateBrushMode != 1 && (t.blendStrength == 0) &&
                                t.pixColorVary == 0;
            kernelDabs += routed;
            DRO_DrawDabGrit(x, y, static_cast<int>(next()), static_cast<int>(next()), static_cast<int>(next()));
        }

        Outcome o;
        o.target.assign(target(), target() + size_t(w) * h * 4);
        o.buffer.assign(blendBuffer(), blendBuffer() + size_t(m) * m * 4);
        if (dro::activeMask()) o.mask = maskValues(w, h);
        o.dirty = dro::undoStore().dirtyRect;
        o.extents = dro::paintLayer().layer.extents;
        return o;
    }

    dro::BrushBuffers& brushBuffersFilled(int m) {
        dro::BrushBuffers& b = dro::brushBuffers();
        for (int i = 0; i < (m + 25) * (m + 25); ++i) b.grain[5][i] = static_cast<uint8_t>(next());
        return b;
    }
};

TEST_F(DabKernelStrokeTest, KernelsLeaveTheSameBitsAsThePerPixelWalk) {
    int routed = 0;
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        int routedHere = 0;
        const Outcome walk = stroke(seed, false, 0, routedHere);
        routed += routedHere;
        for (int width : {0, 256, 512}) {
            const Outcome kernel = stroke(seed, true, width, routedHere);
            ASSERT_EQ(firstDifference(walk.target, kernel.target), -1) << "kernel width " << width << ", seed " << seed;
            ASSERT_TRUE(walk == kernel) << "buffer, mask or bounds, kernel width " << width << ", seed " << seed;
        }
    }
    // The mix above sends a good share of dabs through the kernels.
    EXPECT_GT(routed, 90);
}

TEST_F(DabKernelStrokeTest, SmudgeRowsLeaveTheSameBitsAsThePerPixelWalk) {
    smudge = true;
    for (uint32_t seed = 300; seed < 380; ++seed) {
        int routed = 0;
        const Outcome walk = stroke(seed, false, 0, routed);
        const Outcome rows = stroke(seed, true, 0, routed);
        ASSERT_EQ(firstDifference(walk.target, rows.target), -1) << "seed " << seed;
        ASSERT_EQ(firstDifference(walk.buffer, rows.buffer), -1) << "blend buffer, seed " << seed;
        ASSERT_TRUE(walk == rows) << "mask or bounds, seed " << seed;
    }
}

TEST_F(DabKernelStrokeTest, BigDabsSplitOverThreadsMatchToo) {
    // Past 35 rows the rows are shared among threads; hard and soft shapes, mask at
    // merge or on coverage, over a canvas with every kind of alpha.
    for (uint32_t seed = 1000; seed < 1012; ++seed) {
        std::vector<uint16_t> walk;
        for (bool kernels : {false, true}) {
            dro::resetEngine();
            dro::testhooks::setDabRowKernels(kernels);
            rng = seed;
            open(150, 120, 96);
            fillRandom(layer(2), size_t(150) * 120 * 4, true);
            if (seed % 2) makePaintLayer();
            std::vector<uint16_t> mk(size_t(150) * 120);
            for (auto& v : mk) v = next() % 2 ? 65535 : any16();
            DRO_SetMaskData16(mk.data());
            fillShape([&](int x, int y) -> uint16_t {
                const double d = std::hypot(x - 47.5, y - 47.5) / 48;
                return d >= 1 ? 0 : static_cast<uint16_t>(seed % 3 == 0 ? 65535 : 65535 * (1 - d));
            });
            setSize(96, 90 + static_cast<int>(seed % 3) * 5);
            for (int k = 0; k < 4; ++k) DRO_DrawDabGrit(20 + k * 37, 30 + k * 19, 0xF000, 0x8000 + k * 4096, 0x1000);
            const std::vector<uint16_t> got(target(), target() + size_t(150) * 120 * 4);
            if (!kernels) {
                walk = got;
            } else {
                ASSERT_TRUE(walk == got) << "seed " << seed;
            }
        }
    }
}

TEST_F(DabKernelStrokeTest, PickUpFromRepeatedRowsMatchesOneThread) {
    // Neighbouring rows that sample one row of the blend buffer: each must see what the
    // one before picked up, as on a single thread, also where the rows are split between
    // threads. Scaled up three times, with dabs cut by the top edge to move the split;
    // and (y 61) an identity table whose middle entries lie past the shape (negative),
    // so rows on both sides of the split sample its last row.
    const int threadsBefore = omp_get_max_threads();
    for (int y : {28, 29, 30, 60, 61}) {
        const int m = y == 61 ? 96 : 32;
        std::vector<uint16_t> results[2];
        for (int threads : {1, 2}) {
            omp_set_num_threads(threads);
            dro::resetEngine();
            rng = 4242;
            open(120, 120, m);
            fillRandom(layer(2), size_t(120) * 120 * 4, false);
            fillRandom(blendBuffer(), size_t(m) * m * 4);
            dro::ToolSettings& t = dro::toolSettings();
            t.blendStrength = 128, t.blendStrengthRest = 128, t.blendRemix = 1;
            if (y == 61) {
                setSize(96, 96);
                for (int k = 40; k < 56; ++k) t.scaleTable[static_cast<size_t>(k)] = -1 - k;
            } else {
                setSize(32, 96);
            }
            DRO_DrawDabGrit(60, y, 0, 0, 0);
            std::vector<uint16_t>& r = results[threads - 1];
            r.assign(target(), target() + size_t(120) * 120 * 4);
            r.insert(r.end(), blendBuffer(), blendBuffer() + size_t(m) * m * 4);
        }
        EXPECT_EQ(firstDifference(results[0], results[1]), -1) << "dab at y " << y;
    }
    omp_set_num_threads(threadsBefore);
}

}  // namespace
