// The distortions and filters of the procedural-image interpreter's built-in effects.
//
// Every operation works in place on an RGBA32 image (bytes R, G, B, A; rows `stride`
// bytes apart, stride >= width * 4) and takes a parameter record whose fields are the
// effect's values in their index order (value 0 first). Unset values keep the defaults
// given here. Each returns false, leaving the image unchanged, for a null image, a
// non-positive size, a stride below width * 4 or a failed allocation.
//
// The distortions (twirl, sine distortion, kaleidoscope, scratch, waves, divider,
// carpet, glass, voxel, zoom, rotate, tilt, seamless) move colour and alpha together:
// they sample premultiplied colour with the alpha, so colour under alpha 0 never
// bleeds into visible pixels and a pixel whose alpha ends at 0 ends transparent black.
#pragma once

#include <cstdint>

namespace dro::procedural_ops {

// What a distortion samples where its map points outside the image.
enum class SampleEdge : int32_t {
    clamp = 0,        // the nearest edge pixel
    wrap = 1,         // the image repeats, so tileable images stay tileable
    transparent = 2,  // transparent black
};
// Any other value counts as clamp.
SampleEdge sampleEdgeFromValue(int32_t value) noexcept;

// Effect 28, "Colorize": tones the image in one colour, keeping its lightness (black
// stays black, white stays white, mid grey becomes the colour). Values: 0 red, 1 green,
// 2 blue, 3 amount in percent (0 leaves the image as it was). Alpha is kept.
struct ColorizeParams {
    int32_t red = 255;
    int32_t green = 160;
    int32_t blue = 64;
    int32_t amount = 100;
};
bool colorize(uint8_t* image, int32_t width, int32_t height, int32_t stride, const ColorizeParams& p) noexcept;

// Effect 6, "Twirl": turns each cell about its centre by `angle` degrees at the centre,
// easing to no turn at the cell's inscribed circle. Values: 0 angle (0 = identity),
// 1 cells across, 2 cells down, 3 alternate (1: neighbouring cells turn opposite ways,
// so the cells join as a pattern), 4 edge.
struct TwirlParams {
    int32_t angle = 180;
    int32_t cellsAcross = 1;
    int32_t cellsDown = 1;
    int32_t alternate = 0;
    SampleEdge edge = SampleEdge::clamp;
};
bool twirl(uint8_t* image, int32_t width, int32_t height, int32_t stride, const TwirlParams& p) noexcept;

// Effect 13, "Sine Distortion": rows shift sideways along a sine of their height and
// columns shift up and down along a sine of their position. Values: 0 waves across the
// height (of the sideways shift), 1 waves across the width (of the vertical shift),
// 2 and 3 their phases in degrees, 4 amplitude in percent of the smaller side
// (0 = identity), 5 edge. Whole wave counts with edge wrap keep tileable images tileable.
struct SineDistortionParams {
    int32_t wavesDown = 4;
    int32_t wavesAcross = 4;
    int32_t phaseX = 0;
    int32_t phaseY = 0;
    int32_t amplitude = 1;
    SampleEdge edge = SampleEdge::wrap;
};
bool sineDistortion(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                    const SineDistortionParams& p) noexcept;

// Effect 49, "Kaleidoscope": the wedge of 180 / `segments` degrees that starts at
// `angle` is mirrored around the centre, so the result has `segments` mirror axes
// through the centre. Values: 0 segments (0 = identity), 1 angle in degrees (counter-
// clockwise from the right), 2 and 3 the centre in percent of width and height.
struct KaleidoscopeParams {
    int32_t segments = 6;
    int32_t angle = 0;
    int32_t centreX = 50;
    int32_t centreY = 50;
};
bool kaleidoscope(uint8_t* image, int32_t width, int32_t height, int32_t stride,
                  const KaleidoscopeParams& p) noexcept;

// Effect 56, "Scratch": straight strokes that drag the paint along as a blade would.
// Values: 0 count (0 = identity), 1 length in percent of the image diagonal, 2 width in
// pixels, 3 direction in degrees (90 = down the image), 4 random spread of the direction
// in degrees, 5 seed (the same seed gives the same scratches).
struct ScratchParams {
    int32_t count = 40;
    int32_t length = 30;
    int32_t width = 1;
    int32_t angle = 90;
    int32_t spread = 10;
    int32_t seed = 1;
};
bool scratch(uint8_t* image, int32_t width, int32_t height, int32_t stride, const ScratchParams& p) noexcept;

// Effect 16, "Waves": circular waves around a centre push pixels in and out along the
// radius. Values: 0 wavelength in pixels, 1 amplitude in pixels (0 = identity), 2 phase
// in degrees, 3 and 4 the centre in percent of width and height, 5 edge.
struct WavesParams {
    int32_t wavelength = 24;
    int32_t amplitude = 4;
    int32_t phase = 0;
    int32_t centreX = 50;
    int32_t centreY = 50;
    SampleEdge edge = SampleEdge::clamp;
};
bool waves(uint8_t* image, int32_t width, int32_t height, int32_t stride, const WavesParams& p) noexcept;

// Effect 17, "Divider": a grid of cells, each showing the whole image reduced, with
// transparent gaps between them. Values: 0 cells across, 1 cells down (1 x 1 without a
// gap = identity), 2 gap in pixels, 3 mirror (1: every second cell is mirrored so
// neighbouring cells meet edge to edge).
struct DividerParams {
    int32_t cellsAcross = 2;
    int32_t cellsDown = 2;
    int32_t gap = 0;
    int32_t mirror = 0;
};
bool divider(uint8_t* image, int32_t width, int32_t height, int32_t stride, const DividerParams& p) noexcept;

// Effect 18, "Carpet": a grid of motifs, each the centred `region` of the image folded
// into a shape mirror-symmetric across both of its axes, so neighbouring motifs join
// seamlessly like a woven carpet. Values: 0 cells across, 1 cells down, 2 region in
// percent of the image size.
struct CarpetParams {
    int32_t cellsAcross = 4;
    int32_t cellsDown = 4;
    int32_t region = 50;
};
bool carpet(uint8_t* image, int32_t width, int32_t height, int32_t stride, const CarpetParams& p) noexcept;

// Effect 39, "Glass": the image seen through square glass blocks, each bending the view
// towards its own middle; blocks join without seams. Values: 0 block size in pixels,
// 1 strength in percent (0 = identity), 2 edge.
struct GlassParams {
    int32_t blockSize = 24;
    int32_t strength = 50;
    SampleEdge edge = SampleEdge::clamp;
};
bool glass(uint8_t* image, int32_t width, int32_t height, int32_t stride, const GlassParams& p) noexcept;

// Effect 22, "Voxel": the image as raised blocks: each block takes the average colour
// and alpha of its pixels and is lit from the top left along its rims. Values: 0 block
// size in pixels, 1 depth of the rim shading in percent (size 1 and depth 0 = identity).
struct VoxelParams {
    int32_t blockSize = 8;
    int32_t depth = 50;
};
bool voxel(uint8_t* image, int32_t width, int32_t height, int32_t stride, const VoxelParams& p) noexcept;

// Effect 50, "Zoom": scales the image about a centre. Values: 0 scale in percent
// (100 = identity; 0 or below is refused), 1 and 2 the centre in percent of width and
// height, 3 edge.
struct ZoomParams {
    int32_t scale = 200;
    int32_t centreX = 50;
    int32_t centreY = 50;
    SampleEdge edge = SampleEdge::transparent;
};
bool zoom(uint8_t* image, int32_t width, int32_t height, int32_t stride, const ZoomParams& p) noexcept;

// The premultiplied form of effect 51, "Rotate": turns the image about its centre,
// counter-clockwise as seen on screen, and scales it; what falls outside becomes
// transparent. Values 0-2 are unused (callers set only 3 and 4): 3 angle in degrees
// (0 = identity), 4 scale in percent (0 or below is refused). Effect 51 itself runs
// rotateRgba32 (lib/rotate.h), whose rounding image brushes and brush shapes keep;
// this form is not wired to it.
struct RotateParams {
    int32_t angle = 0;
    int32_t scale = 100;
};
bool rotate(uint8_t* image, int32_t width, int32_t height, int32_t stride, const RotateParams& p) noexcept;

// Effect 54, "Tilt": the image as a plane tilted away from the viewer and seen in
// perspective. Values: 0 tilt about the horizontal axis in degrees (top away from the
// viewer), 1 tilt about the vertical axis in degrees (right side away), both 0 = identity;
// 2 viewing distance in percent of the larger side (smaller = stronger perspective);
// 3 edge (wrap: the plane is tiled with the image). Beyond the horizon is transparent.
struct TiltParams {
    int32_t angleX = 30;
    int32_t angleY = 0;
    int32_t distance = 150;
    SampleEdge edge = SampleEdge::wrap;
};
bool tilt(uint8_t* image, int32_t width, int32_t height, int32_t stride, const TiltParams& p) noexcept;

// Effect 52, "Seamless": blends a band along each border with the image moved by half
// its size, so the result tiles without a visible seam (the left column continues from
// the right one, the top row from the bottom one). Values: 0 band width in percent of
// the size, 1..50 (0 = identity).
struct SeamlessParams {
    int32_t overlap = 25;
};
bool seamless(uint8_t* image, int32_t width, int32_t height, int32_t stride, const SeamlessParams& p) noexcept;

// Effect 19, "Edge": the Sobel gradient of each colour channel; flat areas become black
// (white with invert). Values: 0 strength in percent (100: a full black-to-white step
// gives white), 1 invert. Alpha is kept.
struct EdgeParams {
    int32_t strength = 100;
    int32_t invert = 0;
};
bool edge(uint8_t* image, int32_t width, int32_t height, int32_t stride, const EdgeParams& p) noexcept;

// Effect 27, "Bump": lights the image's colour as a surface whose height is its own
// lightness; flat areas keep their colour. Values: 0 light direction in degrees
// (counter-clockwise from the right), 1 light elevation in degrees (1..90), 2 depth in
// percent (0 = identity). Alpha is kept.
struct BumpParams {
    int32_t azimuth = 135;
    int32_t elevation = 45;
    int32_t depth = 100;
};
bool bump(uint8_t* image, int32_t width, int32_t height, int32_t stride, const BumpParams& p) noexcept;

// Effect 23, "Emboss2" (also the step of "Color Pencil 2", values 180 and 90, and of
// "Emboss3", value 45): the image's lightness as a lit grey relief; a flat area takes the
// grey of its light elevation (white at 90). Values: 0 light direction in degrees
// (counter-clockwise from the right), 1 light elevation in degrees (0..90), 2 depth in
// percent. Alpha is kept.
struct EmbossParams {
    int32_t azimuth = 135;
    int32_t elevation = 45;
    int32_t depth = 100;
};
bool emboss(uint8_t* image, int32_t width, int32_t height, int32_t stride, const EmbossParams& p) noexcept;

// Effects 25 "Maximum" and 26 "Minimum": each channel (alpha too) becomes the largest or
// smallest value of the (2 radius + 1)-square window around the pixel; windows at the
// borders repeat the edge pixels. Value 0: radius in pixels (0 = identity, at most 64).
struct RankParams {
    int32_t radius = 1;
};
bool maximum(uint8_t* image, int32_t width, int32_t height, int32_t stride, const RankParams& p) noexcept;
bool minimum(uint8_t* image, int32_t width, int32_t height, int32_t stride, const RankParams& p) noexcept;

}  // namespace dro::procedural_ops
