// Image brushes: masters from pixels, files and strips, the sized and rotated copies,
// and what reaches the blend buffer.
#include <cmath>
#include <cstring>
#include <limits>

#include "brush/blend_buffers.h"
#include "brush/image_brush_state.h"
#include "imaging/lib/codecs/file_bytes.h"
#include "imaging/lib/codecs/png_codec.h"
#include "io/image_files.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

class ImageBrushTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        openCanvas(64, 64, 1, 1, 32);
        DRO_SetBlendBufferCount(1);
    }

    static const dro::Rgba64Image& master() { return dro::imageBrush().master; }
    static std::vector<uint16_t> masterPixels() {
        const auto& m = master();
        return {m.pixels.get(), m.pixels.get() + size_t(m.width) * m.height * 4};
    }
    static std::vector<uint16_t> bufferRows(int side) {
        const dro::LayerSlot& b = dro::blendBuffers().selectedBuffer();
        std::vector<uint16_t> out;
        for (int y = 0; y < side; ++y) out.insert(out.end(), &b.pixels[y * b.rowPitch], &b.pixels[y * b.rowPitch + side * 4]);
        return out;
    }
    static std::vector<uint16_t> widened(const std::vector<uint8_t>& rgba) {
        std::vector<uint16_t> out;
        for (uint8_t v : rgba) out.push_back(static_cast<uint16_t>(v << 8));
        return out;
    }
    // Frame f of a strip: every byte f * 50 + 7, alpha 255.
    static std::vector<uint8_t> stripPixels(int frames, int side) {
        std::vector<uint8_t> out(size_t(frames) * side * side * 4);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < frames * side; ++x)
                for (int c = 0; c < 4; ++c) out[(size_t(y) * frames * side + x) * 4 + c] = c == 3 ? 255 : uint8_t(x / side * 50 + 7);
        return out;
    }
};

using LayerSlot = dro::LayerSlot;

}  // namespace

TEST_F(ImageBrushTest, SaveThenLoadIsExactWithTheBrushResolution) {
    ScratchDir dir("image_brush");
    const auto picture = randomRGBA32(20, 13, 3);
    DRO_LoadImageBrushFromRGBA32(picture.data(), 20, 13);
    ASSERT_EQ(masterPixels(), widened(picture));
    const std::string path = dir.path("brush.png");
    DRO_SaveImageBrush(path.c_str());
    DRO_FillImageBrush(1, 2, 3);
    DRO_LoadImageBrush(path.c_str());
    EXPECT_EQ(master().width, 20);
    EXPECT_EQ(masterPixels(), widened(picture));
    const auto bytes = dro::codecs::readWholeFile(path.c_str());
    ASSERT_TRUE(bytes);
    const auto info = dro::codecs::readPngInfo(dro::codecs::ByteSpan(bytes->data(), bytes->size()));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->resolution.x, 2834);
    EXPECT_EQ(info->resolution.unit, 1);

    // Too big for the brush box, or unreadable: the old master stays.
    const auto big = randomRGBA32(33, 2, 4);
    DRO_LoadImageBrushFromRGBA32(big.data(), 33, 2);
    DRO_LoadImageBrush(dir.path("missing.png").c_str());
    EXPECT_STREQ(DRO_GetLastError(), "LoadImageBrush Excpt");
    EXPECT_EQ(masterPixels(), widened(picture));
}

TEST_F(ImageBrushTest, StripFramesClampEveryPosition) {
    ScratchDir dir("image_brush");
    const auto strip = stripPixels(3, 10);
    const std::string path = dir.path("strip.png");
    ASSERT_NE(dro::writeToFileRgba32(strip.data(), 30, 10, path.c_str(), ".png", 72), 0);
    DRO_LoadImageBrushArray(path.c_str());
    ASSERT_EQ(dro::imageBrush().frameCount(), 3);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<float, int> cases[] = {{0.0f, 0}, {0.34f, 1}, {0.99f, 2}, {1.0f, 2}, {7.5f, 2}, {inf, 2},
                                           {-0.5f, 0}, {-inf, 0}, {nan, 0}, {1e30f, 2}};
    for (const auto& [position, frame] : cases) {
        DRO_CopyFromImageBrushArray(position);
        EXPECT_EQ(master().pixels[0], (frame * 50 + 7) << 8) << position;
        EXPECT_EQ(master().pixels[(10 * 10 - 1) * 4], (frame * 50 + 7) << 8) << position;
    }

    // A master replaced since by a smaller one is filled within its own bounds; a larger
    // one keeps no row of the picture before.
    const auto small = randomRGBA32(4, 3, 5);
    DRO_LoadImageBrushFromRGBA32(small.data(), 4, 3);
    DRO_CopyFromImageBrushArray(0.5f);
    for (size_t i = 0; i < 4 * 3; ++i) {
        EXPECT_EQ(masterPixels()[i * 4], 57 << 8);
        EXPECT_EQ(masterPixels()[i * 4 + 3], 255 << 8);
    }
    const auto wide = randomRGBA32(16, 16, 6);
    DRO_LoadImageBrushFromRGBA32(wide.data(), 16, 16);
    DRO_CopyFromImageBrushArray(0.0f);
    EXPECT_EQ(master().pixels[(15 * 16 + 15) * 4 + 3], 0);
    EXPECT_EQ(master().pixels[(9 * 16 + 9) * 4 + 3], 255 << 8);

    // Taller than wide holds no frame: refused, the strip before stays.
    const std::string tall = dir.path("tall.png");
    ASSERT_NE(dro::writeToFileRgba32(strip.data(), 10, 30, tall.c_str(), ".png", 72), 0);
    DRO_LoadImageBrushArray(tall.c_str());
    EXPECT_EQ(dro::imageBrush().strip.width, 30);
}

TEST_F(ImageBrushTest, SizedBrushReachesTheBlendBufferAsSpecifiedShares) {
    DRO_SetSize(0);
    DRO_FillImageBrush(10, 20, 30);
    EXPECT_FALSE(master());  // no size, no master
    const LayerSlot& buffer = dro::blendBuffers().selectedBuffer();
    std::fill(buffer.pixels.get(), buffer.pixels.get() + buffer.rowPitch * buffer.height, uint16_t{1000});
    DRO_CopyFromImageBrush(0);  // no master: the buffer stays
    EXPECT_EQ(bufferRows(8), std::vector<uint16_t>(8 * 8 * 4, 1000));

    // A master as wide as the brush but shorter: its lower rows come out transparent.
    DRO_SetSize(8);
    const auto picture = randomRGBA32(8, 5, 9);
    DRO_LoadImageBrushFromRGBA32(picture.data(), 8, 5);
    DRO_CopyFromImageBrush(0);
    auto rows = bufferRows(8);
    EXPECT_TRUE(std::equal(rows.begin(), rows.begin() + 8 * 5 * 4, widened(picture).begin()));
    EXPECT_TRUE(std::all_of(rows.begin() + 8 * 5 * 4, rows.end(), [](uint16_t v) { return v == 0; }));

    // 100 % keeps 255/256 of the buffer and adds nothing.
    std::fill(buffer.pixels.get(), buffer.pixels.get() + buffer.rowPitch * buffer.height, uint16_t{51200});
    DRO_CopyFromImageBrush(100);
    EXPECT_EQ(bufferRows(8), std::vector<uint16_t>(8 * 8 * 4, 51000));

    // Resampled to a new size: a flat colour stays flat, also under transparency.
    DRO_FillImageBrush(10, 200, 30);
    DRO_SetSize(13);
    DRO_CopyFromImageBrush(0);
    for (size_t i = 0; i < 13 * 13; ++i) {
        ASSERT_EQ(bufferRows(13)[i * 4 + 1], 200 << 8);
        ASSERT_EQ(bufferRows(13)[i * 4 + 3], 255 << 8);
    }
}

TEST_F(ImageBrushTest, RotationByZeroIsTheIdentityAndFollowsTheSize) {
    DRO_SetSize(9);
    const auto picture = randomRGBA32(9, 9, 11);
    DRO_LoadImageBrushFromRGBA32(picture.data(), 9, 9);
    DRO_CopyFromImageBrushRotate(0);  // nothing rotated yet: no change, no crash
    DRO_SizeImageBrush();
    DRO_RotateImageBrush(0);
    ASSERT_TRUE(dro::imageBrush().rotationValid);
    EXPECT_EQ(0, std::memcmp(dro::imageBrush().rotated.get(), picture.data(), picture.size()));
    DRO_RotateImageBrush(360);
    EXPECT_EQ(0, std::memcmp(dro::imageBrush().rotated.get(), picture.data(), picture.size()));
    DRO_CopyFromImageBrushRotate(0);
    EXPECT_EQ(bufferRows(9), widened(picture));

    // A quarter turn clockwise: the top-left pixel goes to the top-right.
    DRO_RotateImageBrush(90);
    EXPECT_EQ(0, std::memcmp(dro::imageBrush().rotated.get() + 8 * 4, picture.data(), 4));

    // The size grew: rotation rebuilds the sized brush first, and never reads past it.
    DRO_SetSize(20);
    DRO_RotateImageBrush(45);
    EXPECT_EQ(dro::imageBrush().rotatedSide, 20);
    EXPECT_EQ(dro::imageBrush().sized.width, 20);
}
