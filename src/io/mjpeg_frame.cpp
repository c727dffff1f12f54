#include "io/mjpeg_frame.h"

#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <algorithm>

#include <jpeglib.h>

namespace dro::io {
namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void leave(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// libjpeg reports errors by longjmp, so nothing with a destructor lives in here.
bool compress(jpeg_compress_struct& info, const uint8_t* rgb24, int32_t width, int32_t height, int32_t quality,
              unsigned char** out, unsigned long* size) {
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb24 + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

std::vector<uint8_t> compressMjpegFrame(const uint8_t* rgb24, int32_t width, int32_t height, int32_t quality) {
    if (!rgb24 || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) return {};
    jpeg_compress_struct info{};
    ErrorTrap trap{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = leave;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    bool ok = false;
    if (setjmp(trap.jump) == 0) ok = compress(info, rgb24, width, height, quality, &out, &size);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> frame;
    if (ok && out) frame.assign(out, out + size);
    std::free(out);
    return frame;
}

}  // namespace dro::io
