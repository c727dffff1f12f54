// Properties of the artistic, relief and glow effects that catch real faults: Canny
// lines one pixel wide on the step, rebuilt fields, cells drawn from their own mean,
// flat pictures kept flat, glows that stay on their side of the shape.
#include <algorithm>
#include <string>

#include "imaging/filter_fixture.h"
#include "imaging/lib/canny.h"

namespace {

class ArtisticEffects : public EngineTest {
protected:
    Image run(const Image& im, const std::string& name, std::array<int32_t, 6> s, std::array<uint8_t, 6> f = {},
              std::array<int32_t, 2> styles = {}, std::array<int32_t, 3> colour = {}) {
        openCanvas(im.w, im.h);
        DRO_LoadRGBA32(im.px.data(), im.w * 4, 0);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
        DRO_IPLImageProcess(0, name.c_str(), 0, s[0], s[1], s[2], s[3], s[4], s[5], styles[0], styles[1], f[0], f[1],
                            f[2], f[3], f[4], f[5], colour[0], colour[1], colour[2], nullptr);
        Image out{im.w, im.h, std::vector<uint8_t>(im.px.size())};
        DRO_GetRGBA32Layer(out.px.data(), im.w * 4, 1);
        return out;
    }
};

Image opaque(Image im) {
    for (size_t i = 3; i < im.px.size(); i += 4) im.px[i] = 255;
    return im;
}

TEST(Canny, AStepGivesALineOnePixelWideAtTheStep) {
    constexpr int w = 16, h = 12;
    for (int vertical = 0; vertical < 2; ++vertical)
        for (double sigma : {0.0, 1.0, 2.0}) {
            std::vector<uint8_t> grey(w * h), edges(w * h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) grey[y * w + x] = (vertical ? x : y) < 7 ? 30 : 220;
            ASSERT_TRUE(dro::ISE3CannyEdgeDetector(grey.data(), w, h, edges.data(), sigma, 40, 100));
            // Each line across the step crosses exactly one edge pixel, beside the step.
            const int across = vertical ? h : w, along = vertical ? w : h;
            for (int i = 0; i < across; ++i) {
                int count = 0, where = -1;
                for (int j = 0; j < along; ++j)
                    if (edges[vertical ? i * w + j : j * w + i]) ++count, where = j;
                EXPECT_EQ(count, 1) << "sigma " << sigma << " line " << i;
                EXPECT_TRUE(where == 6 || where == 7) << where;
            }
        }
    std::vector<uint8_t> flat(w * h, 90), edges(w * h, 7);
    ASSERT_TRUE(dro::ISE3CannyEdgeDetector(flat.data(), w, h, edges.data(), 1.0, 10, 20));
    EXPECT_EQ(std::count(edges.begin(), edges.end(), 0), w * h);
}

TEST_F(ArtisticEffects, DeinterlaceRebuildsOneFieldFromTheOther) {
    const Image picture = opaque(randomImage(6, 7, 3));
    for (int field = 0; field < 2; ++field)
        for (uint8_t interpolate = 0; interpolate < 2; ++interpolate) {
            const Image out = run(picture, "Deinterlace", {}, {interpolate}, {field});
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 6; ++x) {
                    const bool kept = (y & 1) == field;
                    const int from = y == 0 ? 1 : y - 1;
                    for (int c = 0; c < 4; ++c) {
                        int expected = picture.get(x, kept ? y : from)[c];
                        if (!kept && interpolate && y > 0 && y < 6)
                            expected = (picture.get(x, y - 1)[c] + picture.get(x, y + 1)[c] + 1) / 2;
                        ASSERT_EQ(out.get(x, y)[c], expected) << field << int{interpolate} << " at " << x << "," << y;
                    }
                }
        }
}

TEST_F(ArtisticEffects, MosaicAndHalftoneDrawEachCellFromItsMean) {
    const Image picture = opaque(randomImage(17, 13, 8));
    // Mosaic at 5-pixel cells: each cell one colour, the rounded mean of its pixels.
    const Image mosaic = run(picture, "Mosaic", {50});
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 17; ++x) {
            const int x0 = x / 5 * 5, y0 = y / 5 * 5, x1 = std::min(17, x0 + 5), y1 = std::min(13, y0 + 5);
            int sum = 0;
            for (int v = y0; v < y1; ++v)
                for (int u = x0; u < x1; ++u) sum += picture.get(u, v)[1];
            const int n = (x1 - x0) * (y1 - y0);
            ASSERT_EQ(mosaic.get(x, y)[1], (sum + n / 2) / n) << x << "," << y;
            ASSERT_EQ(mosaic.get(x, y)[3], 255);
        }
    // Halftone at 4-pixel cells on flat colour: ink 0 or paper 255, the same dot in every
    // cell, ink covering the channel's darkness.
    const Image flat = Image::flat(16, 12, {64, 128, 230, 255});
    const Image dots = run(flat, "Halftone", {67});
    for (int c = 0; c < 3; ++c) {
        int ink = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const int v = dots.get(x, y)[c];
                ASSERT_TRUE(v == 0 || v == 255);
                ASSERT_EQ(v, dots.get(x % 4, y % 4)[c]) << x << "," << y;
                ink += v == 0;
            }
        EXPECT_NEAR(ink / 192.0, 1.0 - flat.get(0, 0)[c] / 255.0, 1.0 / 16) << c;
    }
    // Transparent pixels lend a cell no ink: white beside transparent stays paper.
    Image half = Image::flat(8, 8, {255, 255, 255, 255});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) half.set(x, y, {0, 0, 0, 0});
    const Image paper = run(half, "Halftone", {200});  // one 8-pixel cell
    for (int y = 0; y < 8; ++y)
        for (int x = 4; x < 8; ++x) ASSERT_EQ(paper.get(x, y), (std::array<int, 4>{255, 255, 255, 255})) << x << "," << y;
}

TEST_F(ArtisticEffects, FlatPicturesStayFlat) {
    const Image flat = Image::flat(13, 11, {70, 150, 210, 255});
    for (const char* name : {"Oil Paint", "Gausy", "Fingerprint", "Scribble", "Watercolor Tint", "Edge2", "Deinterlace",
                             "Mosaic", "HDRI", "Brightness Histogram Stretch HSL", "Emboss"}) {
        const Image out = run(flat, name, {500, 500, 500, 500, 500, 500});
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(out.get(x, y), out.get(0, 0)) << name << " at " << x << "," << y;
    }
    // Emboss lights nothing on a flat surface: middle grey; a no-op stays exact.
    EXPECT_EQ(run(flat, "Emboss", {375, 0, 200}).get(5, 5), (std::array<int, 4>{128, 128, 128, 255}));
    EXPECT_EQ(run(flat, "HDRI", {1000, 500, 1000, 0, 1000}), flat);
}

TEST_F(ArtisticEffects, GlowsStayOnTheirSideOfTheShape) {
    // An opaque square in a transparent layer.
    Image shape = Image::flat(20, 20, {0, 0, 0, 0});
    for (int y = 6; y < 14; ++y)
        for (int x = 6; x < 14; ++x) shape.set(x, y, {40, 60, 80, 255});
    const std::array<int32_t, 3> gold{255, 200, 0};
    const Image outer = run(shape, "Glow Outer", {50, 1000}, {}, {}, gold);
    const Image inner = run(shape, "Glow Inner", {50, 1000}, {}, {}, gold);
    for (int y = 6; y < 14; ++y)
        for (int x = 6; x < 14; ++x) ASSERT_EQ(outer.get(x, y), shape.get(x, y)) << x << "," << y;
    EXPECT_GT(outer.get(5, 10)[3], 100);  // a halo beside the shape, in the glow's colour
    EXPECT_EQ(outer.get(5, 10)[0], 255);
    EXPECT_EQ(outer.get(0, 0)[3], 0);  // and none far from it
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(inner.get(x, y)[3], shape.get(x, y)[3]);
    EXPECT_GT(inner.get(6, 10)[0], 150);               // the rim takes the glow
    EXPECT_LE(std::abs(inner.get(9, 9)[0] - 40), 10);  // the middle keeps its colour
}

TEST_F(ArtisticEffects, HdriLiftsDimDetailAndLeavesBrightAreas) {
    // Left: dim texture; right: bright texture.
    Image picture = Image::flat(24, 12, {0, 0, 0, 255});
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 24; ++x) {
            const int v = ((x + y) & 1) ? 20 : 40;
            picture.set(x, y, {x < 12 ? v : v + 180, x < 12 ? v : v + 180, x < 12 ? v : v + 180, 255});
        }
    const Image out = run(picture, "HDRI", {333, 50, 200, 40, 1000});
    EXPECT_EQ(out.get(3, 5)[0], picture.get(3, 5)[0] * 2);
    EXPECT_EQ(out.get(20, 5), picture.get(20, 5));
}

}  // namespace

namespace {

TEST_F(ArtisticEffects, ContrastMaskEvensOutLightAndShade) {
    Image picture = Image::flat(40, 16, {30, 30, 30, 255});
    for (int y = 0; y < 16; ++y)
        for (int x = 20; x < 40; ++x) picture.set(x, y, {225, 225, 225, 255});
    for (const char* name : {"Contrast Mask", "Photo Detailer"}) {
        const Image out = run(picture, name, {100, 600, 500, 300, 500, 500});
        // Far from the boundary: the shade lifted, the light lowered, grey kept grey.
        EXPECT_GT(out.get(3, 8)[0], 30 + 10) << name;
        EXPECT_LT(out.get(36, 8)[0], 225 - 10) << name;
        EXPECT_EQ(out.get(3, 8)[0], out.get(3, 8)[2]) << name;
    }
}

}  // namespace

namespace {

// The seeded effects: dots and strokes go where the picture is dark, cracks only
// darken, and the same settings give the same picture while another pattern number
// gives another.
TEST_F(ArtisticEffects, SeededEffectsFollowThePictureAndRepeat) {
    Image halves = Image::flat(40, 20, {255, 255, 255, 255});
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) halves.set(x, y, {0, 0, 0, 255});
    const auto inkShare = [](const Image& im, int x0, int x1) {
        int ink = 0;
        for (int y = 0; y < im.h; ++y)
            for (int x = x0; x < x1; ++x) ink += im.get(x, y)[0] < 128;
        return ink / double((x1 - x0) * im.h);
    };
    const Image stipple = run(halves, "Stipple", {200, 500});  // 4-pixel dots, density 1
    EXPECT_GT(inkShare(stipple, 0, 16), 0.4);
    EXPECT_EQ(inkShare(stipple, 25, 40), 0.0);
    const Image pencil = run(halves, "Scribble", {160, 300}, {}, {1});
    EXPECT_GT(inkShare(pencil, 0, 20), 0.5);
    EXPECT_EQ(inkShare(pencil, 29, 40), 0.0);  // white paper beyond the reach of strokes from the dark

    const Image picture = opaque(randomImage(30, 24, 6, 200));
    const Image crackled = run(picture, "Crackle", {250, 300, 600});
    int darker = 0;
    for (size_t i = 0; i < picture.px.size(); ++i) {
        ASSERT_LE(crackled.px[i], picture.px[i]) << i;
        darker += crackled.px[i] < picture.px[i];
    }
    EXPECT_GT(darker, 0);
    EXPECT_LT(darker, static_cast<int>(picture.px.size() / 2));
    EXPECT_EQ(run(picture, "Crackle", {250, 300, 600}), crackled);
    openCanvas(30, 24);
    DRO_LoadRGBA32(picture.px.data(), 30 * 4, 0);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    DRO_IPLImageProcess(0, "Crackle", 7, 250, 300, 600, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    Image other{30, 24, std::vector<uint8_t>(picture.px.size())};
    DRO_GetRGBA32Layer(other.px.data(), 30 * 4, 1);
    EXPECT_NE(other, crackled);
}

}  // namespace
