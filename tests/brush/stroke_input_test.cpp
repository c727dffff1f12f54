// Tablet packets through a stand-in device, the three-point spline and the push warp.
#include <cmath>
#include <random>

#include "brush/tablet.h"
#include "support/engine_fixture.h"

namespace {

// A device whose packets and ranges the test sets.
struct FakeTablet {
    static inline std::vector<dro::platform::TabletPacket> queued;
    static inline int32_t minimum = 0, maximum = 1023, discards = 0;
    static inline bool opened = false;

    static dro::platform::TabletOpening open(void*) noexcept {
        opened = true;
        return {256, true, minimum, maximum};
    }
    static void close() noexcept { opened = false; }
    static int32_t read(dro::platform::TabletPacket* out, int32_t capacity) noexcept {
        const auto n = std::min<size_t>(queued.size(), size_t(capacity));
        std::copy_n(queued.begin(), n, out);
        queued.erase(queued.begin(), queued.begin() + static_cast<long>(n));
        return static_cast<int32_t>(n);
    }
    static void discard() noexcept {
        queued.clear();
        ++discards;
    }
    static void origin(void*, int32_t& x, int32_t& y) noexcept {
        x = 100;
        y = 40;
    }
    static constexpr dro::TabletDevice device{open, close, read, discard, origin};
};

class TabletTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FakeTablet::queued.clear();
        FakeTablet::minimum = 0;
        FakeTablet::maximum = 1000;
        FakeTablet::discards = 0;
        dro::testhooks::useTabletDevice(&FakeTablet::device);
    }
    void TearDown() override {
        dro::testhooks::useTabletDevice(nullptr);
        EngineTest::TearDown();
    }
};

}  // namespace

TEST_F(TabletTest, WithoutATabletPressureRampsAndPacketsAreOutOfRange) {
    dro::testhooks::useTabletDevice(nullptr);  // the machine's own: no pen device here
    if (DRO_InitTablet(nullptr) != 0) GTEST_SKIP() << "a real tablet is attached";
    DRO_ResetTabletPressure();
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) seen.push_back(DRO_ReadTabletPressure(0));
    EXPECT_EQ(seen, (std::vector<int>{10, 35, 60, 85, 100, 100}));
    DRO_ReadTabletPackets();
    EXPECT_EQ(DRO_ReadTabletX(0) + DRO_ReadTabletY(0) + DRO_PacketStatus(0) + DRO_IsPacketInvert(0), 0);
    EXPECT_EQ(DRO_ReadRawTabletPressure(0), 0);
}

TEST_F(TabletTest, PacketsGivePressurePositionAndTheEraserEnd) {
    ASSERT_EQ(DRO_InitTablet(nullptr), 256);
    DRO_SetTabletOrigin();
    FakeTablet::queued = {{0, 150, 90, 500}, {0x10, 101, 41, 9}, {0x01, 0, 0, 1000}};
    DRO_ReadTabletPackets();
    EXPECT_EQ(DRO_ReadTabletPressure(0), 50);
    EXPECT_EQ(DRO_ReadTabletX(0), 50);
    EXPECT_EQ(DRO_ReadTabletY(0), 50);
    EXPECT_EQ(DRO_ReadTabletPressure(1), 1);  // 0.9 truncates to 0, reported as 1
    EXPECT_EQ(DRO_ReadRawTabletPressure(1), 0);
    EXPECT_EQ(DRO_IsPacketInvert(1), 1);
    EXPECT_EQ(DRO_IsPacketInvert(0), 0);
    EXPECT_EQ(DRO_PacketStatus(2), 1);
    EXPECT_EQ(DRO_ReadTabletPressure(2), 100);

    // Indices outside the packets read, including negative ones.
    for (int i : {-1, -1000, 3, 256}) {
        EXPECT_EQ(DRO_PacketStatus(i), 0);
        EXPECT_EQ(DRO_ReadTabletX(i), 0);
        EXPECT_EQ(DRO_IsPacketInvert(i), 0);
    }
    // Past the packets the last pressure is reported, then rises.
    EXPECT_EQ(DRO_ReadTabletPressure(-1), 100);
    DRO_ResetTabletPressure();
    EXPECT_EQ(FakeTablet::discards, 1);
    EXPECT_EQ(DRO_ReadTabletPressure(7), 10);
    EXPECT_EQ(DRO_ReadTabletPressure(7), 35);

    // More than the buffer holds arrive over two reads.
    FakeTablet::queued.assign(300, {0, 0, 0, 700});
    DRO_ReadTabletPackets();
    EXPECT_EQ(DRO_ReadTabletPressure(255), 70);
    DRO_ReadTabletPackets();
    EXPECT_EQ(DRO_ReadTabletPressure(43), 70);
    EXPECT_EQ(DRO_PacketStatus(44), 0);

    DRO_CloseTablet();
    EXPECT_FALSE(FakeTablet::opened);
    EXPECT_EQ(DRO_ReadRawTabletPressure(0), 0);
}

TEST(StrokeSpline, PassesThroughItsPointsInSmallSteps) {
    dro::resetEngine();
    EXPECT_EQ(DRO_GetSplinePointCount(), 0);
    std::mt19937 rng(17);
    for (int round = 0; round < 500; ++round) {
        uint32_t p[6];
        for (auto& v : p) v = rng() % (round % 5 == 0 ? 3 : 2000);  // some coincident triples
        if (round == 1) p[2] = p[0], p[3] = p[1];                    // middle on the start
        DRO_CalcSpline3(p[0], p[1], p[2], p[3], p[4], p[5], 0);
        ASSERT_EQ(DRO_GetSplinePointCount(), 100);
        EXPECT_EQ(DRO_GetSplinePointX(0), int(p[0]));
        EXPECT_EQ(DRO_GetSplinePointY(49), int(p[3]));
        EXPECT_EQ(DRO_GetSplinePointX(99), int(p[4]));
        EXPECT_EQ(DRO_GetSplinePointY(500), int(p[5]));
        EXPECT_EQ(DRO_GetSplinePointX(-3), int(p[0]));
        const double chords = std::hypot(double(p[2]) - p[0], double(p[3]) - p[1]) +
                              std::hypot(double(p[4]) - p[2], double(p[5]) - p[3]);
        // Steps stay within a few times the even share of the chords (plus truncation).
        for (int k = 1; k < 100; ++k) {
            const double step = std::hypot(DRO_GetSplinePointX(k) - DRO_GetSplinePointX(k - 1),
                                           DRO_GetSplinePointY(k) - DRO_GetSplinePointY(k - 1));
            ASSERT_LE(step, chords * 4 / 99 + 2) << "round " << round << " point " << k;
        }
    }
}

class PushWarpTest : public EngineTest {};

TEST_F(PushWarpTest, MovesContentWithinItsDiscOnly) {
    constexpr int W = 60, H = 50;
    openCanvas(W, H, 1, 1);
    // 16-bit content that no 8-bit round trip would keep, plus a red dot at (20, 25).
    std::vector<uint16_t> plane(W * H * 4);
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
    for (int i = 0; i < W * H; ++i) plane[i * 4 + 3] = static_cast<uint16_t>(30000 + i);
    for (int c = 0; c < 4; ++c) plane[(25 * W + 20) * 4 + c] = c == 1 || c == 2 ? 0 : 65535;
    DRO_SetRGBA64Layer(plane.data(), W * 8, 1);
    const auto before = layerPixels(1, W, H);

    DRO_WarpPointToPoint(20, 25, 26, 25);  // no buffers: nothing
    EXPECT_EQ(layerPixels(1, W, H), before);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    DRO_WarpPointToPoint(20, 25, 20, 25);  // no length: nothing
    EXPECT_EQ(layerPixels(1, W, H), before);

    DRO_IPLUpdateSrcBuffer32();
    DRO_WarpPointToPoint(20, 25, 26, 25);
    const auto after = layerPixels(1, W, H);
    EXPECT_EQ(after[(25 * W + 26) * 4], 65280);  // the dot arrived (8-bit red)
    EXPECT_EQ(after[(25 * W + 26) * 4 + 1], 0);
    const double radius = 2 * 6 + 4;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (std::hypot(x - 26.0, y - 25.0) < radius) continue;
            for (int c = 0; c < 4; ++c) ASSERT_EQ(after[(y * W + x) * 4 + c], before[(y * W + x) * 4 + c]) << x << "," << y;
        }
    }
}
