#include "imaging/lib/codecs/quantize.h"

#include <libimagequant.h>
#include <omp.h>

#include <cstring>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {
namespace {

struct Attr {
    liq_attr* p = liq_attr_create();
    ~Attr() {
        if (p) liq_attr_destroy(p);
    }
};
struct Image {
    liq_image* p = nullptr;
    ~Image() {
        if (p) liq_image_destroy(p);
    }
};
struct Result {
    liq_result* p = nullptr;
    ~Result() {
        if (p) liq_result_destroy(p);
    }
};

bool quantize(const std::vector<uint8_t>& rgba, int32_t w, int32_t h, uint8_t* indices, int32_t indexStride,
              int32_t maxColours, uint8_t* paletteRgb, int32_t& coloursUsed, int32_t quality) {
    Attr attr;
    if (!attr.p) return false;
    // Speed 3 of 1..10 spends more time on the palette than libimagequant's default.
    if (liq_set_max_colors(attr.p, maxColours) != LIQ_OK || liq_set_speed(attr.p, 3) != LIQ_OK ||
        liq_set_quality(attr.p, 0, quality) != LIQ_OK) {
        return false;
    }
    Image image;
    image.p = liq_image_create_rgba(attr.p, rgba.data(), w, h, 0.0);
    if (!image.p) return false;
    Result result;
    if (liq_image_quantize(image.p, attr.p, &result.p) != LIQ_OK || !result.p) return false;
    if (liq_set_dithering_level(result.p, 1.0f) != LIQ_OK) return false;
    std::vector<unsigned char*> rows(static_cast<size_t>(h));
    for (int32_t y = 0; y < h; ++y) rows[static_cast<size_t>(y)] = indices + static_cast<size_t>(y) * indexStride;
    if (liq_write_remapped_image_rows(result.p, image.p, rows.data()) != LIQ_OK) return false;
    const liq_palette* palette = liq_get_palette(result.p);
    if (!palette || palette->count == 0 || palette->count > 256) return false;
    std::memset(paletteRgb, 0, 256 * 3);
    for (unsigned i = 0; i < palette->count; ++i) {
        paletteRgb[i * 3] = palette->entries[i].r;
        paletteRgb[i * 3 + 1] = palette->entries[i].g;
        paletteRgb[i * 3 + 2] = palette->entries[i].b;
    }
    coloursUsed = static_cast<int32_t>(palette->count);
    return true;
}

}  // namespace

bool quantizeRgbTo8Bit(const uint8_t* rgb24, int32_t w, int32_t h, int32_t stride, uint8_t* indices,
                       int32_t indexStride, int32_t maxColours, uint8_t* paletteRgb, int32_t& coloursUsed,
                       int32_t quality) {
    if (!rgb24 || !indices || !paletteRgb || maxColours < 2 || maxColours > 256 || quality < 1 || quality > 100)
        return false;
    const auto bytes = checkedImageBytes(w, h, 4);
    if (!bytes || int64_t{stride} < int64_t{w} * 3 || indexStride < w) return false;

    std::vector<uint8_t> rgba(*bytes);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = rgb24 + static_cast<size_t>(y) * stride;
        uint8_t* dst = rgba.data() + static_cast<size_t>(y) * w * 4;
        for (int32_t x = 0; x < w; ++x) {
            dst[x * 4] = src[x * 3];
            dst[x * 4 + 1] = src[x * 3 + 1];
            dst[x * 4 + 2] = src[x * 3 + 2];
            dst[x * 4 + 3] = 255;
        }
    }

    // libimagequant sums in OpenMP reductions whose order varies with the thread count
    // and from run to run; inside a one-thread region its loops run serially, so the
    // palette and the dithering depend on the input alone.
    bool ok = false;
#pragma omp parallel num_threads(1)
    {
        omp_set_num_threads(1);
        ok = quantize(rgba, w, h, indices, indexStride, maxColours, paletteRgb, coloursUsed, quality);
    }
    return ok;
}

}  // namespace dro::codecs
