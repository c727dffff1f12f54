#include "imaging/lib/codecs/webp_codec.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>

#include "imaging/lib/codecs/exif_resolution.h"

namespace dro::codecs {
namespace {

bool hasSignature(ByteSpan bytes) {
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 && std::memcmp(bytes.data() + 8, "WEBP", 4) == 0;
}

std::optional<PixelImage> firstAnimationFrame(ByteSpan bytes, size_t size, int width, int height) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return std::nullopt;
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder) return std::nullopt;
    std::optional<PixelImage> result;
    WebPAnimInfo info{};
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (WebPAnimDecoderGetInfo(decoder, &info) && int(info.canvas_width) == width &&
        int(info.canvas_height) == height && WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) && canvas) {
        result = PixelImage{width, height, 4, {canvas, canvas + size}};
    }
    WebPAnimDecoderDelete(decoder);
    return result;
}

// The encoded picture with an EXIF chunk holding the resolution, written to the file.
bool writeWithResolution(std::FILE* file, const WebPMemoryWriter& encoded, Resolution resolution) {
    const std::vector<uint8_t> exif = exifWithResolution(resolution);
    const WebPData image{encoded.mem, encoded.size};
    const WebPData exifData{exif.data(), exif.size()};
    WebPMux* mux = WebPMuxCreate(&image, 0);
    WebPData assembled{nullptr, 0};
    const bool ok = mux && WebPMuxSetChunk(mux, "EXIF", &exifData, 1) == WEBP_MUX_OK &&
                    WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK &&
                    std::fwrite(assembled.bytes, 1, assembled.size, file) == assembled.size;
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return ok;
}

std::optional<Resolution> storedResolution(ByteSpan bytes) {
    const WebPData data{bytes.data(), bytes.size()};
    WebPDemuxer* demux = WebPDemux(&data);
    if (!demux) return std::nullopt;
    std::optional<Resolution> found;
    WebPChunkIterator chunk;
    if (WebPDemuxGetChunk(demux, "EXIF", 1, &chunk)) {
        found = resolutionFromExif(ByteSpan(chunk.chunk.bytes, chunk.chunk.size));
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demux);
    return found;
}

}  // namespace

std::optional<ImageInfo> readWebpInfo(ByteSpan bytes) {
    if (!hasSignature(bytes)) return std::nullopt;
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return std::nullopt;
    if (features.width <= 0 || features.height <= 0) return std::nullopt;
    ImageInfo info;
    info.width = features.width;
    info.height = features.height;
    if (const auto resolution = storedResolution(bytes)) info.resolution = *resolution;
    return info;
}

std::optional<PixelImage> decodeWebp(ByteSpan bytes) {
    if (!hasSignature(bytes)) return std::nullopt;
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return std::nullopt;
    const auto size = checkedImageBytes(features.width, features.height, 4);
    if (!size) return std::nullopt;
    if (features.has_animation) return firstAnimationFrame(bytes, *size, features.width, features.height);

    // libwebp allocates the output itself and touches only the rows it decodes, so a
    // small file announcing a huge canvas fails after little work; the block is copied
    // out only once the whole picture has decoded.
    int width = 0, height = 0;
    uint8_t* decoded = WebPDecodeRGBA(bytes.data(), bytes.size(), &width, &height);
    if (!decoded) return std::nullopt;
    std::optional<PixelImage> result;
    if (width == features.width && height == features.height) {
        result = PixelImage{width, height, 4, {decoded, decoded + *size}};
    }
    WebPFree(decoded);
    return result;
}

bool writeWebp(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels,
               WebpOptions options) {
    if (!dest.file || !pixels || (channels != 3 && channels != 4)) return false;
    if (width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION || !checkedImageBytes(width, height, channels))
        return false;
    WebPConfig config;
    if (!WebPConfigInit(&config)) return false;
    config.lossless = options.lossless ? 1 : 0;
    config.exact = options.lossless ? 1 : 0;
    config.quality = options.quality < 0.0f ? 0.0f : options.quality > 100.0f ? 100.0f : options.quality;
    if (!WebPValidateConfig(&config)) return false;

    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return false;
    picture.width = width;
    picture.height = height;
    picture.use_argb = options.lossless ? 1 : 0;
    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &memory;
    const int stride = width * channels;
    const bool imported = channels == 4 ? WebPPictureImportRGBA(&picture, pixels, stride)
                                        : WebPPictureImportRGB(&picture, pixels, stride);
    const bool encoded = imported && WebPEncode(&config, &picture);
    WebPPictureFree(&picture);
    bool written = false;
    if (encoded && options.resolution.x > 0.0) written = writeWithResolution(dest.file, memory, options.resolution);
    else if (encoded) written = std::fwrite(memory.mem, 1, memory.size, dest.file) == memory.size;
    WebPMemoryWriterClear(&memory);
    return written && std::fflush(dest.file) == 0;
}

}  // namespace dro::codecs
