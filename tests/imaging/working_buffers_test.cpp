// The six working buffers: allocation keeps or replaces, sources refresh from the
// current layer, the canvas life cycle releases the image-command buffers only.
#include <cstring>

#include "core/last_error.h"
#include "imaging/library_modules.h"
#include "imaging/working_buffers.h"
#include "support/engine_fixture.h"

namespace {

class IplBuffers : public EngineTest {
protected:
    static dro::WorkingBuffers& buffers() { return dro::workingBuffers(); }
    void loadLayer(int w, int h, uint32_t seed) {
        image = randomRGBA32(w, h, seed);
        DRO_LoadRGBA32(image.data(), w * 4, 0);
    }
    std::vector<uint8_t> image;
};

TEST_F(IplBuffers, NothingHappensWithoutACanvas) {
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer24();
    DRO_ToolAllocSrcBuffer32();
    DRO_IPLUpdateSrcBuffer32();
    DRO_ApplyMaskToAlpha_IPLSrcRGBA();
    uint8_t block[16] = {};
    DRO_IPLSetSrcBuffer32(block);
    DRO_IPLSetDstBuffer32(nullptr);
    DRO_IPLFreeSrcBuffer32();
    DRO_ToolFreeDstBuffer32();
    DRO_IPLImageProcess(0, "Box Blur", 0, 1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    DRO_IPLImageProcess(0, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    EXPECT_FALSE(buffers().iplSource32.block);
    EXPECT_FALSE(buffers().toolSource32.block);
}

TEST_F(IplBuffers, SourceIsKeptAndRefreshedOnEveryAllocation) {
    openCanvas(5, 3);
    loadLayer(5, 3, 1);
    DRO_IPLAllocSrcBuffer32();
    const uint8_t* first = buffers().iplSource32.block.get();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(buffers().iplSource32.sizeBytes, 5u * 3 * 4);
    EXPECT_EQ(std::memcmp(first, image.data(), image.size()), 0);

    loadLayer(5, 3, 2);
    DRO_IPLAllocSrcBuffer32();
    EXPECT_EQ(buffers().iplSource32.block.get(), first);
    EXPECT_EQ(std::memcmp(first, image.data(), image.size()), 0);

    // The 24-bit source takes R, G, B.
    DRO_IPLAllocSrcBuffer24();
    const uint8_t* rgb = buffers().iplSource24.block.get();
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(buffers().iplSource24.sizeBytes, 5u * 3 * 3);
    for (int i = 0; i < 15; ++i)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(rgb[i * 3 + c], image[i * 4 + c]);
}

TEST_F(IplBuffers, DestinationKeepsItsContentsAndSetCopiesHostBlocks) {
    openCanvas(4, 4);
    DRO_IPLAllocDstBuffer32();
    const auto host = randomRGBA32(4, 4, 9);
    DRO_IPLSetDstBuffer32(host.data());
    DRO_IPLSetDstBuffer32(nullptr);  // nothing
    DRO_IPLAllocDstBuffer32();
    EXPECT_EQ(std::memcmp(buffers().iplDestination32.block.get(), host.data(), host.size()), 0);
    // Setting an absent buffer does nothing.
    DRO_IPLSetSrcBuffer32(host.data());
    EXPECT_FALSE(buffers().iplSource32.block);
}

TEST_F(IplBuffers, UpdateFollowsTheCurrentLayer) {
    openCanvas(3, 2, 2, 1);
    DRO_IPLAllocSrcBuffer32();
    DRO_SetLayer(2);
    loadLayer(3, 2, 5);
    DRO_IPLUpdateSrcBuffer32();
    EXPECT_EQ(std::memcmp(buffers().iplSource32.block.get(), image.data(), image.size()), 0);
}

// A kept block is refilled whole: where a smaller layer does not reach, it reads
// transparent black, not what the last layer left there.
TEST_F(IplBuffers, AKeptSourceHoldsNothingOfTheLastLayerOutsideASmallerOne) {
    openCanvas(6, 4, 2, 1);
    loadLayer(6, 4, 9);
    DRO_IPLAllocSrcBuffer32();
    ASSERT_EQ(DRO_CreateLayer(2, 3, 2), 1);
    DRO_SetLayer(2);
    DRO_IPLAllocSrcBuffer32();
    const uint8_t* block = buffers().iplSource32.block.get();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            if (x >= 3 || y >= 2)
                for (int c = 0; c < 4; ++c) ASSERT_EQ(block[(y * 6 + x) * 4 + c], 0) << x << "," << y;
}

TEST_F(IplBuffers, CanvasLifeCycleReleasesOnlyTheImageCommandBuffers) {
    openCanvas(4, 3);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    DRO_IPLAllocSrcBuffer24();
    DRO_IPLAllocDstBuffer24();
    DRO_ToolAllocSrcBuffer32();
    DRO_ToolAllocDstBuffer32();
    DRO_NewSize(nullptr, 6, 5, 64, 0);
    EXPECT_FALSE(buffers().iplSource32.block);
    EXPECT_FALSE(buffers().iplDestination24.block);
    EXPECT_EQ(buffers().iplDestination32.sizeBytes, 0u);
    ASSERT_TRUE(buffers().toolSource32.block);
    EXPECT_EQ(buffers().toolSource32.sizeBytes, 4u * 3 * 4);

    // The next allocation sees the new size.
    DRO_IPLAllocDstBuffer32();
    EXPECT_EQ(buffers().iplDestination32.sizeBytes, 6u * 5 * 4);
    DRO_ToolAllocDstBuffer32();
    EXPECT_EQ(buffers().toolDestination32.sizeBytes, 6u * 5 * 4);

    DRO_DeleteImage();
    EXPECT_FALSE(buffers().iplDestination32.block);
    EXPECT_TRUE(buffers().toolDestination32.block);
    DRO_ToolFreeSrcBuffer32();
    DRO_ToolFreeDstBuffer32();
    DRO_ToolFreeDstBuffer32();  // absent: nothing
    EXPECT_FALSE(buffers().toolSource32.block);
    EXPECT_EQ(buffers().toolDestination32.sizeBytes, 0u);
}

TEST_F(IplBuffers, FailedAllocationRecordsItsTextAndLeavesTheBufferEmpty) {
    openCanvas(8, 8);
    dro::testhooks::failAllAllocations(true);
    DRO_IPLAllocSrcBuffer32();
    dro::testhooks::failAllAllocations(false);
    EXPECT_STREQ(DRO_GetLastError(), "IPLAllocSrcBuffer32 Excpt");
    EXPECT_FALSE(buffers().iplSource32.block);
    EXPECT_EQ(buffers().iplSource32.sizeBytes, 8u * 8 * 4);

    dro::testhooks::failAllAllocations(true);
    DRO_ToolAllocDstBuffer32();
    dro::testhooks::failAllAllocations(false);
    EXPECT_STREQ(DRO_GetLastError(), "ToolAllocDstBuffer32 Excpt");

    // Users of the empty buffer do nothing; a later allocation succeeds.
    DRO_IPLUpdateSrcBuffer32();
    DRO_ApplyMaskToAlpha_IPLSrcRGBA();
    DRO_IPLAllocSrcBuffer32();
    EXPECT_TRUE(buffers().iplSource32.block);
}

TEST_F(IplBuffers, MaskScalesTheSourceAlphaOnlyWhenEnabled) {
    openCanvas(2, 1);
    const std::vector<uint8_t> opaque{1, 2, 3, 255, 4, 5, 6, 255};
    DRO_LoadRGBA32(opaque.data(), 8, 0);
    std::vector<uint16_t> mask{0x8000, 0x00FF};
    DRO_SetMaskData16(mask.data());
    DRO_IPLAllocSrcBuffer32();
    DRO_EnableMask(0);
    DRO_ApplyMaskToAlpha_IPLSrcRGBA();
    EXPECT_EQ(buffers().iplSource32.block[3], 255);
    DRO_EnableMask(1);
    DRO_ApplyMaskToAlpha_IPLSrcRGBA();
    EXPECT_EQ(buffers().iplSource32.block[3], 128);  // 255 * 129 / 256
    EXPECT_EQ(buffers().iplSource32.block[7], 0);
    EXPECT_EQ(buffers().iplSource32.block[0], 1);
}

TEST_F(IplBuffers, LibraryModulesStartAndStopInTheirOrders) {
    using dro::LibraryModule;
    DRO_IPLInit(12345);
    const dro::LibraryModuleState& s = dro::libraryModuleState();
    EXPECT_STREQ(s.journal, "+0+1+2+3+4+5");
    EXPECT_GE(s.workerThreads, 1);
    DRO_IPLInit(0);  // already running: nothing more
    EXPECT_STREQ(s.journal, "+0+1+2+3+4+5");
    DRO_IPLExit();
    EXPECT_STREQ(s.journal, "+0+1+2+3+4+5-5-0-1-3");
    EXPECT_EQ(s.workerThreads, 0);
    // The two effect modules have no stop step and keep running.
    EXPECT_TRUE(dro::libraryModuleRunning(LibraryModule::ISE40));
    EXPECT_TRUE(dro::libraryModuleRunning(LibraryModule::ISE3));
    EXPECT_FALSE(dro::libraryModuleRunning(LibraryModule::IS3));
    DRO_IPLExit();
    DRO_IPLInit(0);
    EXPECT_STREQ(s.journal, "+0+1+2+3+4+5-5-0-1-3+0+1+3+5");
}

}  // namespace
