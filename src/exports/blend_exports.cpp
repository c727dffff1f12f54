// Blend modes and merges.
#include "composite/merge_pixel.h"
#include "drovane.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_MergePixel(uint32_t* dR, uint32_t* dG, uint32_t* dB, uint32_t* dA, uint32_t sR,
                                     uint32_t sG, uint32_t sB, uint32_t sA, int32_t mode, int32_t opacity,
                                     uint8_t alphaLock) {
    if (!dR || !dG || !dB || !dA) return;
    mergePixel(*dR, *dG, *dB, *dA, sR, sG, sB, sA, mode, opacity, alphaLock != 0);
}

}  // extern "C"
