// Helpers shared by the mask tests.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "support/engine_fixture.h"

class MaskFixture : public EngineTest {
protected:
    static void setMask(std::vector<uint16_t> values) { DRO_SetMaskData16(values.data()); }

    // w x h grey RGB24 rows of the given stride (padding 0xEE); grey(x, y) per pixel.
    template <class Grey>
    static std::vector<uint8_t> greyRGB24(int w, int h, int stride, Grey grey) {
        std::vector<uint8_t> out(static_cast<size_t>(stride) * h, 0xEE);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                for (int c = 0; c < 3; ++c) out[y * stride + x * 3 + c] = static_cast<uint8_t>(grey(x, y));
            }
        }
        return out;
    }

    static std::vector<uint8_t> rgba32(std::initializer_list<std::array<uint8_t, 4>> pixels) {
        std::vector<uint8_t> out;
        for (const auto& p : pixels) out.insert(out.end(), p.begin(), p.end());
        return out;
    }
};
