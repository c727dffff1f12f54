// Every test starts from an engine as it is at load, and leaves it that way.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/allocation.h"
#include "engine/engine_lifecycle.h"
#include "drovane.h"

class EngineTest : public ::testing::Test {
protected:
    // Messages go to stderr as the Linux backend writes them: a modal box would stop the
    // Windows test program where nobody can click it. Tests of the fallback itself set
    // no callback.
    static void DRO_CALL messageToStderr(const char* text, const char* caption, void*) {
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    }
    void SetUp() override {
        dro::resetEngine();
        DRO_SetMessageCallback(messageToStderr, nullptr);
    }
    void TearDown() override {
        dro::testhooks::failNthAllocation(0);
        dro::testhooks::failAllAllocations(false);
        dro::resetEngine();
    }

    // A canvas of w x h with the background (slot 1) and, if asked, a transparent
    // layer 2; the given layer is made current.
    void openCanvas(int w, int h, int layers = 1, int current = 1, int maxBrush = 64) {
        DRO_CreateImage(nullptr, w, h, maxBrush, 0);
        for (int i = 1; i <= layers; ++i) {
            ASSERT_EQ(DRO_CreateLayer(i, w, h), 1);
            DRO_SetLayerOptions(i, 1, 0, 100, "Normal");
        }
        DRO_SetLayer(current);
    }

    static std::vector<uint16_t> layerPixels(int index, int w, int h) {
        std::vector<uint16_t> out(static_cast<size_t>(w) * h * 4);
        DRO_GetRGBA64Layer(out.data(), w * 8, index);
        return out;
    }

    static std::vector<uint16_t> maskValues(int w, int h) {
        std::vector<uint16_t> out(static_cast<size_t>(w) * h);
        DRO_GetMaskData16(out.data());
        return out;
    }

    // A pseudo-random RGBA32 block, reproducible from its seed.
    static std::vector<uint8_t> randomRGBA32(int w, int h, uint32_t seed) {
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        for (auto& b : out) {
            seed = seed * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(seed >> 24);
        }
        return out;
    }
};
