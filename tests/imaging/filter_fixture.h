// Running in-house filters on test images without a canvas, and small image helpers.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/filter_params.h"
#include "imaging/filters/filter_table.h"
#include "support/engine_fixture.h"

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> px;

    Image() = default;
    Image(int width, int height, std::vector<uint8_t> pixels) : w(width), h(height), px(std::move(pixels)) {}
    static Image flat(int width, int height, std::array<uint8_t, 4> c) {
        Image im{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
        for (size_t i = 0; i < im.px.size(); ++i) im.px[i] = c[i % 4];
        return im;
    }
    uint8_t* at(int x, int y) { return px.data() + (static_cast<size_t>(y) * w + x) * 4; }
    const uint8_t* at(int x, int y) const { return px.data() + (static_cast<size_t>(y) * w + x) * 4; }
    // Zero outside, as the filters read.
    std::array<int, 4> get(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return {0, 0, 0, 0};
        const uint8_t* p = at(x, y);
        return {p[0], p[1], p[2], p[3]};
    }
    void set(int x, int y, std::array<int, 4> v) {
        uint8_t* p = at(x, y);
        for (int c = 0; c < 4; ++c) p[c] = static_cast<uint8_t>(v[c] < 0 ? 0 : (v[c] > 255 ? 255 : v[c]));
    }
    int lum(int x, int y) const {
        const auto p = get(x, y);
        return (p[0] + p[1] + p[2]) / 3;
    }
    friend bool operator==(const Image&, const Image&) = default;
};

inline void PrintTo(const Image& im, std::ostream* os) {
    *os << im.w << "x" << im.h << " {";
    for (size_t i = 0; i < im.px.size() && i < 64; ++i) *os << (i ? "," : "") << int{im.px[i]};
    *os << (im.px.size() > 64 ? ",...}" : "}");
}

// Reproducible pseudo-random pixels; lowBits narrows the spread so thresholds matter.
inline Image randomImage(int w, int h, uint32_t seed, int spread = 256) {
    Image im{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
    for (auto& b : im.px) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>((seed >> 24) % static_cast<uint32_t>(spread));
    }
    return im;
}

// Settings with sliders given as the host's integers (0..1000).
inline dro::FilterSettings settings(std::array<int32_t, 6> sliders = {}, std::array<uint8_t, 6> flags = {},
                                    std::array<int32_t, 2> styles = {}, uint8_t inPlace = 0) {
    dro::FilterSettings s;
    s.slider = sliders;
    s.flag = flags;
    s.style = styles;
    s.inPlace = inPlace;
    return s;
}

// Runs a filter the way the filter frame does, on private blocks; returns the
// destination (and the source afterwards, for filters that use it as scratch).
inline Image runFilterOn(const std::string& name, const Image& in, const dro::FilterSettings& s,
                         Image* sourceAfter = nullptr) {
    std::vector<uint8_t> source = in.px;
    std::vector<uint8_t> destination = in.px;
    dro::FilterParams p;
    dro::fillFilterParams(p, source.data(), destination.data(), in.w, in.h, s);
    dro::runFilter(name, p);
    if (sourceAfter) *sourceAfter = Image{in.w, in.h, source};
    return Image{in.w, in.h, destination};
}
