// The effect command: its frame, the registry of implemented effects, and effects
// checked against the in-house filter they route to.
#include <cstring>
#include <string>

#include "imaging/effects/effect_registry.h"
#include "imaging/filter_fixture.h"
#include "imaging/working_buffers.h"
#include "undo/undo_store.h"

namespace {

class ImageProcess : public EngineTest {
protected:
    void open(int w, int h, uint32_t seed, int spread = 256) {
        width = w;
        height = h;
        openCanvas(w, h);
        picture = randomImage(w, h, seed, spread);
        DRO_LoadRGBA32(picture.px.data(), w * 4, 0);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
    }
    static void process(const char* name, std::array<int32_t, 6> s = {}, std::array<uint8_t, 6> f = {},
                        std::array<int32_t, 2> styles = {}) {
        DRO_IPLImageProcess(0, name, 0, s[0], s[1], s[2], s[3], s[4], s[5], styles[0], styles[1], f[0], f[1], f[2],
                            f[3], f[4], f[5], 10, 20, 30, nullptr);
    }
    Image layer() const {
        Image out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
        DRO_GetRGBA32Layer(out.px.data(), width * 4, 1);
        return out;
    }
    static dro::Rect dirty() { return dro::undoStore().dirtyRect; }

    int width = 0, height = 0;
    Image picture;
};

TEST_F(ImageProcess, EveryRegisteredNameIsARealEffect) {
    const dro::EffectRegistry& r = dro::effectRegistry();
    for (int i = 0; i < r.rejectedCount() && i < dro::EffectRegistry::kRejectedKept; ++i)
        ADD_FAILURE() << "rejected: " << r.rejected(i);
    EXPECT_EQ(r.rejectedCount(), 0);
    // Other families may register more; these route to the in-house filters.
    for (const char* name :
         {"Box Blur", "Anti Alias", "Adaptive Blur", "Detail Blur", "Value Blur", "Noise Reduction",
          "Noise Reduction RGB", "Smart Blur", "Hyper Contrast", "Adjust Lab", "Channel", "Fader", "Adjust RGBA",
          "Basic Threshold", "Alpha Edge Color", "Line Art Cleaner", "Clamp", "Bas Relief", "Vignette", "Borderize",
          "Reflection", "Mirror", "Mask Detail", "Mask High Low", "Mask Generate HSL", "Adjust HSL", "Adjust HSV"})
        EXPECT_TRUE(r.find(name)) << name;
    EXPECT_GE(r.registeredCount(), 27);
    EXPECT_EQ(dro::kEffectNames.size(), 188u);
    // A second registration of a name, or a name that is no effect, is refused.
    dro::EffectRegistry scratch;
    const auto noop = [](const dro::EffectArgs&) {};
    EXPECT_TRUE(scratch.add("Glow", "Test", "", noop));
    EXPECT_FALSE(scratch.add("Glow", "Test", "", noop));
    EXPECT_FALSE(scratch.add("glow", "Test", "", noop));
    // A control named twice would make the table contradict itself.
    EXPECT_FALSE(scratch.add("Blur", "Test", "", noop, {dro::slider(1, 0, "a"), dro::slider(1, 5, "b")}));
    EXPECT_EQ(scratch.rejectedCount(), 3);
    EXPECT_FALSE(scratch.find("Blur"));
}

TEST_F(ImageProcess, EveryRegisteredEffectRunsOnSmallImages) {
    const dro::EffectRegistry& r = dro::effectRegistry();
    for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{3, 3}, std::pair{1, 6}, std::pair{6, 1},
                        std::pair{9, 7}}) {
        for (int i = 0; i < dro::kEffectCount; ++i) {
            if (!r.at(i)) continue;
            const std::string name(dro::kEffectNames[static_cast<size_t>(i)]);
            open(w, h, static_cast<uint32_t>(i));
            for (uint8_t flag : {0, 1}) {
                process(name.c_str(), {600, 300, 700, 400, 500, 200}, {flag, flag, flag, flag, flag, flag}, {1, 0});
                EXPECT_EQ(dirty(), (dro::Rect{0, 0, w - 1, h - 1})) << name;
                EXPECT_FALSE(dro::workingBuffers().iplSource24.block) << name;
            }
        }
    }
}

TEST_F(ImageProcess, HyperContrastEqualsTheFilterThroughTheFrame) {
    open(13, 9, 3);
    DRO_EnableMask(0);
    process("Hyper Contrast", {350});
    EXPECT_EQ(layer(), runFilterOn("Hyper Contrast", picture, settings({350})));
    // The source now holds the result, ready for a next step.
    EXPECT_EQ(std::memcmp(dro::workingBuffers().iplSource32.block.get(), layer().px.data(), layer().px.size()), 0);
}

TEST_F(ImageProcess, UnimplementedAndUnknownNamesOnlyMarkTheCanvas) {
    open(4, 4, 8);
    dro::undoStore().dirtyRect = {1, 1, 1, 1};
    // The first effect name no family has registered yet, if any.
    std::string unregistered = "No Such Effect";
    for (std::string_view n : dro::kEffectNames)
        if (!dro::effectRegistry().find(n)) {
            unregistered = std::string(n);
            break;
        }
    for (const char* name : {unregistered.c_str(), "hyper contrast", "No Such Effect", ""}) {
        dro::undoStore().dirtyRect = {1, 1, 1, 1};
        process(name, {500});
        EXPECT_EQ(layer(), picture) << name;
        EXPECT_EQ(dirty(), (dro::Rect{0, 0, 3, 3})) << name;
        // The host can tell that nothing ran, and why.
        const std::string error = DRO_GetLastError();
        const bool known = dro::effectIndex(name).has_value();
        EXPECT_EQ(error, std::string(known ? "IPLImageProc: effect not built: " : "IPLImageProc: unknown effect: ") +
                             name);
    }
}

TEST_F(ImageProcess, WithoutBothBuffersNothingHappens) {
    open(4, 3, 2);
    DRO_IPLFreeDstBuffer32();
    dro::undoStore().dirtyRect = {1, 1, 2, 2};
    process("Hyper Contrast", {200});
    EXPECT_EQ(layer(), picture);
    EXPECT_EQ(dirty(), (dro::Rect{1, 1, 2, 2}));
}

TEST_F(ImageProcess, TheMaskLimitsTheWriteBack) {
    open(3, 1, 6);
    std::vector<uint16_t> mask{65535, 0, 65535};
    DRO_SetMaskData16(mask.data());
    process("Hyper Contrast", {800});
    const Image filtered = runFilterOn("Hyper Contrast", picture, settings({800}));
    const Image out = layer();
    EXPECT_EQ(out.get(0, 0), filtered.get(0, 0));
    EXPECT_EQ(out.get(1, 0), picture.get(1, 0));
    EXPECT_EQ(out.get(2, 0), filtered.get(2, 0));
}

TEST_F(ImageProcess, BlursWorkOnPremultipliedColour) {
    // A transparent pixel's colour must not bleed into its opaque neighbours.
    open(5, 5, 1);
    Image im = Image::flat(5, 5, {40, 80, 120, 255});
    im.set(2, 2, {255, 0, 255, 0});
    DRO_LoadRGBA32(im.px.data(), 20, 0);
    process("Box Blur", {0});
    const Image out = layer();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const auto p = out.get(x, y);
            if (p[3] == 255) {
                EXPECT_NEAR(p[0], 40, 1) << x << "," << y;
                EXPECT_NEAR(p[1], 80, 1) << x << "," << y;
            }
        }
}

TEST_F(ImageProcess, MaskEffectsWriteTheMaskAndLeaveThePixels) {
    open(6, 4, 4);
    Image im = Image::flat(6, 4, {200, 200, 200, 255});
    im.set(0, 0, {0, 0, 0, 255});
    im.set(1, 0, {255, 255, 255, 255});
    DRO_LoadRGBA32(im.px.data(), 24, 0);
    std::vector<uint16_t> mask(24, 1234);
    DRO_SetMaskData16(mask.data());
    // hi = lo = trunc(0.5 * 255) = 127: lum 200 > hi.
    process("Mask High Low", {500, 500});
    const auto m = maskValues(6, 4);
    EXPECT_EQ(m[0], static_cast<uint16_t>(0));  // lum 0 < lo: 0 * 255 / 127
    EXPECT_EQ(m[1], static_cast<uint16_t>(0));  // lum 255 > hi: (255 - 255) ...
    EXPECT_EQ(m[2], static_cast<uint16_t>(static_cast<int>(std::min(55 * 255.0 / 128, 255.0) * 257)));
    EXPECT_EQ(layer(), im);
}

TEST_F(ImageProcess, MaskGenerateHslSelectsTheKeyColour) {
    open(3, 1, 4);
    // Pure red is hue 0, saturation 1, lightness 0.5.
    const Image im{3, 1, {255, 0, 0, 255, 0, 0, 255, 255, 250, 10, 10, 255}};
    DRO_LoadRGBA32(im.px.data(), 12, 0);
    process("Mask Generate HSL", {0, 1000, 500, 50, 100, 100});
    const auto m = maskValues(3, 1);
    EXPECT_EQ(m[0], 65280);  // editable
    EXPECT_EQ(m[1], 0);      // blue: protected
    EXPECT_EQ(m[2], 65280);  // near red, within the tolerances
}

TEST_F(ImageProcess, AdjustHslAtTheMiddleKeepsGreys) {
    open(4, 2, 1);
    const Image greys = Image::flat(4, 2, {128, 128, 128, 255});
    DRO_LoadRGBA32(greys.px.data(), 16, 0);
    process("Adjust HSL", {500, 500, 500});
    EXPECT_EQ(layer(), greys);
    process("Adjust HSV", {500, 500, 1000});  // value up by a whole: white
    EXPECT_EQ(layer(), Image::flat(4, 2, {255, 255, 255, 255}));
}

}  // namespace
