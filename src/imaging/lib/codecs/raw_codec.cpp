#include "imaging/lib/codecs/raw_codec.h"

#include <libraw/libraw.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "imaging/lib/codecs/decode_notes.h"
#include "platform/isolated_call.h"

#ifdef _OPENMP
#include <omp.h>
#endif

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

std::optional<PixelImage> decodeHere(ByteSpan bytes) {
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
        return PixelImage{processed->width, processed->height, 3, {processed->data, processed->data + *size}};
    } catch (...) {
        // LibRaw throws for allocation failures and some corrupt files.
        return std::nullopt;
    }
}

// LibRaw parses camera makers' directories that no one validates (Debian 12's 0.20 reads
// wild addresses on forged TIFF directories), so it runs in a process of its own. A
// photo takes seconds; a decode still running after this is stuck.
constexpr std::chrono::seconds kDecodeLimit{180};

// The reply from the decoding process: a flag, the decoder's problem note, and the
// image when there is one.
struct ReplyHeader {
    int32_t decoded = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t problemLength = 0;
};

std::vector<uint8_t> decodeToReply(std::span<const uint8_t> bytes) {
#ifdef _OPENMP
    // A copied process has no OpenMP worker threads, only the record of the parent's.
    omp_set_num_threads(1);
#endif
    const auto image = decodeHere(bytes);
    const std::string& problem = decodeNotes().problem;
    ReplyHeader header{image ? 1 : 0, image ? image->width : 0, image ? image->height : 0,
                       static_cast<uint32_t>(problem.size())};
    std::vector<uint8_t> reply(sizeof header + problem.size() + (image ? image->pixels.size() : 0));
    std::memcpy(reply.data(), &header, sizeof header);
    std::memcpy(reply.data() + sizeof header, problem.data(), problem.size());
    if (image) std::memcpy(reply.data() + sizeof header + problem.size(), image->pixels.data(), image->pixels.size());
    return reply;
}

std::optional<PixelImage> imageFromReply(const std::vector<uint8_t>& reply) {
    ReplyHeader header;
    if (reply.size() < sizeof header) return std::nullopt;
    std::memcpy(&header, reply.data(), sizeof header);
    if (header.problemLength > reply.size() - sizeof header) return std::nullopt;
    const auto* problem = reinterpret_cast<const char*>(reply.data() + sizeof header);
    if (header.problemLength > 0) noteDecodeProblem(std::string(problem, header.problemLength));
    if (!header.decoded) return std::nullopt;
    const auto size = checkedImageBytes(header.width, header.height, 3);
    const size_t pixelsAt = sizeof header + header.problemLength;
    if (!size || reply.size() - pixelsAt != *size) return std::nullopt;
    const auto pixels = reply.begin() + static_cast<std::ptrdiff_t>(pixelsAt);
    return PixelImage{header.width, header.height, 3, {pixels, reply.end()}};
}

}  // namespace

const platform::IsolatedJob kCameraRawJob{"camera-raw", decodeToReply};

std::optional<PixelImage> decodeRaw(ByteSpan bytes) {
    if (bytes.size() < 16) return std::nullopt;
    using Ended = platform::IsolatedOutcome::Ended;
    const auto outcome = platform::runIsolated(kCameraRawJob, bytes, kDecodeLimit);
    switch (outcome.ended) {
        case Ended::Returned: return imageFromReply(outcome.reply);
        case Ended::Crashed: noteDecodeProblem("the camera raw decoder failed on this file (" + outcome.detail + ")"); break;
        case Ended::TimedOut: noteDecodeProblem("the camera raw decoder " + outcome.detail); break;
        case Ended::NotStarted: noteDecodeProblem("the camera raw decoder could not be started (" + outcome.detail + ")"); break;
    }
    return std::nullopt;
}

}  // namespace dro::codecs
