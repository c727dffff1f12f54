#include "imaging/lib/codecs/raw_codec.h"

#include <libraw/libraw.h>

#include <cstring>
#include <memory>

namespace dro::codecs {
namespace {

void ignoreDataError(void*, const char*, const int) {}

// Sensor data is stored at one to two bytes a pixel even when compressed, so a file
// announcing far more photosites than its bytes could carry is refused before unpacking.
bool plausible(uint64_t photosites, size_t fileBytes) {
    return photosites <= uint64_t{64} * fileBytes + (uint64_t{1} << 20);
}

struct ProcessedImage {
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};

}  // namespace

std::optional<PixelImage> decodeRaw(ByteSpan bytes) {
    if (bytes.size() < 16) return std::nullopt;
    try {
        auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
        raw->set_dataerror_handler(ignoreDataError, nullptr);
        auto& params = raw->imgdata.params;
        params.use_camera_wb = 1;
        params.output_color = 1;  // sRGB
        params.output_bps = 8;
        params.half_size = 0;
        params.user_flip = -1;  // the camera's own orientation
        if (raw->open_buffer(const_cast<uint8_t*>(bytes.data()), bytes.size()) != LIBRAW_SUCCESS) return std::nullopt;

        const auto& sizes = raw->imgdata.sizes;
        // LibRaw keeps four 16-bit values for every output pixel while it works.
        if (!checkedImageBytes(sizes.raw_width, sizes.raw_height, 2) || !checkedImageBytes(sizes.width, sizes.height, 8) ||
            !plausible(uint64_t{sizes.raw_width} * sizes.raw_height, bytes.size())) {
            return std::nullopt;
        }
        if (raw->unpack() != LIBRAW_SUCCESS || raw->dcraw_process() != LIBRAW_SUCCESS) return std::nullopt;
        int status = LIBRAW_SUCCESS;
        std::unique_ptr<libraw_processed_image_t, ProcessedImage> processed(raw->dcraw_make_mem_image(&status));
        if (!processed || status != LIBRAW_SUCCESS || processed->type != LIBRAW_IMAGE_BITMAP ||
            processed->colors != 3 || processed->bits != 8) {
            return std::nullopt;
        }
        const auto size = checkedImageBytes(processed->width, processed->height, 3);
        if (!size || processed->data_size < *size) return std::nullopt;
        PixelImage image;
        image.width = processed->width;
        image.height = processed->height;
        image.channels = 3;
        image.pixels.assign(processed->data, processed->data + *size);
        return image;
    } catch (...) {
        // LibRaw throws for allocation failures and some corrupt files.
        return std::nullopt;
    }
}

}  // namespace dro::codecs
