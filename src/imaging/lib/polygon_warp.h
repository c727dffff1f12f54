// Mapping one quadrilateral of an image onto another (the imaging library's polygon
// warp): a projective map, so straight lines stay straight.
#pragma once

#include <array>
#include <cstdint>

namespace dro::lib {

struct QuadPoint {
    double x = 0, y = 0;
};
// Corners in order around the quad: top-left, top-right, bottom-right, bottom-left.
using Quad = std::array<QuadPoint, 4>;

// The projective map that takes the unit square's corners (0,0), (1,0), (1,1), (0,1)
// to the quad's corners in order, as a 3 x 3 matrix by rows.
struct Projective {
    std::array<double, 9> m{};
    QuadPoint apply(double u, double v) const noexcept;
};
Projective unitSquareTo(const Quad& quad) noexcept;
// The inverse map (the adjugate: the same map up to scale); false when singular.
bool inverse(const Projective& p, Projective& out) noexcept;

}  // namespace dro::lib

// Draws the source quad of an RGBA32 image onto the destination quad of another:
// every destination pixel whose centre lies inside the destination quad takes the
// source at the projectively corresponding point; pixels within one pixel outside its
// outline take the nearest edge's value faded by their distance (a smooth outline);
// the others stay as they were. The four corners map exactly onto each other. Corner order as Quad above; points are in
// pixel coordinates (pixel centres at whole numbers), the destination's shifted by
// originX, originY. bitsPerPixel must be 32; mode as is5_TransformProcess (0 straight
// bilinear, 1 premultiplied bilinear, 2 premultiplied bicubic); the source repeats its
// edge pixels; flags reserved, 0. False for bad blocks, a degenerate quad, or
// overlapping blocks.
bool is5_PolygonWarpImage(const uint8_t* source, int32_t width, int32_t height, int32_t sourceStride,
                          const dro::lib::QuadPoint* sourceQuad, uint8_t* destination, int32_t destinationWidth,
                          int32_t destinationHeight, int32_t destinationStride,
                          const dro::lib::QuadPoint* destinationQuad, int32_t bitsPerPixel, int32_t originX,
                          int32_t originY, int32_t mode, uint32_t flags) noexcept;
