// Fingerprints of what the engine paints, over every blend mode, mix mode and layer
// mask, several opacities and the locks. Internal restructuring must leave every one
// of these bit for bit; a changed hash means a pixel changed somewhere in the group.
// The expected values were taken from the engine before its compositing, mode ids and
// dab coverage were reorganised.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "brush/dab_fixture.h"
#include "brush/mix_modes.h"
#include "core/blend_mode_table.h"
#include "composite/render.h"

namespace {

class PixelHashTest : public DabFixture {
protected:
    uint64_t hash = 1469598103934665603ull;  // FNV-1a, 64 bits

    void feed(const void* data, size_t bytes) {
        const auto* p = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < bytes; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    }
    template <class T>
    void feed(const std::vector<T>& v) {
        feed(v.data(), v.size() * sizeof(T));
    }
    void feedValue(uint32_t v) { feed(&v, sizeof v); }

    // Random 16-bit pixels whose alphas favour the values the rules treat specially.
    std::vector<uint16_t> randomPlane(size_t pixels) {
        static const uint16_t kAlphas[] = {0, 0, 65535, 65535, 0xFF00, 0xFEFF, 0x1FFE, 0x2300, 0x7FFF, 0x8000, 1, 0xC000};
        std::vector<uint16_t> p(pixels * 4);
        for (size_t i = 0; i < p.size(); i += 4) {
            for (int c = 0; c < 4; ++c) p[i + c] = any16();
            if (next() % 3 != 0) p[i + 3] = kAlphas[next() % 12];
            if (next() % 4 == 0)
                for (int c = 0; c < 3; ++c) p[i + c] &= 0xFF00;
        }
        return p;
    }

    void fillPaintLayerRandom() {
        dro::LayerSlot& paint = dro::paintLayer().layer;
        const std::vector<uint16_t> p = randomPlane(static_cast<size_t>(paint.width) * paint.height);
        std::copy(p.begin(), p.end(), paint.pixels.get());
        paint.extents = {0, 0, paint.width, paint.height};
    }

    static std::vector<uint16_t> copyOf(const uint16_t* p, size_t n) { return {p, p + n}; }

    void expectHash(uint64_t expected, const char* group) {
        char got[32];
        std::snprintf(got, sizeof got, "0x%016" PRIx64, hash);
        EXPECT_EQ(hash, expected) << group << " now hashes to " << got;
    }

    static std::vector<std::string> modeNames() {
        std::vector<std::string> names;
        for (const dro::BlendModeEntry& e : dro::kBlendModes) names.emplace_back(e.name);
        names.emplace_back("no such mode");
        return names;
    }
};

TEST_F(PixelHashTest, MergePixelOverEveryModeIdOpacityAndLock) {
    for (int mode = -2; mode <= 56; ++mode) {
        for (int opacity : {0, 1, 100, 254, 255, 400}) {
            for (uint8_t lock : {0, 1}) {
                for (int k = 0; k < 40; ++k) {
                    const std::vector<uint16_t> d = randomPlane(1), s = randomPlane(1);
                    uint32_t dr = d[0], dg = d[1], db = d[2], da = k % 5 == 0 ? 0 : d[3];
                    DRO_MergePixel(&dr, &dg, &db, &da, s[0], s[1], s[2], s[3], mode, opacity, lock);
                    for (uint32_t v : {dr, dg, db, da}) feedValue(v);
                }
            }
        }
    }
    expectHash(0xe64b74871687fa31ull, "MergePixel");
}

TEST_F(PixelHashTest, LayerMergesOverEveryModeWithLayerMasksAndLocks) {
    const int w = 37, h = 9;
    openCanvas(w, h, 4, 1);
    const size_t n = static_cast<size_t>(w) * h;
    int round = 0;
    for (const std::string& name : modeNames()) {
        for (int variant = 0; variant < 4; ++variant, ++round) {
            for (int i = 1; i <= 4; ++i) {
                const std::vector<uint16_t> p = randomPlane(n);
                DRO_SetLayerData(p.data(), i);
            }
            DRO_SetAlphaLayerOpacity(variant == 3 ? 40 : 100);
            const bool masked = variant >= 2;
            // The last variant merges a mode into a layer of the same mode.
            DRO_SetLayerOptions(2, 1, static_cast<uint8_t>(variant % 2), variant % 2 ? 100 : 63,
                                variant == 3 ? name.c_str() : "Normal");
            DRO_SetLayerOptions(3, 1, 0, variant == 0 ? 100 : 71, name.c_str());
            DRO_SetLayerOptions(4, masked ? 1 : 0, 0, 100, "Layer Mask");
            DRO_MergeLayer(3, 2);
            feed(layerPixels(2, w, h));

            std::vector<uint16_t> buffer = randomPlane(n);
            DRO_MergeLayerInto(3, buffer.data());
            feed(buffer);

            const std::vector<uint8_t> block = randomRGBA32(w, h, 77u + static_cast<uint32_t>(round));
            DRO_MergeRGBA32Layer(block.data(), 1, dro::BlendModeFromName(name.c_str()), variant == 1 ? 128 : 255);
            feed(layerPixels(1, w, h));
        }
    }
    expectHash(0x07905fad70867baeull, "layer merges");
}

TEST_F(PixelHashTest, RendersOverEveryModeWithPaintLayerAndMask) {
    const int w = 45, h = 13;
    openCanvas(w, h, 4, 2);
    const size_t n = static_cast<size_t>(w) * h;
    DRO_SetViewSize(w, h);
    for (const std::string& name : modeNames()) {
        for (int variant = 0; variant < 3; ++variant) {
            for (int i = 1; i <= 4; ++i) {
                const std::vector<uint16_t> p = randomPlane(n);
                DRO_SetLayerData(p.data(), i);
            }
            DRO_SetLayerOptions(2, 1, 0, variant == 1 ? 55 : 100, name.c_str());
            DRO_SetLayerOptions(3, 1, 0, 100, variant == 2 ? "Layer Mask" : name.c_str());
            DRO_SetLayerOptions(4, variant != 1, 0, 80, "Screen");
            DRO_SetLayer(variant == 2 ? 2 : 3);
            if (variant != 0) {
                DRO_CreatePaintLayer(variant == 1 ? 100 : 62, 90, name.c_str());
                fillPaintLayerRandom();
            }
            std::vector<uint8_t> out(n * 3, 0xCD);
            DRO_Render(out.data(), w * 3, 0, 0, w, h);
            feed(out);
            if (variant != 0) {  // the stroke laid into its layer
                DRO_MergePaintLayer(variant == 2 ? 2 : 3);
                feed(layerPixels(variant == 2 ? 2 : 3, w, h));
            }
            DRO_DeletePaintLayer();
        }
    }
    // Zoomed in and out once, over the last scene.
    for (float scale : {0.5f, 3.0f}) {
        DRO_SetScale(1, scale);
        std::vector<uint8_t> out(n * 3, 0xCD);
        DRO_Render(out.data(), w * 3, 0, 0, w, h);
        feed(out);
    }
    expectHash(0x6cea0f1c54a29832ull, "renders");
}

TEST_F(PixelHashTest, DabsOverEveryMixModeWithLocksMaskAndPickUp) {
    std::vector<int> modes = {0, 5, 20, 32, 33, 49, 100, 263, 424};
    modes.insert(modes.end(), dro::mix::kMixModeIds.begin(), dro::mix::kMixModeIds.end());
    open(23, 19, 16);
    for (int mode : modes) {
        for (int variant = 0; variant < 6; ++variant) {
            dro::paintLayer().layer.pixels.reset();
            dro::textureMap().plane.reset();
            DRO_EnableMask(variant >= 3);
            const std::vector<uint16_t> base = randomPlane(static_cast<size_t>(W) * H);
            std::copy(base.begin(), base.end(), layer(2));
            if (variant % 2 == 1) {
                makePaintLayer();
                fillPaintLayerRandom();
            }
            fillShape([&](int, int) { return next() % 4 == 0 ? uint16_t{0} : any16(); });
            if (variant >= 3) {
                std::vector<uint16_t> mk(static_cast<size_t>(W) * H);
                for (auto& v : mk) v = next() % 3 == 0 ? 65535 : any16();
                DRO_SetMaskData16(mk.data());
            }
            if (variant == 5) makeTexture();
            DRO_SetMixMode(mode, static_cast<int>(next() % 257));
            DRO_SetAlpha(variant == 2 ? 37 : 100);
            DRO_SetAlphaLocked(variant == 4);
            DRO_SetColorLocked(variant == 3);
            DRO_SetBlobLocked(variant == 2);
            DRO_SetBlendStrength(variant >= 2 ? 120 : 0);
            DRO_SetBlendRemix(variant == 4);
            DRO_SetDensity(variant == 1 ? 140 : 255);
            DRO_SetSize(5 + variant * 2);
            dro::seedRandom(static_cast<uint32_t>(mode * 7 + variant));
            for (int k = 0; k < 3; ++k) {
                const int x = static_cast<int>(next() % 27) - 2, y = static_cast<int>(next() % 23) - 2;
                DRO_DrawDabGrit(x, y, any16(), any16(), any16());
            }
            feed(copyOf(target(), static_cast<size_t>(W) * H * 4));
            feed(copyOf(blendBuffer(), static_cast<size_t>(M) * M * 4));
            if (variant == 0) {  // the mask maker's dab into the mask
                DRO_SetMaskMakerOn();
                DRO_DrawDabGritMask(static_cast<int>(next() % W), static_cast<int>(next() % H));
                DRO_DrawDabGrit(static_cast<int>(next() % W), static_cast<int>(next() % H), 0xFF00, 0, 0x8000);
                feed(maskValues(W, H));
            }
        }
    }
    expectHash(0x120050085378e655ull, "dabs");
}


// The mask maker's dab under what changes its coverage and its value: a turned brush,
// grain, texture, opacity, a drawn side unlike the shape's, per-pixel variation and the
// blend buffer with pick-up, often partly off the canvas.
TEST_F(PixelHashTest, MaskDabsTurnedGrainedTexturedVariedAndPickingUp) {
    open(29, 23, 18);
    dro::ToolSettings& t = dro::toolSettings();
    dro::MakeRandArrayByte(dro::brushBuffers().pixelColorTable, 1000, 3 * M);
    dro::MakeRandArrayByte(dro::brushBuffers().pixelBrightnessTable, 256, 3 * M);
    for (int variant = 0; variant < 64; ++variant) {
        std::vector<uint16_t> mk(static_cast<size_t>(W) * H);
        for (auto& v : mk) v = any16();
        DRO_SetMaskData16(mk.data());
        fillShape([&](int, int) { return next() % 4 == 0 ? uint16_t{0} : any16(); });
        const std::vector<uint16_t> buffer = randomPlane(static_cast<size_t>(M) * M);
        std::copy(buffer.begin(), buffer.end(), blendBuffer());
        dro::textureMap().plane.reset();
        if (variant & 4) makeTexture();
        setSize(4 + static_cast<int>(next() % 15), 3 + static_cast<int>(next() % 20));
        t.rotateBrushMode = (variant & 1) ? 1 : 0;
        t.rotateSin = std::sin(variant * 0.7f), t.rotateCos = std::cos(variant * 0.7f);
        t.grainCellSize = (variant & 2) ? 3 : 0;
        if (variant & 2) {
            t.drawingLength = 1000;
            dro::BrushBuffers& b = dro::brushBuffers();
            for (int i = 0; i < (M + 25) * (M + 25); ++i) b.grain[19][i] = static_cast<uint8_t>(next());
            b.grainBuffer = 19;
            b.grainOffset = static_cast<int>(next() % 25) * M + static_cast<int>(next() % 25);
            t.densityLimit = static_cast<int>(next() % 256);
        } else {
            t.densityLimit = 255;
        }
        t.alpha = (variant & 8) ? 61 : 100;
        t.alpha128 = static_cast<int>(t.alpha * 1.28);
        t.solidBrushMode = variant % 7 == 0;
        t.blendStrength = (variant & 16) ? static_cast<int>(1 + next() % 256) : 0;
        t.blendStrengthRest = 256 - t.blendStrength;
        t.blendRemix = (variant & 32) != 0;
        t.blendPrimaryColorStrength = static_cast<int>(next() % 3 == 0 ? 0 : next() % 257);
        t.blendPrimaryColorRest = 256 - t.blendPrimaryColorStrength;
        t.colorVary = variant % 3 == 0 ? static_cast<int>(next() % 200) : 0;
        t.pixColorVary = variant % 5 < 2 ? static_cast<int>(1 + next() % 200) : 0;
        t.pixLumVary = variant % 4 == 1 ? static_cast<int>(1 + next() % 200) : 0;
        dro::seedRandom(static_cast<uint32_t>(variant));
        for (int k = 0; k < 3; ++k) {
            t.maskMakerOn = 1;
            t.eraseModeOn = k == 2 && variant % 9 == 0;
            t.color = {any16(), any16(), any16(), 65535};
            DRO_DrawDabGritMask(static_cast<int>(next() % (W + 8)) - 4, static_cast<int>(next() % (H + 8)) - 4);
        }
        feed(maskValues(W, H));
        feed(copyOf(blendBuffer(), static_cast<size_t>(M) * M * 4));
    }
    expectHash(0xfc0ca0088a40ac48ull, "mask dabs");
}

}  // namespace
