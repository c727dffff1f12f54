// The render's lane kernels against the scalar accumulator and merge rules, bit for
// bit: every lane formula over random accumulators, destinations and sources (alpha
// 0, the copy edge, colours the alpha-mode rewrite pushes past 16 bits), and the
// conversion to 16 bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "composite/render_kernels.h"

namespace {

using dro::AccumulatorPixel;
using dro::WorkPixel;

uint32_t nextRandom(uint32_t& s) {
    s = s * 1664525u + 1013904223u;
    return s ^ (s >> 13);
}

bool sameBits(const AccumulatorPixel& a, const AccumulatorPixel& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

AccumulatorPixel randomAccumulator(uint32_t& s) {
    switch (nextRandom(s) % 6) {
    case 0: return {0.0f, 0.0f, 0.0f, 0.0f};
    case 2: {  // opaque, as over the background
        const auto unit = [&] { return static_cast<float>(nextRandom(s) % 1000001) / 1000000.0f; };
        return {unit(), unit(), unit(), 1.0f};
    }
    case 1: {  // a copy of a random pixel, sometimes of a colour past 16 bits
        const uint32_t big = nextRandom(s) % 4 == 0 ? nextRandom(s) : nextRandom(s) & 0xFFFF;
        return {dro::colourUnit(big), dro::colourUnit(nextRandom(s) & 0xFFFF), dro::colourUnit(nextRandom(s) & 0xFF00),
                dro::alphaUnit((nextRandom(s) & 0xFFFF) | 1)};
    }
    default: {
        const auto unit = [&] { return static_cast<float>(nextRandom(s) % 1000001) / 1000000.0f; };
        return {unit(), unit(), unit(), unit()};
    }
    }
}

WorkPixel randomSource(uint32_t& s, bool wide) {
    static const uint32_t kAlphas[] = {0, 1, 0xFEFF, 0xFF00, 0xFFFF, 0x7FFF};
    const auto channel = [&] { return wide && nextRandom(s) % 3 == 0 ? nextRandom(s) : nextRandom(s) & 0xFFFF; };
    const uint32_t a = nextRandom(s) % 2 ? kAlphas[nextRandom(s) % 6] : nextRandom(s) & 0xFFFF;
    return {channel(), channel(), channel(), a};
}

template <int32_t Formula>
void checkFormula() {
    SCOPED_TRACE(::testing::Message() << "formula " << Formula);
    uint32_t s = 977u + Formula;
    for (int i = 0; i < 20000; ++i) {
        const AccumulatorPixel start = randomAccumulator(s);
        const bool wide = i % 2 == 1;  // colours of a rewritten alpha-mode source
        const WorkPixel src = randomSource(s, wide);
        const int32_t opacity = nextRandom(s) % 2 ? 256 : static_cast<int32_t>(nextRandom(s) % 257);
        const bool clearsEmpty = nextRandom(s) % 4 == 0;
        AccumulatorPixel scalar = start;
        dro::compositeOntoAccumulator<Formula>(scalar, src, opacity, clearsEmpty);
        AccumulatorPixel lanes = start;
        if (wide) {
            dro::render_kernels::compositeLanes<Formula>(lanes, dro::render_kernels::channelsOf(src),
                                                         dro::applyOpacity(src.a, opacity), clearsEmpty);
        } else {
            const uint16_t p[4] = {static_cast<uint16_t>(src.r), static_cast<uint16_t>(src.g),
                                   static_cast<uint16_t>(src.b), static_cast<uint16_t>(nextRandom(s))};
            dro::render_kernels::compositeLanes<Formula>(lanes, dro::render_kernels::channelsOf(p),
                                                         dro::applyOpacity(src.a, opacity), clearsEmpty);
        }
        ASSERT_TRUE(sameBits(scalar, lanes))
            << "case " << i << ": scalar " << scalar.r << " " << scalar.g << " " << scalar.b << " " << scalar.a
            << ", lanes " << lanes.r << " " << lanes.g << " " << lanes.b << " " << lanes.a << "; from " << start.r
            << " " << start.g << " " << start.b << " " << start.a << " with " << src.r << " " << src.g << " " << src.b
            << " " << src.a << " at opacity " << opacity << (clearsEmpty ? ", clearing" : "");
    }
}

// The stroke's integer merge: destinations empty, opaque and in between.
template <int32_t Formula>
void checkMergeFormula() {
    SCOPED_TRACE(::testing::Message() << "merge formula " << Formula);
    uint32_t s = 1307u + Formula;
    static const uint32_t kDestinationAlphas[] = {0, 65535, 1, 0xFF00};
    for (int i = 0; i < 20000; ++i) {
        const uint32_t da = nextRandom(s) % 2 ? kDestinationAlphas[nextRandom(s) % 4] : nextRandom(s) & 0xFFFF;
        const WorkPixel start{nextRandom(s) & 0xFFFF, nextRandom(s) & 0xFFFF, nextRandom(s) & 0xFFFF, da};
        const WorkPixel src = randomSource(s, i % 2 == 1);
        const int32_t opacity = nextRandom(s) % 2 ? 256 : static_cast<int32_t>(nextRandom(s) % 257);
        const bool alphaLock = nextRandom(s) % 4 == 0;
        const bool clearsEmpty = nextRandom(s) % 4 == 0;
        WorkPixel scalar = start;
        const bool scalarWrites = dro::compositeSource<Formula>(scalar, src, opacity, alphaLock, clearsEmpty);
        WorkPixel lanes = start;
        const bool lanesWrite =
            dro::render_kernels::compositeSourceLanes<Formula>(lanes, src, opacity, alphaLock, clearsEmpty);
        ASSERT_EQ(scalarWrites, lanesWrite) << i;
        ASSERT_TRUE(scalar.r == lanes.r && scalar.g == lanes.g && scalar.b == lanes.b && scalar.a == lanes.a)
            << "case " << i << ": scalar " << scalar.r << " " << scalar.g << " " << scalar.b << " " << scalar.a
            << ", lanes " << lanes.r << " " << lanes.g << " " << lanes.b << " " << lanes.a;
    }
}

template <int32_t... F>
void checkFormulas(std::integer_sequence<int32_t, F...>) {
    (
        [] {
            if constexpr (dro::render_kernels::laneFormula(F)) {
                checkFormula<F>();
                checkMergeFormula<F>();
            }
        }(),
        ...);
}

}  // namespace

TEST(RenderLanes, EveryLaneFormulaGivesTheScalarRulesBitsOntoAccumulatorsAndInTheMerge) {
    checkFormulas(std::make_integer_sequence<int32_t, dro::kNormalFormulaIndex + 1>{});
}

TEST(RenderLanes, ConversionTo16MatchesTheScalarOneAlsoPastFullScale) {
    // A colour wrapped by the rewrite (below zero as 32 bits) saturates, even where its
    // product with 65280 rounds to 2^32.
    const AccumulatorPixel wrapped{dro::colourUnit(0xFFFFFF80u), dro::colourUnit(65535), 0.0f, 1.0f};
    for (const WorkPixel w : {dro::accumulatorTo16(wrapped), dro::render_kernels::to16(wrapped)}) {
        EXPECT_EQ(w.r, 65535u);
        EXPECT_EQ(w.g, 65535u);
        EXPECT_EQ(w.b, 0u);
        EXPECT_EQ(w.a, 65535u);
    }
    uint32_t s = 5;
    for (int i = 0; i < 100000; ++i) {
        AccumulatorPixel p = randomAccumulator(s);
        if (i % 7 == 0) p.r = dro::colourUnit(0xFFFFFFFFu);  // a wrapped colour copied in
        const WorkPixel want = dro::accumulatorTo16(p);
        const WorkPixel got = dro::render_kernels::to16(p);
        ASSERT_EQ(got.r, want.r) << i;
        ASSERT_EQ(got.g, want.g) << i;
        ASSERT_EQ(got.b, want.b) << i;
        ASSERT_EQ(got.a, want.a) << i;
    }
}

TEST(RenderLanes, FourPixelFinishGivesEachPixelsHighBytesAndOpacity) {
    // Alphas at the edge of opaque: 1, the float just below it, and 65534 / 65535.
    const float edges[] = {1.0f, std::nextafter(1.0f, 0.0f), dro::alphaUnit(65534), dro::alphaUnit(65535)};
    uint32_t s = 11;
    int opaqueGroups = 0;
    for (int i = 0; i < 50000; ++i) {
        AccumulatorPixel p[4];
        for (AccumulatorPixel& q : p) {
            q = randomAccumulator(s);
            if (nextRandom(s) % 4 != 0) q.a = edges[nextRandom(s) % 4];
            if (nextRandom(s) % 9 == 0) q.g = dro::colourUnit(0xFFFFFF00u);  // past full scale
        }
        uint32_t words[4];
        const bool opaque = dro::render_kernels::opaqueWords4(p, words);
        bool allOpaque = true;
        for (int k = 0; k < 4; ++k) {
            const WorkPixel want = dro::accumulatorTo16(p[k]);
            allOpaque = allOpaque && want.a == 65535u;
            ASSERT_EQ(words[k] & 0xFFu, want.b >> 8) << i << ' ' << k;
            ASSERT_EQ((words[k] >> 8) & 0xFFu, want.g >> 8) << i << ' ' << k;
            ASSERT_EQ((words[k] >> 16) & 0xFFu, want.r >> 8) << i << ' ' << k;
            ASSERT_EQ(words[k] >> 24, 0u) << i << ' ' << k;
        }
        ASSERT_EQ(opaque, allOpaque) << i;
        opaqueGroups += opaque ? 1 : 0;
    }
    EXPECT_GT(opaqueGroups, 100);  // both outcomes are exercised
    EXPECT_LT(opaqueGroups, 49000);
}

TEST(RenderLanes, OpaqueCopyFinishesToTheLayerPixelsHighBytes) {
    // The render shows an opaque chunk's layer pixels without the accumulator: a value
    // taken to a unit and back may drop by one, never across a multiple of 256.
    for (uint32_t v = 0; v <= 65535u; ++v) {
        const uint16_t p[4] = {static_cast<uint16_t>(v), static_cast<uint16_t>(65535u - v),
                               static_cast<uint16_t>(v ^ 0x5A5Au), 65535};
        AccumulatorPixel acc{};
        dro::render_kernels::store(acc, dro::render_kernels::copyOf(dro::render_kernels::channelsOf(p), 65535));
        const WorkPixel w = dro::render_kernels::to16(acc);
        ASSERT_EQ(w.r >> 8, uint32_t{p[0]} >> 8) << v;
        ASSERT_EQ(w.g >> 8, uint32_t{p[1]} >> 8) << v;
        ASSERT_EQ(w.b >> 8, uint32_t{p[2]} >> 8) << v;
        ASSERT_EQ(w.a, 65535u) << v;
    }
}
