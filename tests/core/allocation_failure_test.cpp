// Every allocation of the allocating exports is made to fail in turn: the engine must
// not crash, must say what failed where it has a text for it, and must stay usable.
#include <functional>
#include <set>
#include <string>

#include "support/engine_fixture.h"

namespace {

constexpr int W = 24;
constexpr int H = 16;

class AllocationFailureTest : public EngineTest {
protected:
    // How many allocations an operation attempts when nothing fails.
    int countAllocations(const std::function<void()>& prepare, const std::function<void()>& operation) {
        dro::resetEngine();
        prepare();
        dro::testhooks::resetAllocationAttempts();
        operation();
        return dro::testhooks::allocationAttempts();
    }

    // Drives the engine through whatever state the failure left it in.
    static void exercise() {
        std::vector<uint8_t> block(W * H * 4, 200);
        std::vector<uint16_t> wide(W * H * 4, 0);
        DRO_CreateLayer(2, W, H);
        DRO_SetLayerOptions(2, 1, 0, 100, "Texturize3");
        DRO_SetLayer(2);
        DRO_LoadRGBA32Layer(block.data(), W * 4, 2, 0, 0, W, H, 1);
        DRO_LoadRGB24(block.data(), W * 3, 1);
        DRO_ClearMaskedAlpha(1, 2, 3, 4);
        DRO_ClearMasked(1, 2, 3, 4);
        DRO_GetRGBA32(block.data(), W * 4);
        DRO_GetMaskData16(wide.data());
        DRO_GetMask64(1, 1);
        DRO_InvalidateDirtyUndoCanvas();
        DRO_SaveUndoBuffer(1, 1);
        DRO_Undo();
        DRO_Redo();
        DRO_ClearUndo();
    }

    // A full cycle on a fresh canvas that checks the results.
    static void expectUsable() {
        dro::testhooks::failNthAllocation(0);
        DRO_SetUndoLevels(5);
        DRO_SetUndoMB(16);
        DRO_CreateImage(nullptr, W, H, 16, 0);
        ASSERT_EQ(DRO_CreateLayer(1, W, H), 1);
        ASSERT_EQ(DRO_CreateLayer(2, W, H), 1);
        DRO_SetLayerOptions(2, 1, 0, 100, "Normal");
        DRO_SetLayer(2);
        const uint8_t px[] = {10, 20, 30, 255};
        DRO_LoadRGBA32Layer(px, 4, 2, 3, 3, 1, 1, 1);
        DRO_InvalidateDirtyUndoCanvas();
        DRO_SaveUndoBuffer(1, 1);
        ASSERT_EQ(DRO_GetRed64(3, 3), 10 << 8);
        DRO_Undo();
        ASSERT_EQ(DRO_GetRed64(3, 3), 0);
        DRO_Redo();
        ASSERT_EQ(DRO_GetRed64(3, 3), 10 << 8);
    }

    void failEachAllocation(const std::function<void()>& prepare, const std::function<void()>& operation,
                            const std::set<std::string>& allowedTexts) {
        const int total = countAllocations(prepare, operation);
        ASSERT_GT(total, 0);
        for (int n = 1; n <= total; ++n) {
            SCOPED_TRACE("failing allocation " + std::to_string(n) + " of " + std::to_string(total));
            dro::resetEngine();
            prepare();
            DRO_SetLastError("");
            dro::testhooks::failNthAllocation(n);
            operation();
            dro::testhooks::failNthAllocation(0);
            const std::string text = DRO_GetLastError();
            EXPECT_TRUE(text.empty() || allowedTexts.count(text)) << text;
            exercise();
            expectUsable();
        }
    }
};

void openSmallCanvas(int w, int h) {
    DRO_CreateImage(nullptr, w, h, 16, 0);
    DRO_CreateLayer(1, w, h);
    DRO_SetLayerOptions(1, 1, 0, 100, "Normal");
    DRO_SetLayer(1);
}

}  // namespace

TEST_F(AllocationFailureTest, CreateImage) {
    failEachAllocation([] {}, [] { DRO_CreateImage(nullptr, W, H, 16, 0); },
                       {"CreateImage Excpt", "SetBlendBufferCount Excpt", "MakeRandArrayByte Excpt"});
}

TEST_F(AllocationFailureTest, CreateImageFailureIsReported) {
    dro::testhooks::failNthAllocation(24);  // past the brush buffers: the mask or back buffer
    DRO_CreateImage(nullptr, W, H, 16, 0);
    EXPECT_STREQ(DRO_GetLastError(), "CreateImage Excpt");
}

TEST_F(AllocationFailureTest, NewSizeWithHistory) {
    failEachAllocation(
        [] {
            DRO_SetUndoLevels(5);
            DRO_SetUndoMB(16);
            openSmallCanvas(W, H);
            DRO_InvalidateDirtyUndoCanvas();
            DRO_SaveUndoBuffer(1, 1);
        },
        [] { DRO_NewSize(nullptr, W + 8, H + 4, 16, 0); },
        {"NewSize Excpt", "SetBlendBufferCount Excpt", "MakeRandArrayByte Excpt"});
}

TEST_F(AllocationFailureTest, CreateLayer) {
    failEachAllocation([] { openSmallCanvas(W, H); }, [] { DRO_CreateLayer(3, W, H); }, {});
    dro::resetEngine();
    openSmallCanvas(W, H);
    dro::testhooks::failNthAllocation(1);
    EXPECT_EQ(DRO_CreateLayer(3, W, H), 0);
    EXPECT_EQ(DRO_GetLayerCount(), 1);
}

TEST_F(AllocationFailureTest, SaveUndoBuffer) {
    failEachAllocation(
        [] {
            DRO_SetUndoLevels(5);
            DRO_SetUndoMB(16);
            openSmallCanvas(W, H);
        },
        [] {
            DRO_InvalidateDirtyUndoCanvas();
            DRO_SaveUndoBuffer(1, 1);
        },
        {});
}

TEST_F(AllocationFailureTest, ClearMaskedAlpha) {
    failEachAllocation([] { openSmallCanvas(W, H); }, [] { DRO_ClearMaskedAlpha(9, 9, 9, 9); }, {});
}

TEST_F(AllocationFailureTest, FailedStepLeavesTheBackBufferInStep) {
    DRO_SetUndoLevels(5);
    DRO_SetUndoMB(16);
    openSmallCanvas(W, H);
    const uint8_t px[] = {10, 20, 30, 255};
    DRO_LoadRGBA32Layer(px, 4, 1, 0, 0, 1, 1, 0);
    DRO_InvalidateDirtyUndoCanvas();
    dro::testhooks::failAllAllocations(true);
    DRO_SaveUndoBuffer(1, 0);
    dro::testhooks::failAllAllocations(false);
    EXPECT_EQ(DRO_CanUndo(), 0);
    // The next step undoes to the state after the failed save, not before it.
    const uint8_t px2[] = {50, 60, 70, 255};
    DRO_LoadRGBA32Layer(px2, 4, 1, 0, 0, 1, 1, 0);
    DRO_InvalidateDirtyUndoCanvas();
    DRO_SaveUndoBuffer(1, 0);
    DRO_Undo();
    EXPECT_EQ(DRO_GetRed64(0, 0), 10 << 8);
}
