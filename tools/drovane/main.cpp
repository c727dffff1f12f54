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
    Command{"convert", "IN... (-o OUT | --format EXT [--outdir DIR]) [--dpi N] [--overwrite]",
            "Converts images. With one input, -o names the output; with --format, every input is\n"
            "written beside itself (or into --outdir) with the new extension. The output format\n"
            "follows the extension: .png .jpg .bmp .tif .tga .gif .pcx .psd .emf .webp.\n"
            "--dpi sets the stored resolution (default: the input's). Progress goes to stderr.\n"
            "An output that is one of the inputs is refused unless --overwrite is given.",
            cli::runConvert},
    Command{"filter",
            "NAME [--slider1..6 N] [--flag1..6] [--style1 N] [--style2 N] [--color R,G,B] IN OUT",
            "Runs an image effect by its exact name on IN and writes OUT. Sliders take 0..1000,\n"
            "styles are choices from 0, flags switch options on; settings left out take the\n"
            "effect's defaults (drovane effects --markdown shows them). --path names a script.\n"
            "A name the engine knows but does not run yet fails with exit status 1.",
            cli::runFilter},
    Command{"effects", "[--all] [--markdown]",
            "Lists the effects the engine runs: name, family, what it does. --all adds the names\n"
            "not built yet; --markdown prints the effects page (docs/effects.md) with every control.",
            cli::runEffects},
    Command{"lua",
            "SCRIPT [--slider1..6 N] [--flag1..6] [--style1 N] [--style2 N] [--variant N] [--allow-system] "
            "[--timeout SECONDS] IN OUT",
            "Runs a Lua filter script on IN and writes OUT. The script sees the picture through\n"
            "get_rgb/set_rgb and friends, and the settings as sliderVal1..6 (given 0..1000, seen\n"
            "as 0..1), flagVal1..6 and styleVal1..2; see examples/lua/. The script runs without\n"
            "io, os (but the clock) and module loading unless --allow-system is given. Ctrl-C or\n"
            "the time limit (default 60 s, 0 for none) stops it and nothing is written. A script\n"
            "error fails with its message; message_box texts are printed and the run goes on.",
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
    Command{"fill", "IN OUT --at X,Y [--color R,G,B] [--tolerance PCT] [--mode MODE]",
            "The paint bucket: fills the region of IN around X,Y with --color (default black) and\n"
            "writes OUT. --tolerance 0..100 widens the colours taken in; --mode is one of\n"
            "\"Paint Connected\" (default), \"Paint Non-connected\", \"Erase Connected\",\n"
            "\"Erase Non-connected\", \"Paint Alpha Connected\", \"Paint Alpha Non-Connected\".",
            cli::runFill},
    Command{"wand", "IN OUT --at X,Y [--tolerance PCT] [--strength PCT] [--mode MODE]",
            "The magic wand: selects from X,Y of IN and writes the selection as a grey picture,\n"
            "white where selected. --mode: \"Connected\" (default), \"Non-connected\", \"Color Range\",\n"
            "\"Luminance Range\", \"Hue Range\", \"HSL Range\", \"Alpha Connected\", \"Alpha Non-connected\".",
            cli::runWand},
    Command{"gradient", "IN OUT --from X,Y --to X,Y --colors R,G,B[/R,G,B...] [--radial]",
            "Draws a gradient of up to four colours over IN along the line (or, with --radial,\n"
            "around --from out to --to) and writes OUT. One colour fades in from transparent.",
            cli::runGradient},
    Command{"resize", "IN OUT --size WxH [--filter NAME]",
            "Resamples the picture to the new size. --filter names the resampling filter\n"
            "(default Lanczos3): Area Average, Nearest Neighbor, Bilinear, Bicubic, Box, Triangle,\n"
            "Hamming, Gaussian, Bell, B-Spline, Cubic 1, Cubic 2, Lanczos3, Mitchell, Sinc,\n"
            "Hermite, Hanning, Catrom.",
            cli::runResize},
    Command{"crop", "IN OUT --rect LEFT,TOP,RIGHT,BOTTOM",
            "Keeps the rectangle (right and bottom exclusive, clipped to the picture).", cli::runCrop},
    Command{"rotate", "IN OUT (--left | --right)",
            "Turns the picture a quarter turn counter-clockwise (--left) or clockwise (--right).", cli::runRotate},
    Command{"flip", "IN OUT (--horizontal | --vertical)",
            "Mirrors the picture left to right (--horizontal) or top to bottom (--vertical).", cli::runFlip},
    Command{"text", "IN OUT --text TEXT [--at X,Y] [--font FACE] [--size PX] [--color R,G,B] [--smooth]",
            "Draws TEXT with its top-left at --at (default 0,0) in the font FACE (a fontconfig\n"
            "name, default Sans) at --size pixels (default 32) and --color (default black).\n"
            "--smooth draws on premultiplied colour, for text over transparent pixels.",
            cli::runText},
    Command{"anim", "FRAMES... -o OUT.avi|OUT.gif [--fps N] [--mjpeg [--quality Q]]",
            "Builds an animation from the frames in order, all of the first frame's size, at N\n"
            "frames per second (10). AVI frames are uncompressed, or MJPEG with --mjpeg (quality\n"
            "1..100, 90); each GIF frame gets its own dithered 256-colour palette and the GIF loops.",
            cli::runAnim},
    Command{"pdf", "IMAGES... -o OUT.pdf [--slideshow]",
            "Writes a PDF with one page per image, each inside a grey border; --slideshow makes\n"
            "the pages advance by themselves with a transition. The images are left as they are.",
            cli::runPdf},
    Command{"script", "SCRIPT -o OUT [--dpi N]",
            "Renders the procedural image script SCRIPT (a size, a generator and a chain of\n"
            "numbered effects; see docs/procedural-scripts.md and examples/scripts/) into OUT,\n"
            "in the format of its extension. A broken script is reported as SCRIPT:LINE: what.",
            cli::runScript},
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
