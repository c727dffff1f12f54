// The 25 in-house filters, grouped by family. Each works on the parameter block
// alone (the mask filters also write the selection mask, and a few hand
// intermediate results to the current layer). Callers go through the dispatcher.
#pragma once

#include "imaging/filter_params.h"

namespace dro::filters {

// sweeps.cpp: eight directional sweeps in single-buffer mode.
void valueBlur(FilterParams& p);
void noiseReduction(FilterParams& p);
void noiseReductionRgb(FilterParams& p);
void antiAlias(FilterParams& p);

// per_pixel.cpp
void grayscale(FilterParams& p);
void invert(FilterParams& p);
void basicThreshold(FilterParams& p);
void hyperContrast(FilterParams& p);
void adjustRgba(FilterParams& p);
void adjustLab(FilterParams& p);
void clampChannels(FilterParams& p);
void channel(FilterParams& p);
void alphaEdgeColor(FilterParams& p);
void fader(FilterParams& p);

// neighbourhood.cpp: interior pixels only.
void detailBlur(FilterParams& p);
void adaptiveBlur(FilterParams& p);
void basRelief(FilterParams& p);
void lineArtCleaner(FilterParams& p);

// mask_filters.cpp
void maskHighLow(FilterParams& p);
void maskDetail(FilterParams& p);

// box_blur.cpp, geometric.cpp, vignette.cpp
void boxBlur(FilterParams& p);
void mirror(FilterParams& p);
void reflection(FilterParams& p);
void borderize(FilterParams& p);
void vignette(FilterParams& p);

// Whether "Box Blur" and "Value Blur" take their fast paths (on unless a test turned
// them off); both paths give the same bytes.
bool filterFastPath() noexcept;

namespace testhooks {
// Off: the plain per-pixel rule, the reference the fast paths are checked against.
void setFilterFastPath(bool on) noexcept;
}  // namespace testhooks

}  // namespace dro::filters
