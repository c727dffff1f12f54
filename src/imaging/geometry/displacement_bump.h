// The displacement bump: the IPL source moved along the slopes of a bump map that a
// procedural script draws, tiled over the canvas, and written into the current layer.
#pragma once

#include <cstdint>

namespace dro {

// strength: the shift in pixels where the map climbs from black to white across two
// pixels. background: what the shift uncovers, its bytes R, G, B, A in memory order
// (R | G << 8 | B << 16 | A << 24). The source is taken as
// premultiplied (the result is unpremultiplied before it is written). Nothing is
// written when a step fails; the reason is the last error.
void displacementBump(const char* scriptPath, double strength, uint32_t background);

}  // namespace dro
