// Writing small RGBA pictures to scratch files for the shape and grain readers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "drovane.h"
#include "imaging/lib/codecs/png_codec.h"

inline std::string brushScratch(const std::string& name) {
    return ::testing::TempDir() + "drovane_brush_" + name;
}

// A w x h RGBA32 PNG whose pixel (x, y) is colour(x, y) = {r, g, b, a}.
inline std::string writeBrushPng(const std::string& name, int w, int h,
                                 const std::function<std::array<uint8_t, 4>(int, int)>& colour) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto c = colour(x, y);
            std::copy(c.begin(), c.end(), px.begin() + (static_cast<size_t>(y) * w + x) * 4);
        }
    }
    const std::string path = brushScratch(name);
    std::FILE* f = std::fopen(path.c_str(), "w+b");
    EXPECT_NE(f, nullptr);
    if (!f) return path;
    EXPECT_TRUE(dro::codecs::writePng(dro::codecs::FileDest{f}, px.data(), w, h, 4, {}));
    std::fclose(f);
    return path;
}

inline std::array<uint8_t, 4> greyPixel(int v) {
    const auto b = static_cast<uint8_t>(v);
    return {b, b, b, 255};
}

// Writes a procedural script, and a PNG of the picture it renders, for comparing the
// two ways of giving a shape or grain. Returns {script, png}.
inline std::pair<std::string, std::string> writeScriptAndItsPicture(const std::string& name, const std::string& body) {
    const std::string script = brushScratch(name + ".dps");
    if (std::FILE* f = std::fopen(script.c_str(), "wb")) {
        std::fputs(body.c_str(), f);
        std::fclose(f);
    }
    int32_t w = 0, h = 0;
    EXPECT_EQ(DRO_ProceduralScriptSize(script.c_str(), &w, &h), 1) << DRO_GetLastError();
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    EXPECT_EQ(DRO_RenderProceduralScript(script.c_str(), rgba.data(), w, h), 1) << DRO_GetLastError();
    const std::string png = writeBrushPng(name + ".png", w, h, [&](int x, int y) {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
        return std::array<uint8_t, 4>{p[0], p[1], p[2], p[3]};
    });
    return {script, png};
}
