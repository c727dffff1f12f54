// drovane: the engine from the command line.
#include <array>
#include <cstdio>
#include <exception>
#include <string>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"

namespace {

using cli::Command;

constexpr std::array kCommands{
    Command{"info", "FILE...",
            "Prints each image's size, resolution and whether it has transparency.", cli::runInfo},
    Command{"convert", "IN... (-o OUT | --format EXT [--outdir DIR]) [--dpi N]",
            "Converts images. With one input, -o names the output; with --format, every input is\n"
            "written beside itself (or into --outdir) with the new extension. The output format\n"
            "follows the extension: .png .jpg .bmp .tif .tga .gif .pcx .psd .emf .wmf .webp.\n"
            "--dpi sets the stored resolution (default: the input's). Progress goes to stderr.",
            cli::runConvert},
    Command{"filter",
            "NAME [--slider1..6 N] [--flag1..6] [--style1 N] [--style2 N] [--color R,G,B] IN OUT",
            "Runs an image effect by its exact name on IN and writes OUT. Sliders take 0..1000\n"
            "(500 is the middle), styles are choices from 0, flags switch options on.\n"
            "`drovane filter --list` prints the effect names.",
            cli::runFilter},
    Command{"lua", "SCRIPT [--slider1..6 N] [--flag1..6] [--style1 N] [--style2 N] [--variant N] IN OUT",
            "Runs a Lua filter script on IN and writes OUT. The script sees the picture through\n"
            "get_rgb/set_rgb and friends, and the settings as sliderVal1..6 (given 0..1000, seen\n"
            "as 0..1), flagVal1..6 and styleVal1..2; see examples/lua/. A script error fails with\n"
            "its message; Escape cannot be pressed here, so a script must end by itself.",
            cli::runLua},
    Command{"paint", "STROKES [IN] -o OUT [--size WxH] [--background R,G,B]",
            "Replays the stroke file STROKES (brush settings, layers, strokes; see docs/strokes.md)\n"
            "onto the picture IN, or onto a new canvas of --size (default 640x400) filled with\n"
            "--background (default 255,255,255), and writes the flattened page to OUT. A fault in\n"
            "the stroke file is reported as FILE:LINE: message before anything is painted.",
            cli::runPaint},
    Command{"render", "IN -o OUT [--zoom F] [--offset X,Y] [--view WxH] [--checkerboard] [--size WxH]",
            "Writes what the display render shows of IN (a picture, or a .strokes file painted\n"
            "onto a new canvas as by paint): --zoom 2, 3, ... repeats each canvas pixel, --zoom\n"
            "0.5, 0.25, ... samples every 2nd, 4th pixel; --offset is the canvas point at the\n"
            "top left and --view limits the output size. With --checkerboard the background\n"
            "layer is hidden, so transparent parts show the display's checkerboard.",
            cli::runRender},
    Command{"demo", "OUT",
            "Paints the built-in demo picture (layers, blend modes, a filter, brush strokes with\n"
            "a hard brush, a grainy soft brush and a smudge) into OUT.",
            cli::runDemo},
    Command{"anim", "FRAMES... -o OUT.avi|OUT.gif [--fps N] [--mjpeg [--quality Q]]",
            "Builds an animation from the frames in order, all of the first frame's size, at N\n"
            "frames per second (10). AVI frames are uncompressed, or MJPEG with --mjpeg (quality\n"
            "1..100, 90); each GIF frame gets its own dithered 256-colour palette and the GIF loops.",
            cli::runAnim},
    Command{"pdf", "IMAGES... -o OUT.pdf [--slideshow]",
            "Writes a PDF with one page per image, each inside a grey border; --slideshow makes\n"
            "the pages advance by themselves with a transition. The images are left as they are.",
            cli::runPdf},
};

void printHelp(std::FILE* out) {
    std::fprintf(out, "drovane - the drovane painting engine from the command line\n\nUsage:\n");
    for (const auto& c : kCommands) std::fprintf(out, "  drovane %s %s\n", c.name, c.synopsis);
    std::fprintf(out, "  drovane --help\n\nCommands:\n");
    for (const auto& c : kCommands) {
        std::fprintf(out, "  %s\n", c.name);
        std::string help = c.help;
        size_t start = 0;
        while (start <= help.size()) {
            const size_t end = help.find('\n', start);
            std::fprintf(out, "      %s\n", help.substr(start, end - start).c_str());
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    std::fprintf(out, "\nExit status: 0 success, 1 the work failed, 2 bad arguments.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "drovane: no command given (try drovane --help)\n");
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp(stdout);
        return 0;
    }
    for (const auto& command : kCommands) {
        if (name != command.name) continue;
        try {
            DRO_IPLInit(0);
            const int status = command.run(cli::Words(argv + 2, argv + argc));
            DRO_IPLExit();
            return status;
        } catch (const cli::FileLineError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 2;
        } catch (const cli::UsageError& e) {
            std::fprintf(stderr, "drovane %s: %s (usage: drovane %s %s)\n", command.name, e.what(), command.name,
                         command.synopsis);
            return 2;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "drovane %s: %s\n", command.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "drovane: unknown command '%s' (try drovane --help)\n", name.c_str());
    return 2;
}
