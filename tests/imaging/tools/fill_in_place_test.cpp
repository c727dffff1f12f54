// The paint bucket's in-place route against the block route it stands in for: the same
// layer bits, dirty rectangle and tool-source state over random pictures, seeds,
// tolerances, masks and alpha locks, and when the picture holds every colour.
#include <random>

#include "imaging/tools/tool_frame.h"
#include "imaging/working_buffers.h"
#include "mask/fill_in_place.h"
#include "mask/mask_fixture.h"
#include "undo/undo_store.h"

namespace {

class FillInPlaceTest : public MaskFixture {
protected:
    void TearDown() override {
        dro::testhooks::setFillInPlace(true);
        MaskFixture::TearDown();
    }

    struct Outcome {
        std::vector<uint16_t> pixels;
        dro::Rect dirty;
        bool toolSourceHeld;
    };

    // The fill on a fresh copy of the picture, by the chosen route.
    static Outcome fill(bool inPlace, const std::vector<uint16_t>& picture, int w, int h, int layer, int r, int g,
                        int b, int x, int y, int tolerance, const char* mode) {
        DRO_SetRGBA64Layer(picture.data(), w * 8, layer);
        dro::undoStore().dirtyRect = {1, 1, 1, 1};
        dro::testhooks::setFillInPlace(inPlace);
        DRO_IPLFloodFill(r, g, b, x, y, tolerance, mode);
        dro::testhooks::setFillInPlace(true);
        return {layerPixels(layer, w, h), dro::undoStore().dirtyRect,
                dro::workingBuffers().toolSource32.block != nullptr};
    }

    static void expectSameOutcome(const Outcome& block, const Outcome& inPlace, int round) {
        ASSERT_EQ(block.pixels.size(), inPlace.pixels.size());
        for (size_t i = 0; i < block.pixels.size(); ++i) {
            ASSERT_EQ(block.pixels[i], inPlace.pixels[i]) << "round " << round << ", channel value " << i;
        }
        EXPECT_EQ(block.dirty, inPlace.dirty) << round;
        EXPECT_FALSE(block.toolSourceHeld);
        EXPECT_FALSE(inPlace.toolSourceHeld);
    }
};

// Runs of a few near colours (so regions wind and the tolerance decides), random low
// bytes (so the write-back's narrowing shows) and random alpha.
std::vector<uint16_t> blotchy(int w, int h, std::mt19937& rng) {
    static constexpr uint8_t kPalette[5][3] = {{10, 10, 10}, {14, 10, 10}, {40, 14, 10}, {200, 60, 90}, {10, 60, 90}};
    std::vector<uint16_t> px(static_cast<size_t>(w) * h * 4);
    uint32_t index = 0;
    for (int i = 0; i < w * h; ++i) {
        if (rng() % 4 == 0) index = rng() % 5;
        for (int k = 0; k < 3; ++k) px[i * 4 + k] = static_cast<uint16_t>(kPalette[index][k] << 8 | (rng() & 0xFF));
        px[i * 4 + 3] = static_cast<uint16_t>(rng());
    }
    return px;
}

}  // namespace

TEST_F(FillInPlaceTest, PaintsTheSameBitsAsTheBlockRoute) {
    std::mt19937 rng(17);
    constexpr int kTolerances[] = {0, 0, 10, 300, 2000, 50000};  // library 0, 0, 39, 1170, 7803, 195075
    for (int round = 0; round < 48; ++round) {
        const int w = 1 + static_cast<int>(rng() % 90), h = 1 + static_cast<int>(rng() % 40);
        const int layer = 1 + round % 2;
        openCanvas(w, h, 2, layer);
        DRO_SetLayerOptions(layer, 1, round % 3 == 0 ? 1 : 0, 100, "Normal");
        if (round % 4 == 1) {
            std::vector<uint16_t> mask(static_cast<size_t>(w) * h);
            for (auto& m : mask) m = rng() % 3 == 0 ? 0 : rng() % 2 ? 65535 : static_cast<uint16_t>(rng());
            setMask(mask);
        }
        if (round % 4 == 2) DRO_EnableMask(0);
        const auto picture = blotchy(w, h, rng);
        const int x = static_cast<int>(rng() % w), y = static_cast<int>(rng() % h);
        const int tolerance = kTolerances[rng() % 6];
        // The paint is sometimes a picture colour, so it matches the region it fills.
        const int r = round % 5 == 0 ? 10 : static_cast<int>(rng() % 256), g = round % 5 == 0 ? 10 : 77, b = 10;
        // "Erase Connected" paints on the background.
        const char* mode = round % 6 == 1 ? "Erase Connected" : "Paint Connected";

        const Outcome block = fill(false, picture, w, h, layer, r, g, b, x, y, tolerance, mode);
        const Outcome inPlace = fill(true, picture, w, h, layer, r, g, b, x, y, tolerance, mode);
        expectSameOutcome(block, inPlace, round);

        // The route did the work rather than handing it to the block route.
        DRO_SetRGBA64Layer(picture.data(), w * 8, layer);
        EXPECT_TRUE(dro::paintConnectedInPlace(static_cast<uint32_t>(r | g << 8 | b << 16 | 0xFF << 24), x, y,
                                               dro::ToolTolerance::from(tolerance).library))
            << round;
    }
}

// With every colour present the block route's free-colour search gives up and its
// marker, (0, 1, 0), collides with a picture colour, which is then painted too; the
// in-place route must see that coming and leave the fill to the block route. With one
// colour missing it has to find the gap itself (the region alone proves nothing here).
// Checked against the written-out result: every pixel narrowed to its high bytes, and
// opaque paint on the seed (and on the colliding pixel).
TEST_F(FillInPlaceTest, AgreesWhenThePictureHoldsEveryColour) {
    constexpr int kEdge = 4096;  // 2^24 pixels, one of each colour
    constexpr uint32_t kSeed = 200 * kEdge + 100, kCollides = 256;
    openCanvas(kEdge, kEdge);
    std::vector<uint16_t> picture(size_t{kEdge} * kEdge * 4);
    for (uint32_t i = 0; i < uint32_t{kEdge} * kEdge; ++i) {
        for (int k = 0; k < 3; ++k) picture[i * 4 + k] = static_cast<uint16_t>(((i >> (8 * k)) & 0xFF) << 8 | 0x5A);
        picture[i * 4 + 3] = 0xFFFF;
    }
    for (const bool oneMissing : {false, true}) {
        if (oneMissing) picture[5 * 4] = 0x0400;  // red 5 (green and blue 0) becomes red 4
        const Outcome out = fill(true, picture, kEdge, kEdge, 1, 1, 2, 3, 100, 200, 0, "Paint Connected");
        const auto painted = [&](uint32_t i) { return i == kSeed || (i == kCollides && !oneMissing); };
        const uint16_t paint[4] = {0x0100, 0x0200, 0x0300, 0xFF00};
        uint32_t wrong = 0;
        for (uint32_t i = 0; i < uint32_t{kEdge} * kEdge; ++i) {
            for (int k = 0; k < 4; ++k) {
                wrong += out.pixels[i * 4 + k] != (painted(i) ? paint[k] : (picture[i * 4 + k] & 0xFF00));
            }
        }
        EXPECT_EQ(wrong, 0u) << "one colour missing: " << oneMissing;
        EXPECT_FALSE(out.toolSourceHeld);
    }
}
