// The host effects that run the procedural interpreter: the style the host picks and
// the channel order around the interpreter's calls reach the picture.
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
