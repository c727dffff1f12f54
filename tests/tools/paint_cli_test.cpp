// drovane paint and drovane render, run as a user runs them: stroke-file faults, dab
// spacing, where paint lands, smudge, shapes and grain, and what the display shows at
// each zoom.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/cli_run.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

bool isWhite(const uint8_t* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255; }
bool isDark(const uint8_t* p) { return p[0] < 64 && p[1] < 64 && p[2] < 64; }

// Distance from (px, py) to the segment (ax, ay)-(bx, by).
double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

class PaintCliTest : public EngineTest {
protected:
    std::string path(const std::string& name) const { return scratch_.path(name); }

    std::string write(const std::string& name, const std::string& text) const {
        const std::string file = path(name);
        std::FILE* f = std::fopen(file.c_str(), "wb");
        std::fputs(text.c_str(), f);
        std::fclose(f);
        return file;
    }

    // A picture file from a function of the pixel.
    template <typename Shade>
    std::string writePicture(const std::string& name, int w, int h, Shade shade) const {
        std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) shade(x, y, &rgba[(static_cast<size_t>(y) * w + x) * 4]);
        const std::string file = path(name);
        EXPECT_EQ(DRO_WriteToFileRGBA32(rgba.data(), w, h, file.c_str(), ".png", 96), 1);
        return file;
    }

    // Paints strokes onto a new canvas and reads the result back.
    Picture paint(const std::string& strokes, const std::string& options, CliRun* run = nullptr) {
        const std::string out = path("painted.png");
        fs::remove(out);
        const CliRun r = runDrovane("paint " + write("s.strokes", strokes) + " -o " + out + " " + options);
        EXPECT_EQ(r.status, 0) << r.output;
        if (run) *run = r;
        return readPicture(out);
    }

    Picture render(const std::string& input, const std::string& options) {
        const std::string out = path("shown.png");
        fs::remove(out);
        const CliRun r = runDrovane("render " + input + " -o " + out + " " + options);
        EXPECT_EQ(r.status, 0) << r.output;
        return readPicture(out);
    }

    ScratchDir scratch_{"drovane_paint_cli"};
};

TEST_F(PaintCliTest, StrokeFileFaultsNameTheirLineAndStopBeforePainting) {
    struct Case {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"size 12\ncolour 1 2 3\n", 2, "unknown command"},
        {"size 0\n", 1, "1..256"},
        {"size 1.5\n", 1, "whole number"},
        {"\n\n# a comment\nspacing abc\n", 4, "number"},
        {"spacing nan\n", 1, "number"},
        {"color 1 2\n", 1, "3 values"},
        {"stroke\n  dab 1 2\n", 1, "not closed"},
        {"dab 1 2\n", 1, "outside a stroke"},
        {"stroke\nend\nend\n", 3, "outside a stroke"},
        {"stroke\n  size 3\nend\n", 2, "inside a stroke"},
        {"stroke\n  stroke\nend\n", 2, "inside a stroke"},
        {"stroke 50 50 Nope\nend\n", 1, "blend mode"},
        {"stroke 50 Normal\nend\n", 1, "OPACITY SECOND MODE"},
        {"layer 272\n", 1, "1..271"},
        {"tool edgeSoftness=300\n", 1, "0..255"},
        {"tool wobble=1\n", 1, "unknown tool setting"},
        {"tool edgeSoftness=1 edgeSoftness=2\n", 1, "twice"},
        {"tool soft\n", 1, "NAME=VALUE"},
        {"mix 31 100\n", 1, "32..425"},
        {"mix 100 100\n", 1, "no formula"},
        {"stroke\n  line 1 2 3\nend\n", 2, "two points"},
        {"stroke\n  pline 1 2 0.5 3 4 0\nend\n", 2, "above 0"},
        {"stroke\n  dab 1 200001\nend\n", 2, "-100000..100000"},
        {"shape missing.png\n", 1, "cannot read the shape image"},
        {"smudge 0 50\nstroke\nend\n", 2, "blendStrength"},
        {"grain g.png\nstroke\nend\n", 2, "grainCellSize"},
    };
    writePicture("g.png", 8, 8, [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = p[3] = 255; });
    for (const Case& c : cases) {
        const std::string file = write("bad.strokes", c.text);
        const CliRun run = runDrovane("paint " + file + " -o " + path("never.png"));
        EXPECT_EQ(run.status, 2) << c.text << run.output;
        EXPECT_EQ(lineCount(run.output), 1) << c.text << run.output;
        const std::string where = file + ":" + std::to_string(c.line) + ": ";
        EXPECT_EQ(run.output.rfind(where, 0), 0u) << c.text << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.text << run.output;
        EXPECT_FALSE(fs::exists(path("never.png"))) << c.text;
    }

    // Bytes that are not text come back as '?', so the message stays one clean line.
    const std::string file = write("binary.strokes", "\x1b[2J\xff\xfe\x01 1 2\n");
    const CliRun run = runDrovane("paint " + file + " -o " + path("never.png"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, file + ":1: unknown command '?[2J??\?'\n");

    // A folder given as the stroke file is no empty stroke file.
    fs::create_directories(path("folder"));
    for (const char* command : {"paint ", "render "}) {
        const CliRun folder = runDrovane(command + path("folder") + " -o " + path("never.png"));
        EXPECT_EQ(folder.status, 1) << command << folder.output;
        EXPECT_NE(folder.output.find("is a folder"), std::string::npos) << folder.output;
        EXPECT_FALSE(fs::exists(path("never.png"))) << command;
    }
}

TEST_F(PaintCliTest, BadPaintAndRenderArgumentsGiveOneLineAndStatusTwo) {
    const std::string ok = write("ok.strokes", "size 4\n");
    const std::string picture = writePicture("p.png", 8, 8, [](int, int, uint8_t* p) { p[3] = 255; });
    const std::vector<std::string> runs{"paint", "paint " + ok, "paint " + ok + " a b -o x.png", "paint " + ok + " -o noextension",
          "paint " + ok + " -o x.png --size 10", "paint " + ok + " -o x.png --size 0x5",
          "paint " + ok + " -o x.png --background 1,2", "paint " + ok + " " + picture + " -o x.png --size 8x8",
          "render " + picture, "render " + picture + " -o x.png --zoom 1.5", "render " + picture + " -o x.png --zoom 0",
          "render " + picture + " -o x.png --zoom 64", "render " + picture + " -o x.png --offset 8,0",
          "render " + picture + " -o x.png --view 0x4", "render " + picture + " -o x.png --wobble"};
    for (const std::string& arguments : runs) {
        const CliRun run = runDrovane(arguments);
        EXPECT_EQ(run.status, 2) << arguments << ": " << run.output;
        EXPECT_EQ(lineCount(run.output), 1) << arguments << ": " << run.output;
    }
    EXPECT_EQ(runDrovane("paint " + path("absent.strokes") + " -o " + path("x.png")).status, 1);
    EXPECT_EQ(runDrovane("render " + path("absent.png") + " -o " + path("x.png")).status, 1);
}

// A one-pixel hard brush marks exactly where each dab lands.
TEST_F(PaintCliTest, PolylineDabsAreEvenlySpacedAcrossCorners) {
    // Segments of 7 and 21 pixels with a 5-pixel step: the 3 pixels left at the corner
    // carry over, so dabs fall every 5 pixels along the whole path, not restarting at 9.
    CliRun run;
    Picture p = paint("size 1\nspacing 5\nstroke\n  line 2 8 9 8 30 8\nend\n", "--size 40x16", &run);
    ASSERT_EQ(p.width, 40);
    std::vector<int> dabs;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (isWhite(p.at(x, y))) continue;
            EXPECT_EQ(y, 8) << x;
            EXPECT_TRUE(isDark(p.at(x, y))) << x;
            dabs.push_back(x);
        }
    EXPECT_EQ(dabs, (std::vector<int>{2, 7, 12, 17, 22, 27}));
    EXPECT_NE(run.output.find("1 strokes, 6 dabs"), std::string::npos) << run.output;

    // A zigzag of four 3-4-5 segments (length 20) at step 3: 1 + floor(20 / 3) = 7 dabs,
    // all at distinct pixels 3 apart along the path.
    p = paint("size 1\nspacing 3\nstroke\n  line 0 0 3 4 6 0 9 4 12 0\nend\n", "--size 16x8", &run);
    int marked = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) marked += !isWhite(p.at(x, y));
    EXPECT_EQ(marked, 7);
    EXPECT_NE(run.output.find("7 dabs"), std::string::npos) << run.output;

    // Every line of a stroke starts with its own first dab; a lone dab is one dab.
    paint("size 2\nstroke\n  line 0 0 10 0\n  line 0 5 10 5\n  dab 3 3\nend\n", "--size 16x8", &run);
    EXPECT_NE(run.output.find("23 dabs"), std::string::npos) << run.output;  // 2 x (1 + 10 / 1) + 1
}

TEST_F(PaintCliTest, PaintChangesExactlyThePixelsNearTheStroke) {
    // Path length 50 + 20, a whole number of 2.5-pixel steps, so the last dab sits on
    // the end point.
    const std::string strokes = "size 10\ncolor 255 0 0\nstroke\n  line 20 30 70 30 82 46\nend\n";
    auto nearness = [](int x, int y) {
        return std::min(segmentDistance(x, y, 20, 30, 70, 30), segmentDistance(x, y, 70, 30, 82, 46));
    };
    auto check = [&](const Picture& p, auto untouched) {
        ASSERT_EQ(p.width, 96);
        ASSERT_EQ(p.height, 64);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const double d = nearness(x, y);
                const uint8_t* px = p.at(x, y);
                if (d > 6.5) {
                    ASSERT_TRUE(untouched(x, y, px)) << x << "," << y;
                } else if (d < 3.0) {
                    ASSERT_GE(px[0], 250) << x << "," << y;
                    ASSERT_LE(px[1], 5) << x << "," << y;
                    ASSERT_LE(px[2], 5) << x << "," << y;
                    ASSERT_EQ(px[3], 255);
                }
            }
    };
    check(paint(strokes, "--size 96x64"), [](int, int, const uint8_t* px) { return isWhite(px); });

    // The background colour fills the new canvas; onto a picture, the picture stays
    // exactly as it was away from the stroke.
    check(paint(strokes, "--size 96x64 --background 10,20,30"),
          [](int, int, const uint8_t* px) { return px[0] == 10 && px[1] == 20 && px[2] == 30 && px[3] == 255; });
    auto shade = [](int x, int y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 2);
        p[1] = static_cast<uint8_t>(y * 3);
        p[2] = static_cast<uint8_t>(x + y);
        p[3] = 255;
    };
    const std::string picture = writePicture("in.png", 96, 64, shade);
    const std::string out = path("onto.png");
    const CliRun run = runDrovane("paint " + write("s.strokes", strokes) + " " + picture + " -o " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    check(readPicture(out), [&](int x, int y, const uint8_t* px) {
        uint8_t want[4];
        shade(x, y, want);
        return std::equal(want, want + 4, px);
    });
}

TEST_F(PaintCliTest, StrokeModesLayersAndOpacityCombineAsTheirFormulasSay) {
    // Grey 128 multiplied over (200, 100, 50) gives about half of each channel.
    Picture p = paint("size 20\ncolor 128 128 128\nstroke 100 100 Multiply\n  dab 16 16\nend\n",
                      "--size 32x32 --background 200,100,50");
    EXPECT_NEAR(p.at(16, 16)[0], 200 * 128 / 255, 2);
    EXPECT_NEAR(p.at(16, 16)[1], 100 * 128 / 255, 2);
    EXPECT_NEAR(p.at(16, 16)[2], 50 * 128 / 255, 2);
    EXPECT_EQ(p.at(0, 0)[0], 200);

    // Black on a layer at 50 % over white shows mid grey; the background is untouched.
    p = paint("layer 2 50 Normal\nsize 20\nstroke\n  dab 16 16\nend\n", "--size 32x32");
    EXPECT_NEAR(p.at(16, 16)[0], 128, 2);
    EXPECT_TRUE(isWhite(p.at(0, 0)));

    // A stroke at 50 % opacity lays half of black over white.
    p = paint("size 20\nstroke 50 100 Normal\n  line 6 16 26 16\nend\n", "--size 32x32");
    EXPECT_NEAR(p.at(16, 16)[0], 128, 2);
}

TEST_F(PaintCliTest, PressureScalesTheDrawnBrush) {
    // From pressure 0.2 (a 4-pixel brush) to 1 (20 pixels): the painted column is
    // about 4 pixels tall at the start and about 20 at the end.
    const Picture p = paint("size 20\nspacing 0.1\nstroke\n  pline 12 32 0.2 100 32 1\nend\n", "--size 128x64");
    auto heightAt = [&](int x) {
        int painted = 0;
        for (int y = 0; y < p.height; ++y) painted += !isWhite(p.at(x, y));
        return painted;
    };
    EXPECT_NEAR(heightAt(12), 4, 1);
    EXPECT_NEAR(heightAt(100), 20, 1);
    EXPECT_LT(heightAt(40), heightAt(70));
}

TEST_F(PaintCliTest, SmudgeDragsTheColourItStartsOnAcrossTheLayer) {
    // A red block on the left; a smudge from inside it across the white to the right.
    const std::string smudge =
        "size 30\ncolor 255 0 0\nstroke\n  line 10 10 10 54 25 54 25 10\nend\n"
        "tool blendStrength=200 edgeSoftness=100\nsmudge 0 32\nsize 16\nstroke\n  line 16 32 90 32\nend\n";
    const Picture p = paint(smudge, "--size 128x64");
    // Beyond the red block along the smudge path the paint is reddish ...
    const uint8_t* dragged = p.at(50, 32);
    EXPECT_GT(dragged[0], 200);
    EXPECT_LT(dragged[1], 200);
    EXPECT_LT(dragged[2], 200);
    // ... fading as the brush takes in more white ...
    EXPECT_GT(p.at(85, 32)[1], dragged[1]);
    // ... and nothing changes away from the path.
    EXPECT_TRUE(isWhite(p.at(60, 8)));
    EXPECT_TRUE(isWhite(p.at(60, 56)));

    // Without pick-up (mix 0) the brush keeps the red it started with.
    const Picture kept = paint(
        "size 30\ncolor 255 0 0\nstroke\n  dab 16 32\nend\ntool blendStrength=200\nsmudge 0 0\nsize 16\n"
        "stroke\n  line 16 32 90 32\nend\n",
        "--size 128x64");
    EXPECT_GT(kept.at(85, 32)[0], 240);
    EXPECT_LT(kept.at(85, 32)[1], 16);
}

TEST_F(PaintCliTest, ShapeAndGrainImagesSteerWhereTheBrushPaints) {
    // A hollow square: white rim, black inside. The dab paints the rim only.
    writePicture("ring.png", 32, 32, [](int x, int y, uint8_t* p) {
        const bool rim = x < 6 || y < 6 || x >= 26 || y >= 26;
        p[0] = p[1] = p[2] = rim ? 255 : 0;
        p[3] = 255;
    });
    Picture p = paint("shape ring.png\nsize 32\nstroke\n  dab 32 32\nend\n", "--size 64x64");
    EXPECT_TRUE(isDark(p.at(18, 32)));  // on the rim
    EXPECT_TRUE(isWhite(p.at(32, 32)));  // hollow centre
    EXPECT_TRUE(isWhite(p.at(2, 2)));  // outside the dab
    // "shape none" goes back to the round brush, which fills the centre.
    p = paint("shape ring.png\nshape none\nsize 32\nstroke\n  dab 32 32\nend\n", "--size 64x64");
    EXPECT_TRUE(isDark(p.at(32, 32)));

    // Grain decides pixel by pixel against the density: a black grain (value 0) lets
    // every pixel through at density 1, a white one (255) none below density 256.
    writePicture("black.png", 300, 300, [](int, int, uint8_t* q) { q[0] = q[1] = q[2] = 0, q[3] = 255; });
    writePicture("white.png", 300, 300, [](int, int, uint8_t* q) { q[0] = q[1] = q[2] = q[3] = 255; });
    const std::string grainy = "tool grainCellSize=1\nsize 16\nstroke\n  dab 16 16\nend\n";
    p = paint("grain black.png\ndensity 1\n" + grainy, "--size 32x32");
    EXPECT_TRUE(isDark(p.at(16, 16)));
    p = paint("grain white.png\ndensity 255\n" + grainy, "--size 32x32");
    for (size_t i = 0; i < p.rgba.size(); ++i) ASSERT_EQ(p.rgba[i], 255) << i;
    p = paint("grain white.png\ndensity 256\n" + grainy, "--size 32x32");
    EXPECT_TRUE(isDark(p.at(16, 16)));
}

TEST_F(PaintCliTest, SameStrokeFileGivesTheSamePicture) {
    const std::string strokes =
        "seed 5\ntool grainCellSize=2 grainCellThreshold=150 grainFillThreshold=180 grainInterval=2 colorVary=40\n"
        "density 200\nsize 40\ncolor 30 90 160\nstroke\n  line 10 10 110 60\nend\n";
    const Picture a = paint(strokes, "--size 128x72");
    const Picture b = paint(strokes, "--size 128x72");
    EXPECT_EQ(a.rgba, b.rgba);
    // A different seed gives different grain.
    const Picture c = paint("seed 6\n" + strokes.substr(7), "--size 128x72");
    EXPECT_NE(a.rgba, c.rgba);
}

TEST_F(PaintCliTest, TheExampleStrokeFilePaintsItsGarden) {
    const std::string out = path("garden.png");
    const CliRun run =
        runDrovane("paint " + std::string(DROVANE_EXAMPLES_DIR) + "/strokes/garden.strokes -o " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("14 strokes"), std::string::npos) << run.output;
    const Picture p = readPicture(out);
    ASSERT_EQ(p.width, 640);
    ASSERT_EQ(p.height, 400);
    for (size_t i = 3; i < p.rgba.size(); i += 4) ASSERT_EQ(p.rgba[i], 255);
    EXPECT_GT(p.at(500, 150)[0] + p.at(500, 150)[1], 450);  // the sun
    EXPECT_GT(p.at(60, 330)[0], p.at(60, 330)[1] + 60);   // a pink star flower
    EXPECT_GT(p.at(320, 10)[2], p.at(320, 10)[1] + 40);   // blue sky at the top
}

TEST_F(PaintCliTest, RenderAtZoomOneShowsTheOpaquePage) {
    const std::string strokes = write("r.strokes",
                                      "size 12\ncolor 200 40 90\nstroke\n  line 5 5 60 40\nend\n"
                                      "layer 2 70 Normal\ncolor 20 160 60\nstroke 80 100 Normal\n  line 5 40 60 5\nend\n");
    const std::string page = path("page.png");
    ASSERT_EQ(runDrovane("paint " + strokes + " -o " + page + " --size 67x45").status, 0);
    const Picture saved = readPicture(page);
    // The saved page shown as a picture: one opaque Normal layer, so the display shows
    // its colours exactly.
    Picture shown = render(page, "");
    ASSERT_EQ(shown.width, 67);
    ASSERT_EQ(shown.height, 45);
    EXPECT_EQ(shown.rgba, saved.rgba);
    // The stroke file shown directly: the display composites the two layers its own way
    // (in floating point), the page through the merge; both agree to one step.
    shown = render(strokes, "--size 67x45");
    ASSERT_EQ(shown.rgba.size(), saved.rgba.size());
    for (size_t i = 0; i < shown.rgba.size(); ++i) ASSERT_NEAR(shown.rgba[i], saved.rgba[i], 1) << "byte " << i;
    EXPECT_NE(shown.rgba, render(strokes, "--size 67x45 --background 0,0,0").rgba);
}

TEST_F(PaintCliTest, RenderZoomsByRepeatingOrSkippingCanvasPixels) {
    const std::string picture = writePicture("z.png", 67, 45, [](int x, int y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 3);
        p[1] = static_cast<uint8_t>(y * 5);
        p[2] = static_cast<uint8_t>((x * y) & 255);
        p[3] = 255;
    });
    const Picture one = render(picture, "--zoom 1");
    ASSERT_EQ(one.width, 67);
    ASSERT_EQ(one.height, 45);

    const Picture two = render(picture, "--zoom 2");
    ASSERT_EQ(two.width, 134);
    ASSERT_EQ(two.height, 90);
    for (int y = 0; y < two.height; ++y)
        for (int x = 0; x < two.width; ++x)
            ASSERT_TRUE(std::equal(two.at(x, y), two.at(x, y) + 4, one.at(x / 2, y / 2))) << x << "," << y;

    // Half size: every second canvas pixel; 67 columns give trunc(67 / 2) = 33.
    const Picture half = render(picture, "--zoom 0.5");
    ASSERT_EQ(half.width, 33);
    ASSERT_EQ(half.height, 22);
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            ASSERT_TRUE(std::equal(half.at(x, y), half.at(x, y) + 4, one.at(2 * x, 2 * y))) << x << "," << y;

    // An offset moves the canvas point at the top left; the view crops.
    const Picture part = render(picture, "--offset 10,5 --view 20x12 --zoom 3");
    ASSERT_EQ(part.width, 20);
    ASSERT_EQ(part.height, 12);
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x)
            ASSERT_TRUE(std::equal(part.at(x, y), part.at(x, y) + 4, one.at(10 + x / 3, 5 + y / 3))) << x << "," << y;
}

TEST_F(PaintCliTest, RenderShowsTransparencyOnlyOverTheCheckerboard) {
    // A fully transparent picture with a colour behind its alpha.
    const std::string picture = writePicture("t.png", 70, 40, [](int x, int, uint8_t* p) {
        p[0] = 90;
        p[1] = 30;
        p[2] = 10;
        p[3] = x < 35 ? 0 : 255;
    });
    const Picture board = render(picture, "--checkerboard");
    ASSERT_EQ(board.width, 70);
    // Transparent part: white and 0x9F squares of 32 canvas pixels.
    EXPECT_TRUE(isWhite(board.at(3, 3)));
    EXPECT_EQ(board.at(33, 3)[0], 0x9F);
    EXPECT_EQ(board.at(3, 33)[0], 0x9F);
    EXPECT_EQ(board.at(3, 33)[2], 0x9F);
    // The opaque part shows its colour.
    EXPECT_EQ(board.at(50, 20)[0], 90);
    EXPECT_EQ(board.at(50, 20)[1], 30);
    // Without the flag the picture is the background, which the display draws opaque:
    // no squares, whatever colour the transparent pixels hold.
    const Picture plain = render(picture, "");
    EXPECT_TRUE(std::equal(plain.at(3, 3), plain.at(3, 3) + 4, plain.at(33, 3)));
    EXPECT_TRUE(std::equal(plain.at(3, 3), plain.at(3, 3) + 4, plain.at(3, 33)));
    EXPECT_FALSE(isWhite(plain.at(3, 3)));
    EXPECT_EQ(plain.at(50, 20)[0], 90);

    // A stroke file's background is hidden the same way; its strokes still show.
    const std::string strokes =
        write("c.strokes", "layer 2\ncolor 0 0 255\nsize 8\nstroke\n  line 4 36 60 36\nend\n");
    const Picture painted = render(strokes, "--size 64x40 --checkerboard --background 0,255,0");
    EXPECT_TRUE(isWhite(painted.at(3, 3)));
    EXPECT_EQ(painted.at(40, 3)[1], 0x9F);
    EXPECT_GE(painted.at(20, 36)[2], 254);  // a dab leaves alpha 65534 over transparency
    EXPECT_LE(painted.at(20, 36)[1], 1);
}

}  // namespace
