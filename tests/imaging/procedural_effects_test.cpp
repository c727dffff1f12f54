// The host effects that run the procedural interpreter: the style the host picks and
// the channel order around the interpreter's calls reach the picture.
#include <algorithm>
#include <cstdio>
#include <string>

#include "imaging/filter_fixture.h"

namespace {

class ProceduralHostEffects : public EngineTest {
protected:
    Image run(const char* name, const Image& im, int style2, int red, int green, int blue) {
        openCanvas(im.w, im.h);
        DRO_LoadRGBA32(im.px.data(), im.w * 4, 0);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
        DRO_IPLImageProcess(0, name, 9, 500, 500, 500, 500, 500, 500, 0, style2, 0, 0, 0, 0, 0, 0, red, green, blue,
                            nullptr);
        Image out{im.w, im.h, std::vector<uint8_t>(im.px.size())};
        DRO_GetRGBA32Layer(out.px.data(), im.w * 4, 1);
        return out;
    }
};

TEST_F(ProceduralHostEffects, StylesAndColoursKeepTheirChannels) {
    const Image grey = Image::flat(24, 16, {128, 128, 128, 255});
    // Host style 1 is the fire ramp: red never below blue, and somewhere well above.
    const Image fire = run("Plasma", grey, 1, 0, 0, 0);
    int redder = 0;
    for (size_t i = 0; i < fire.px.size(); i += 4) {
        ASSERT_GE(fire.px[i], fire.px[i + 2]);
        redder += fire.px[i] > fire.px[i + 2] + 40;
        ASSERT_EQ(fire.px[i + 3], 255);
    }
    EXPECT_GT(redder, 24 * 16 / 4);
    // Host style 0 is grey.
    const Image plain = run("Plasma", grey, 0, 0, 0, 0);
    for (size_t i = 0; i < plain.px.size(); i += 4) ASSERT_TRUE(plain.px[i] == plain.px[i + 1] && plain.px[i] == plain.px[i + 2]);
    EXPECT_NE(plain, grey);

    // Colorize towards the colour argument's red: mid grey turns red, not blue.
    const Image toned = run("Colorize", grey, 0, 230, 20, 20);
    EXPECT_GT(toned.px[0], toned.px[2] + 60);
}

}  // namespace

namespace {

class ProceduralPathEffects : public EngineTest {
protected:
    std::string script(const std::string& name, const std::string& body) {
        const std::string path = ::testing::TempDir() + "drovane_path_effect_" + name;
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fputs(body.c_str(), f);
            std::fclose(f);
        }
        return path;
    }
    Image run(const char* name, const Image& im, const std::string& path, int s1, int s2, uint8_t f1) {
        openCanvas(im.w, im.h);
        DRO_LoadRGBA32(im.px.data(), im.w * 4, 0);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
        DRO_IPLImageProcess(0, name, 0, s1, s2, 0, 0, 0, 0, 0, 0, f1, 0, 0, 0, 0, 0, 0, 0, 0, path.c_str());
        Image out{im.w, im.h, std::vector<uint8_t>(im.px.size())};
        DRO_GetRGBA32Layer(out.px.data(), im.w * 4, 1);
        return out;
    }
};

TEST_F(ProceduralPathEffects, BackgroundsTileTheScriptsPictureAndRefuseBrokenScripts) {
    const std::string path = script("tile.dps", "drovane-procedural 1\nsize 7 5\ngenerator noise seed=4 colour=1\n");
    std::vector<uint8_t> tile(7 * 5 * 4);
    ASSERT_EQ(DRO_RenderProceduralScript(path.c_str(), tile.data(), 7, 5), 1);
    // Full size, full opacity, normal mode, opaque: the layer is the tiling, also across
    // the partial tiles at the right and bottom.
    const Image grey = Image::flat(17, 12, {128, 128, 128, 255});
    const Image out = run("Backgrounds Nature", grey, path, 1000, 1000, 1);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 17; ++x) {
            const uint8_t* t = &tile[(static_cast<size_t>(y % 5) * 7 + x % 7) * 4];
            // The layer holds 16 bits; 8 bits come back exactly.
            ASSERT_EQ(out.get(x, y), (std::array<int, 4>{t[0], t[1], t[2], 255})) << x << "," << y;
        }

    // A broken script changes nothing and says which line is wrong.
    const std::string broken = script("broken.dps", "drovane-procedural 1\nsize 7 5\ngenerator noise grain=0\n");
    EXPECT_EQ(run("Backgrounds Utility", grey, broken, 1000, 1000, 1), grey);
    EXPECT_STREQ(DRO_GetLastError(), "Backgrounds Utility: line 3: \"grain\" must be 1 to 256");
}

TEST_F(ProceduralPathEffects, PatternExplorerTilesAnOpaqueFold) {
    const std::string path = script("fold.dps", "drovane-procedural 1\nsize 40 40\ngenerator plasma style=3\n");
    const Image grey = Image::flat(30, 26, {128, 128, 128, 0});
    // Slider 250: tiles of 25 % of 40 = 10 pixels, repeating across the layer.
    const Image out = run("Pattern Explorer", grey, path, 250, 0, 0);
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 30; ++x) {
            ASSERT_EQ(out.get(x, y)[3], 255);
            ASSERT_EQ(out.get(x, y), out.get(x % 10, y % 10)) << x << "," << y;
        }
    EXPECT_NE(out.get(1, 1), out.get(5, 6));
}

TEST_F(ProceduralPathEffects, TexturizeEmbossOfLevelGroundKeepsTheLayer) {
    // One noise cell over the whole script picture: level ground, mid grey, which the
    // overlay leaves as it was (within rounding); a textured script does change it.
    const std::string level = script("level.dps", "drovane-procedural 1\nsize 8 8\ngenerator noise grain=256\n");
    Image picture = Image::flat(13, 9, {200, 90, 40, 255});
    for (int x = 0; x < 13; ++x) picture.px[static_cast<size_t>(x) * 4 + 3] = 0;  // a clear top row stays clear
    const Image out = run("Texturize Emboss Surface", picture, level, 1000, 500, 0);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x)
            for (int c = y == 0 ? 3 : 0; c < 4; ++c)  // a clear pixel's colour is nobody's
                ASSERT_NEAR(out.get(x, y)[c], picture.get(x, y)[c], 2) << x << "," << y;
    const std::string rough = script("rough.dps", "drovane-procedural 1\nsize 8 8\ngenerator noise seed=5\n");
    EXPECT_NE(run("Texturize Emboss Surface", picture, rough, 1000, 500, 0), picture);
}

// Level ground moves nothing; a step in the map moves the layer beside it by the
// strength, toward the higher side, and leaves the rest; a broken script writes nothing.
TEST_F(ProceduralPathEffects, DisplacementBumpMovesAlongTheMapsSlopesOnly) {
    const std::string level = script("bump_level.dps", "drovane-procedural 1\nsize 8 8\ngenerator noise grain=256\n");
    Image picture = Image::flat(24, 10, {0, 0, 0, 255});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 24; ++x) picture.px[(static_cast<size_t>(y) * 24 + x) * 4] = static_cast<uint8_t>(x * 10);
    EXPECT_EQ(run("Displacement Bump Material", picture, level, 50, 0, 0), picture);

    // Stripes: where the map (rendered here) steps from black to white, the neighbouring
    // columns slope by 255 over two pixels and sample 5 x 255 / 510 = 2.5 pixels away, on a
    // ramp of 10 levels a pixel; every other column stays exact.
    const std::string step = script("bump_step.dps", "drovane-procedural 1\nsize 24 10\ngenerator pattern kind=1 cell=12\n");
    std::vector<uint8_t> map(24 * 10 * 4);
    ASSERT_EQ(DRO_RenderProceduralScript(step.c_str(), map.data(), 24, 10), 1);
    const auto height = [&](int x) { return static_cast<int>(map[static_cast<size_t>(std::clamp(x, 0, 23)) * 4]); };
    const Image moved = run("Displacement Bump Material", picture, step, 50, 0, 0);
    int sloped = 0;
    for (int x = 1; x < 23; ++x) {
        const int slope = height(x + 1) - height(x - 1);
        ASSERT_TRUE(slope == 0 || std::abs(slope) == 255) << x;
        sloped += slope != 0;
        for (int y = 0; y < 10; ++y) {
            if (slope == 0) ASSERT_EQ(moved.get(x, y), picture.get(x, y)) << x << "," << y;
            else ASSERT_NEAR(moved.get(x, y)[0] - picture.get(x, y)[0], slope > 0 ? 25 : -25, 1) << x << "," << y;
        }
    }
    EXPECT_GE(sloped, 2);

    const std::string broken = script("bump_broken.dps", "drovane-procedural 1\nsize 8 8\n");
    EXPECT_EQ(run("Displacement Bump Other", picture, broken, 50, 0, 0), picture);
    EXPECT_STREQ(DRO_GetLastError(), "IPLDisplacementBump: the script has no generator line");
}

}  // namespace
