// What the tests of the library-backed codecs share: a scratch folder, ImageMagick as
// the independent reference decoder, test pictures, and the corrupt-input sweep.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"

namespace codectest {

using Bytes = std::vector<uint8_t>;
using Decoder = std::function<std::optional<dro::codecs::PixelImage>(dro::codecs::ByteSpan)>;

// One folder per test process, removed when the process ends.
struct ScratchDir {
    std::filesystem::path path;
    ScratchDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "drovane-codecs-XXXXXX").string();
        if (mkdtemp(tmpl.data())) path = tmpl;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

inline const std::filesystem::path& scratchDir() {
    static const ScratchDir dir;
    return dir.path;
}

inline std::string scratch(const std::string& name) { return (scratchDir() / name).string(); }

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline bool onPath(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

// Standard output of a shell command (empty when it fails).
inline Bytes capture(const std::string& command) {
    Bytes out;
    std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
    if (pclose(pipe) != 0) out.clear();
    return out;
}

inline std::string captureText(const std::string& command) {
    const Bytes b = capture(command);
    return std::string(b.begin(), b.end());
}

// ImageMagick's own RGBA decode of the first frame, 8 bits a sample.
inline Bytes magickRgba(const std::string& path, const std::string& options = "") {
    return capture("convert '" + path + "[0]' " + options + " -depth 8 rgba:-");
}

// The same at 16 bits, narrowed to the high byte the way our decoders narrow.
inline Bytes magickRgbaHighBytes(const std::string& path) {
    const Bytes wide = capture("convert '" + path + "[0]' -depth 16 -endian MSB rgba:-");
    Bytes out(wide.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = wide[i * 2];
    return out;
}

// A picture with horizontal and vertical ramps, a hashed texture and, when asked,
// every kind of alpha (0, 255 and partial).
inline Bytes pattern(int w, int h, int channels, uint32_t seed = 1) {
    Bytes px(static_cast<size_t>(w) * h * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t v = (static_cast<uint32_t>(x) * 73856093u) ^ (static_cast<uint32_t>(y) * 19349663u) ^ seed;
            v ^= v >> 13;
            v *= 0x5bd1e995u;
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * channels];
            p[0] = static_cast<uint8_t>(x * 255 / std::max(1, w - 1));
            p[1] = static_cast<uint8_t>(y * 255 / std::max(1, h - 1));
            p[2] = static_cast<uint8_t>(v >> 24);
            if (channels == 4) p[3] = (x + y) % 5 == 0 ? 0 : (x + y) % 5 == 1 ? 255 : static_cast<uint8_t>(v >> 16);
        }
    }
    return px;
}

// A smooth picture, which lossy coders keep close.
inline Bytes smooth(int w, int h, int channels) {
    Bytes px(static_cast<size_t>(w) * h * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * channels];
            p[0] = static_cast<uint8_t>(x * 255 / std::max(1, w - 1));
            p[1] = static_cast<uint8_t>(y * 255 / std::max(1, h - 1));
            p[2] = static_cast<uint8_t>(128 + (x - y) / 4);
            if (channels == 4) p[3] = 255;
        }
    }
    return px;
}

// Raw RGBA written where ImageMagick can read it, so it can make files from it.
inline std::string rgbaSource(const std::string& name, int w, int h, const Bytes& rgba) {
    const std::string raw = scratch(name + ".rgba");
    writeFile(raw, rgba);
    return "-size " + std::to_string(w) + "x" + std::to_string(h) + " -depth 8 rgba:'" + raw + "'";
}

// Runs a writer against a fresh file and returns the bytes it wrote ("" on failure).
inline std::optional<Bytes> writeWith(const std::string& path, const std::function<bool(dro::codecs::FileDest)>& write) {
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    if (!file) return std::nullopt;
    const bool ok = write(dro::codecs::FileDest{file});
    std::fclose(file);
    if (!ok) return std::nullopt;
    return readFile(path);
}

inline int maxDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) return 256;
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

inline double meanDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size() || a.empty()) return 256.0;
    double total = 0;
    for (size_t i = 0; i < a.size(); ++i) total += std::abs(int(a[i]) - int(b[i]));
    return total / static_cast<double>(a.size());
}

// Drops the alpha of RGBA rows.
inline Bytes rgbOf(const Bytes& rgba) {
    Bytes out(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size() / 4; ++i)
        for (int c = 0; c < 3; ++c) out[i * 3 + c] = rgba[i * 4 + c];
    return out;
}

// A decoded image is either absent or self-consistent.
inline void expectSane(const std::optional<dro::codecs::PixelImage>& image) {
    if (!image) return;
    ASSERT_GT(image->width, 0);
    ASSERT_GT(image->height, 0);
    ASSERT_EQ(image->pixels.size(), size_t(image->width) * size_t(image->height) * size_t(image->channels));
}

// Every prefix (sampled for big files) and a few hundred random byte flips: nullopt or
// a sane image, never a crash or a read outside the bytes (ASan watches).
inline void sweepCorruptions(const Bytes& valid, const Decoder& decode, uint32_t seed = 7) {
    const size_t step = std::max<size_t>(1, valid.size() / 400);
    for (size_t n = 0; n < valid.size(); n += step) {
        // A copy of exactly n bytes, so ASan sees any read past the end.
        const Bytes prefix(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(n));
        expectSane(decode(dro::codecs::ByteSpan(prefix.data(), prefix.size())));
    }
    std::mt19937 random(seed);
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = valid;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f) damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 + random() % 255);
        expectSane(decode(dro::codecs::ByteSpan(damaged.data(), damaged.size())));
    }
}

inline dro::codecs::ByteSpan span(const Bytes& b) { return {b.data(), b.size()}; }

}  // namespace codectest

#define SKIP_WITHOUT_MAGICK()                                                        \
    do {                                                                             \
        if (!codectest::onPath("convert")) GTEST_SKIP() << "ImageMagick not on PATH"; \
    } while (0)
