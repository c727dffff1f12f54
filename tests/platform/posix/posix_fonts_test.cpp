// Without a font dialog to show, choosing a font with no host choice takes a default
// face that fontconfig finds (Windows shows the system's dialog instead).
#include <gtest/gtest.h>

#include <vector>

#include "support/engine_fixture.h"

namespace {

class PosixFontsTest : public EngineTest {};

TEST_F(PosixFontsTest, WithoutAHostChoiceADefaultFaceIsTaken) {
    DRO_SetFontFace(nullptr, 0, 0, 0);
    EXPECT_EQ(DRO_ChooseFont(), 1);
    openCanvas(40, 30, 2, 2);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLText(0, 0, 0, 2, 2, 0, 0, 0, 0, "M", 0);
    std::vector<uint8_t> layer(40 * 30 * 4);
    DRO_GetRGBA32Layer(layer.data(), 40 * 4, 2);
    int inked = 0;
    for (size_t i = 3; i < layer.size(); i += 4) inked += layer[i] != 0;
    EXPECT_GT(inked, 10);
}

}  // namespace
