#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/engine_fixture.h"

namespace {

// A host clipboard outside the engine, reached only through the bridge callbacks.
struct HostBoard {
    std::vector<uint8_t> bytes;
};

int32_t DRO_CALL hostGet(uint8_t* buffer, int32_t capacity, void* user) {
    const auto& bytes = static_cast<HostBoard*>(user)->bytes;
    const auto size = static_cast<int32_t>(bytes.size());
    if (buffer) std::copy_n(bytes.data(), std::min(size, capacity), buffer);
    return size;
}
int32_t DRO_CALL hostSet(const uint8_t* dib, int32_t size, void* user) {
    static_cast<HostBoard*>(user)->bytes.assign(dib, dib + size);
    return 1;
}

using ClipboardBridgeTest = EngineTest;

TEST_F(ClipboardBridgeTest, CopiesAndPastesGoThroughTheHostsClipboard) {
    HostBoard board;
    DRO_SetClipboardCallbacks(hostGet, hostSet, &board);
    const auto block = randomRGBA32(5, 9, 4);
    DRO_RGBA32ToClipboardRect(block.data(), 0, 0, 5, 9, 0);
    ASSERT_FALSE(board.bytes.empty());
    EXPECT_EQ(board.bytes[0], 40);  // a BITMAPINFOHEADER any toolkit reads
    ASSERT_EQ(DRO_FromClipboard(), 1);
    ASSERT_EQ(DRO_GetNewRGBAWidth(), 5);
    ASSERT_EQ(DRO_GetNewRGBAHeight(), 9);
    std::vector<uint8_t> pasted(block.size());
    DRO_GetNewRGBA32(pasted.data());
    EXPECT_EQ(pasted, block);

    board.bytes.clear();  // the host's clipboard holds no image
    DRO_ReadFromFile("/nonexistent");
    EXPECT_EQ(DRO_FromClipboard(), 0);
    board.bytes = {1, 2, 3};  // nor a readable one
    EXPECT_EQ(DRO_FromClipboard(), 0);
    DRO_SetClipboardCallbacks(nullptr, nullptr, nullptr);
}

}  // namespace
