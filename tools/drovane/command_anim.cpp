#include <cstdio>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "image_file.h"

namespace cli {
namespace {

std::vector<uint8_t> rgbOf(const Image& image) {
    std::vector<uint8_t> rgb;
    rgb.reserve(image.rgba.size() / 4 * 3);
    for (size_t i = 0; i < image.rgba.size(); i += 4) rgb.insert(rgb.end(), &image.rgba[i], &image.rgba[i] + 3);
    return rgb;
}

// The engine reports what went wrong with a writer through its last-error text.
void throwIfEngineFailed(const std::string& output) {
    const std::string error = DRO_GetLastError();
    if (!error.empty()) throw CommandError(output + ": " + error);
}

}  // namespace

int runAnim(const Words& words) {
    const Arguments args(words, {"-o", "--fps", "--quality", "--plays"}, {"--mjpeg"});
    const auto& frames = args.positional();
    if (frames.empty()) throw UsageError("no frames given");
    if (!args.has("-o")) throw UsageError("give the animation with -o OUT.avi or -o OUT.gif");
    const std::string output = args.text("-o");
    const std::string extension = extensionOf(output);
    const bool gif = extension == ".gif";
    if (!gif && extension != ".avi") throw UsageError("-o must name a .avi or .gif file");
    if (gif && args.has("--mjpeg")) throw UsageError("--mjpeg is for AVI files");
    if (!gif && args.has("--plays")) throw UsageError("--plays is for GIF files");
    const int fps = args.integer("--fps", 10, 1, 1000);
    const int periodMs = 1000 / fps;

    const Image first = readImage(frames[0]);
    Canvas canvas(first.width, first.height);
    DRO_SetLastError("");
    if (gif) {
        DRO_SetGIFOptions(args.integer("--quality", 100, 1, 100), args.integer("--plays", 0, 0, 65536));
        DRO_CreateGIF(output.c_str(), periodMs, nullptr);
    } else {
        DRO_SetAVICompression(args.has("--mjpeg") ? "MJPG" : "DIB ", args.integer("--quality", 90, 1, 100));
        DRO_CreateAVI(output.c_str(), periodMs);
    }
    throwIfEngineFailed(output);
    for (size_t i = 0; i < frames.size(); ++i) {
        std::fprintf(stderr, "[%zu/%zu] %s\n", i + 1, frames.size(), frames[i].c_str());
        const Image frame = i == 0 ? first : readImage(frames[i]);
        if (frame.width != first.width || frame.height != first.height) {
            if (gif) DRO_CloseGIF(); else DRO_CloseAVI();
            throw CommandError(frames[i] + ": " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                               ", but the animation is " + std::to_string(first.width) + "x" +
                               std::to_string(first.height) + " (the size of the first frame)");
        }
        const std::vector<uint8_t> rgb = rgbOf(frame);
        if (gif) DRO_WriteGIF_RGB24(rgb.data(), frame.width, frame.height);
        else DRO_WriteAVI_RGB24(rgb.data(), frame.width, frame.height);
    }
    if (gif) DRO_CloseGIF(); else DRO_CloseAVI();
    throwIfEngineFailed(output);
    return 0;
}

}  // namespace cli
