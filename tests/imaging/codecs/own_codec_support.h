// Helpers for the tests of the formats we read and write ourselves: a scratch folder,
// ImageMagick as the independent reference, and files written through FileDest.
#pragma once

#include <gtest/gtest.h>

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

namespace owncodec {

using dro::codecs::ByteSpan;
using dro::codecs::FileDest;
using dro::codecs::PixelImage;

inline bool haveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

inline std::filesystem::path scratch(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / ("owncodecs_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Runs a writer against a fresh file and returns its result and the bytes written.
inline bool writeWith(const std::filesystem::path& path, const std::function<bool(FileDest)>& writer,
                      std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.string().c_str(), "w+b");
    if (!f) return false;
    const bool ok = writer(FileDest{f});
    std::fclose(f);
    bytes = readBytes(path);
    return ok;
}

// A picture with gradients, hard edges and (for channels 4) varied alpha.
inline std::vector<uint8_t> pattern(int w, int h, int channels, uint32_t seed = 1) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * channels];
            p[0] = static_cast<uint8_t>(x * 255 / std::max(1, w - 1));
            p[1] = static_cast<uint8_t>(y * 255 / std::max(1, h - 1));
            p[2] = static_cast<uint8_t>((x / 4 + y / 4) % 2 ? 200 : rng() & 0xFF);
            if (channels == 4) p[3] = static_cast<uint8_t>((x + y) % 3 == 0 ? 255 : rng() & 0xFF);
        }
    return px;
}

// ImageMagick's own RGBA decode of a file, or nullopt when it cannot read it. Its TGA
// reader only notes a bottom-left origin, so callers ask for -auto-orient there.
inline std::optional<std::vector<uint8_t>> magickRgba(const std::filesystem::path& path, int w, int h,
                                                      const std::string& readOptions = "") {
    const std::string out =
        run("convert '" + path.string() + "' " + readOptions + " -depth 8 rgba:- 2>/dev/null");
    if (out.size() != static_cast<size_t>(w) * h * 4) return std::nullopt;
    return std::vector<uint8_t>(out.begin(), out.end());
}

// Makes `file` with ImageMagick from an RGBA picture: convert <options> source <out>.
inline bool magickMake(const std::vector<uint8_t>& rgba, int w, int h, const std::string& options,
                       const std::string& out) {
    const auto raw = scratch("source.rgba");
    writeBytes(raw, rgba);
    const std::string cmd = "convert -size " + std::to_string(w) + "x" + std::to_string(h) + " -depth 8 rgba:'" +
                            raw.string() + "' " + options + " '" + out + "' 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

inline std::string identify(const std::filesystem::path& path, const std::string& format = "%m %w %h") {
    return run("identify -format '" + format + "' '" + path.string() + "' 2>&1");
}

// Every prefix of a valid file and a few hundred single-byte flips: each decode gives
// nothing or a picture that is consistent with its size. Run under ASan to be useful.
template <typename Decode>
void survivesDamage(const std::vector<uint8_t>& good, Decode decode, uint32_t seed = 7) {
    for (size_t n = 0; n < good.size(); n += std::max<size_t>(1, good.size() / 400)) {
        const auto img = decode(ByteSpan(good.data(), n));
        if (img) ASSERT_EQ(img->pixels.size(), size_t(img->width) * img->height * img->channels);
    }
    std::mt19937 rng(seed);
    for (int i = 0; i < 300; ++i) {
        auto bad = good;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < flips; ++k) bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
        const auto img = decode(ByteSpan(bad));
        if (img) ASSERT_EQ(img->pixels.size(), size_t(img->width) * img->height * img->channels);
    }
}

}  // namespace owncodec
