#include <random>

#include "core/canvas.h"
#include "core/mask_state.h"
#include "support/engine_fixture.h"
#include "undo/undo_budget.h"
#include "undo/undo_store.h"

namespace {

constexpr int W = 32;
constexpr int H = 24;

class UndoTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        DRO_SetUndoLevels(10);
        DRO_SetUndoMB(64);
        openCanvas(W, H, 3, 2);
    }

    // Paints a random block into the current layer at (x, y) and widens the dirty rect.
    void paint(int x, int y, int w, int h, uint32_t seed) {
        const auto block = randomRGBA32(w, h, seed);
        DRO_LoadRGBA32Layer(block.data(), w * 4, DRO_GetLayerNum(), x, y, w, h, 0);
        dro::widenDirtyRect({x, y, x + w - 1, y + h - 1});
    }

    void paintMask(int x, int y, uint16_t value) {
        dro::maskState().plane[static_cast<size_t>(y) * W + x] = value;
        dro::widenDirtyRect({x, y, x + 1, y + 1});
    }
};

}  // namespace

TEST_F(UndoTest, UndoThenRedoRestoresLayerAndMaskBitForBit) {
    std::mt19937 rng(42);
    std::vector<std::vector<uint16_t>> layers{layerPixels(2, W, H)};
    std::vector<std::vector<uint16_t>> masks{maskValues(W, H)};
    for (int step = 0; step < 8; ++step) {
        const int x = static_cast<int>(rng() % (W - 4)) - 2;
        const int y = static_cast<int>(rng() % (H - 4)) - 2;
        paint(x, y, 2 + static_cast<int>(rng() % 9), 2 + static_cast<int>(rng() % 7), rng());
        paintMask(static_cast<int>(rng() % (W - 1)), static_cast<int>(rng() % (H - 1)), static_cast<uint16_t>(rng()));
        DRO_SaveUndoBuffer(1, 1);
        layers.push_back(layerPixels(2, W, H));
        masks.push_back(maskValues(W, H));
    }
    EXPECT_EQ(DRO_GetUndoCount(), 8);
    for (int step = 7; step >= 0; --step) {
        ASSERT_EQ(DRO_CanUndo(), 1);
        DRO_Undo();
        ASSERT_EQ(layerPixels(2, W, H), layers[step]) << "after undo to " << step;
        ASSERT_EQ(maskValues(W, H), masks[step]);
    }
    EXPECT_EQ(DRO_CanUndo(), 0);
    EXPECT_EQ(DRO_GetRedoCount(), 8);
    for (int step = 1; step <= 8; ++step) {
        DRO_Redo();
        ASSERT_EQ(layerPixels(2, W, H), layers[step]) << "after redo to " << step;
        ASSERT_EQ(maskValues(W, H), masks[step]);
    }
    EXPECT_EQ(DRO_CanRedo(), 0);
}

TEST_F(UndoTest, ANewStepDiscardsWhatWasUndone) {
    paint(0, 0, 4, 4, 1);
    DRO_SaveUndoBuffer(1, 0);
    paint(4, 4, 4, 4, 2);
    DRO_SaveUndoBuffer(1, 0);
    DRO_Undo();
    EXPECT_EQ(DRO_CanRedo(), 1);
    paint(8, 8, 4, 4, 3);
    DRO_SaveUndoBuffer(1, 0);
    EXPECT_EQ(DRO_CanRedo(), 0);
    EXPECT_EQ(DRO_GetUndoCount(), 2);
    DRO_Undo();
    DRO_Undo();
    EXPECT_EQ(DRO_CanUndo(), 0);
    for (uint16_t v : layerPixels(2, W, H)) ASSERT_EQ(v, 0);
}

TEST_F(UndoTest, WithoutLevelsNothingIsRecordedButTheBackBufferFollows) {
    DRO_SetUndoLevels(0);
    paint(1, 1, 5, 5, 9);
    DRO_SaveUndoBuffer(1, 1);
    EXPECT_EQ(DRO_CanUndo(), 0);
    EXPECT_EQ(DRO_GetUndoCount(), 0);
    const auto layer = layerPixels(2, W, H);
    EXPECT_TRUE(std::equal(layer.begin(), layer.end(), dro::undoStore().backPixels.get()));
}

TEST_F(UndoTest, ZeroBudgetKeepsOnlyTheNewestStep) {
    DRO_SetUndoMB(64);
    dro::undoStore().undoBudgetKB = 0;
    for (int i = 0; i < 4; ++i) {
        paint(i * 4, 0, 3, 3, i);
        DRO_SaveUndoBuffer(1, 0);
        EXPECT_EQ(DRO_GetUndoCount(), 1);
    }
    const auto before = layerPixels(2, W, H);
    DRO_Undo();
    EXPECT_NE(layerPixels(2, W, H), before);
    EXPECT_EQ(DRO_CanUndo(), 0);
}

TEST_F(UndoTest, DegenerateDirtyRectSavesTheWholeCanvas) {
    dro::setDirtyRectEmpty();
    dro::widenDirtyRect({5, 2, 5, 10});  // one pixel wide
    DRO_SaveUndoBuffer(1, 0);
    EXPECT_EQ(dro::undoStore().records[0].rect, (dro::Rect{0, 0, W - 1, H - 1}));
    dro::widenDirtyRect({-3, -3, 100, 4});  // clipped to the canvas
    DRO_SaveUndoBuffer(1, 0);
    EXPECT_EQ(dro::undoStore().records[0].rect, (dro::Rect{0, 0, W - 1, 4}));
    EXPECT_EQ(dro::undoStore().dirtyRect, (dro::Rect{W - 1, H - 1, 0, 0}));
}

TEST_F(UndoTest, UndoSelectsTheLayerOfTheStep) {
    DRO_SetLayer(3);
    paint(2, 2, 3, 3, 5);
    DRO_SaveUndoBuffer(1, 0);
    DRO_SetLayer(2);
    DRO_Undo();
    EXPECT_EQ(DRO_GetLayerNum(), 3);
    for (uint16_t v : layerPixels(3, W, H)) ASSERT_EQ(v, 0);
    DRO_SetLayer(2);
    DRO_Redo();
    EXPECT_EQ(DRO_GetLayerNum(), 3);
}

TEST_F(UndoTest, AStepOfADeletedLayerIsNeverAppliedElsewhere) {
    DRO_SetLayer(3);
    paint(2, 2, 3, 3, 5);
    DRO_SaveUndoBuffer(1, 0);
    DRO_SetLayer(2);
    paint(10, 10, 3, 3, 6);
    DRO_SaveUndoBuffer(1, 0);
    DRO_Undo();  // layer 2's step
    DRO_DeleteLayer(3);
    const auto layer2 = layerPixels(2, W, H);
    DRO_Undo();
    EXPECT_EQ(DRO_GetLayerNum(), 2);
    EXPECT_EQ(layerPixels(2, W, H), layer2);
    EXPECT_EQ(DRO_GetRedoCount(), 1);
}

TEST_F(UndoTest, PauseStopsSavingUndoAndRedoUntilResumedOrCleared) {
    paint(0, 0, 4, 4, 1);
    DRO_PauseUndo();
    DRO_SaveUndoBuffer(1, 0);
    EXPECT_EQ(DRO_GetUndoCount(), 0);
    DRO_ResumeUndo();
    DRO_SaveUndoBuffer(1, 0);
    DRO_PauseUndo();
    DRO_Undo();
    EXPECT_EQ(DRO_GetRedoCount(), 0);
    DRO_ClearUndo();
    EXPECT_EQ(dro::undoStore().undoPaused, 0);
    EXPECT_EQ(DRO_GetUndoCount(), 0);
}

TEST_F(UndoTest, LevelsAndBudgetSetters) {
    DRO_SetUndoLevels(800);
    EXPECT_EQ(dro::undoStore().undoLevels, 500);
    DRO_SetUndoLevels(-4);
    EXPECT_EQ(dro::undoStore().undoLevels, 0);
    DRO_SetUndoMB(64);
    EXPECT_EQ(DRO_GetTotalUndoMemory(), 64);
    DRO_SetUndoMB(0);
    EXPECT_EQ(dro::undoStore().undoBudgetAuto, 1);
    EXPECT_GT(DRO_GetTotalUndoMemory(), 0);
}

TEST_F(UndoTest, AutomaticBudgetLeavesRoomForTheCanvas) {
    // p = 2048 * 1024 / 1024 = 2048: free 1000000 KB * 0.85 + 100 - 20p.
    EXPECT_EQ(dro::automaticBudgetKB(1000000, 100, 2048, 1024), 850100 - 40960);
    // Little free memory: at least 15p.
    EXPECT_EQ(dro::automaticBudgetKB(1000, 0, 2048, 1024), 15 * 2048);
}

TEST_F(UndoTest, MemoryCountFollowsTheSteps) {
    const int32_t base = dro::undoStore().undoUsedKB;
    EXPECT_EQ(base, W * H * 10 / 1024);
    dro::invalidateDirtyUndoCanvas();
    DRO_SaveUndoBuffer(1, 1);
    EXPECT_EQ(dro::undoStore().undoUsedKB, base + W * H * 8 / 1024 + W * H * 2 / 1024);
    DRO_ReduceUndo(0);
    EXPECT_EQ(DRO_GetUndoCount(), 1);
    DRO_ReduceUndo(1);
    EXPECT_EQ(DRO_GetUndoCount(), 0);
    EXPECT_EQ(dro::undoStore().undoUsedKB, base);
}

TEST_F(UndoTest, ReductionDropsOldestStepsAndKeepsMaskOnlySteps) {
    dro::invalidateDirtyUndoCanvas();
    DRO_SaveUndoBuffer(0, 1);  // mask only: never dropped by reduction
    for (int i = 0; i < 3; ++i) {
        dro::invalidateDirtyUndoCanvas();
        DRO_SaveUndoBuffer(1, 0);
    }
    EXPECT_EQ(DRO_GetUndoCount(), 4);
    DRO_ReduceUndo(1);
    EXPECT_EQ(DRO_GetUndoCount(), 3);
    EXPECT_NE(dro::undoStore().records[3].mask, nullptr);  // the oldest, mask-only step stays
    EXPECT_EQ(dro::undoStore().records[2].pixels, nullptr);
    DRO_ReduceUndo(1000000);
    EXPECT_EQ(DRO_GetUndoCount(), 1);
}

TEST_F(UndoTest, AllocatorsDropHistoryUnderPressure) {
    for (int i = 0; i < 3; ++i) {
        dro::invalidateDirtyUndoCanvas();
        DRO_SaveUndoBuffer(1, 0);
    }
    dro::testhooks::failNthAllocation(1);
    void* block = DRO_Alloc(4096);
    EXPECT_NE(block, nullptr);
    DRO_Free(block);
    EXPECT_EQ(DRO_GetUndoCount(), 2);

    // Even a request under 1 KB frees a step per round and ends.
    dro::testhooks::failAllAllocations(true);
    EXPECT_EQ(dro::x_NewCharUndoReduce(10), nullptr);
    EXPECT_EQ(DRO_GetUndoCount(), 0);
}

TEST_F(UndoTest, SavingNothingRecordsNoStep) {
    paint(0, 0, 4, 4, 1);
    DRO_SaveUndoBuffer(1, 0);
    DRO_SaveUndoBuffer(0, 0);
    EXPECT_EQ(DRO_GetUndoCount(), 1);
    EXPECT_EQ(DRO_CanUndo(), 1);
}
