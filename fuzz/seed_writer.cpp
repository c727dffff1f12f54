// Writes a small picture in every format the engine writes, each into the seed folder
// of the fuzz target that decodes it: mutations of real files reach past the headers.
//   seed_writer OUTDIR   (writes OUTDIR/<target>/engine.<ext>)
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "drovane.h"

namespace {

struct Seed {
    const char* extension;
    const char* target;
    bool alpha;  // written from RGBA32, else from RGB24
};

constexpr std::array kSeeds{
    Seed{".bmp", "bmp_fuzz", false},  Seed{".png", "png_fuzz", true},   Seed{".jpg", "jpeg_fuzz", false},
    Seed{".gif", "gif_fuzz", false},  Seed{".pcx", "pcx_fuzz", false},  Seed{".psd", "psd_fuzz", false},
    Seed{".emf", "metafile_fuzz", false}, Seed{".tga", "tga_fuzz", true},
    Seed{".tif", "tiff_fuzz", true},  Seed{".webp", "webp_fuzz", true},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seed_writer OUTDIR\n");
        return 2;
    }
    // Small, with gradients, a few flat runs and partial transparency, so that every
    // encoder uses more than one of its code paths.
    constexpr int w = 13, h = 9;
    std::vector<uint8_t> rgba(w * h * 4), rgb(w * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgba[(y * w + x) * 4];
            p[0] = static_cast<uint8_t>(x * 19);
            p[1] = static_cast<uint8_t>(y < 4 ? 200 : y * 27);
            p[2] = static_cast<uint8_t>((x + y) * 11);
            p[3] = static_cast<uint8_t>(x < 6 ? 255 : 40 + y * 20);
            for (int c = 0; c < 3; ++c) rgb[(y * w + x) * 3 + c] = p[c];
        }
    int failures = 0;
    for (const Seed& seed : kSeeds) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / seed.target;
        std::filesystem::create_directories(folder);
        const std::string file = (folder / (std::string("engine") + seed.extension)).string();
        const int32_t written =
            seed.alpha ? DRO_WriteToFileRGBA32(rgba.data(), w, h, file.c_str(), seed.extension, 96)
                       : DRO_WriteToFileRGB24(rgb.data(), w, h, file.c_str(), seed.extension, 96);
        if (!written) {
            std::fprintf(stderr, "seed_writer: %s: %s\n", file.c_str(), DRO_GetFileMessage());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
