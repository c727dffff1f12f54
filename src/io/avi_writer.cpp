#include "io/avi_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/canvas.h"
#include "core/last_error.h"
#include "imaging/lib/codecs/bmp_codec.h"
#include "imaging/lib/codecs/file_bytes.h"
#include "io/avi_layout.h"
#include "io/mjpeg_frame.h"
#include "io/output_file.h"
#include "mask/mask_conversions.h"

namespace dro::io {
namespace {

// RIFF sizes are 32-bit, and readers without the OpenDML extension stop at 1 GiB.
constexpr uint64_t kRiffLimit = uint64_t{1} << 30;
constexpr int32_t kDefaultQuality = 90;

struct Compression {
    AviVideo video = AviVideo::uncompressedDib;
    int32_t quality = kDefaultQuality;
};

struct AviWriter {
    std::unique_ptr<OutputFile> file;
    AviStreamInfo info;
    Compression compression;
    bool streamStarted = false;  // the compression was chosen at the first frame
    bool failed = false;
    bool writeError = false;  // the file itself is damaged: never put in place
    uint64_t bytes = kAviHeaderBytes;
    std::vector<AviIndexEntry> index;
};

struct AviState {
    std::unique_ptr<AviWriter> writer;
    Compression chosen;
    uint64_t byteLimit = kRiffLimit;
};

AviState gAvi;

void fail(AviWriter& w, const char* reason, bool fileDamaged) {
    w.failed = true;
    w.writeError = w.writeError || fileDamaged;
    setLastError(reason);
}

bool writeAll(std::FILE* f, const void* data, size_t size) {
    return size == 0 || std::fwrite(data, 1, size, f) == size;
}

// Rewrites the headers with the totals, appends the index and puts the file in place.
bool finish(AviWriter& w) {
    std::FILE* f = w.file->dest().file;
    const std::vector<uint8_t> index = aviIndex(w.info.video, w.index);
    const uint64_t total = w.bytes + index.size();
    const auto riff = static_cast<uint32_t>(total - 8);
    const auto movi = static_cast<uint32_t>(w.bytes - kAviMoviFourccOffset);
    const std::vector<uint8_t> headers = aviHeaders(w.info, riff, movi);
    const bool written = writeAll(f, index.data(), index.size()) && std::fseek(f, 0, SEEK_SET) == 0 &&
                         writeAll(f, headers.data(), headers.size());
    return w.file->commit(written);
}

void addFrame(AviWriter& w, const uint8_t* rgb24) {
    if (!w.streamStarted) {
        w.compression = gAvi.chosen;
        w.info.video = w.compression.video;
        w.streamStarted = true;
    }
    std::vector<uint8_t> data;
    if (w.info.video == AviVideo::mjpeg) {
        data = compressMjpegFrame(rgb24, w.info.width, w.info.height, w.compression.quality);
        if (data.empty()) return fail(w, "WriteAVI: the frame could not be compressed", false);
    } else {
        rgb24ToDibBits(rgb24, w.info.width, w.info.height, data);
    }
    const uint64_t chunk = 8 + data.size() + (data.size() & 1);
    const uint64_t indexAfter = 8 + (w.index.size() + 1) * uint64_t{kAviIndexEntryBytes};
    if (w.bytes + chunk + indexAfter > gAvi.byteLimit)
        return fail(w, "WriteAVI: the file would pass 1 GB, the limit of an AVI file; frames refused", false);

    const auto dataBytes = static_cast<uint32_t>(data.size());
    std::vector<uint8_t> header;
    appendChunkHeader(header, aviFrameChunkId(w.info.video), dataBytes);
    if (data.size() & 1) data.push_back(0);
    std::FILE* f = w.file->dest().file;
    if (!writeAll(f, header.data(), header.size()) || !writeAll(f, data.data(), data.size()) || std::ferror(f))
        return fail(w, "WriteAVI: writing the file failed", true);
    w.index.push_back({static_cast<uint32_t>(w.bytes - kAviMoviFourccOffset), dataBytes});
    w.info.largestFrame = std::max(w.info.largestFrame, w.index.back().size);
    w.bytes += chunk;
    ++w.info.frameCount;
}

// Frames go only to an open, healthy writer, and only at its frame size.
AviWriter* acceptingWriter(int32_t width, int32_t height) {
    AviWriter* w = gAvi.writer.get();
    if (!w || w->failed) return nullptr;
    if (width != w->info.width || height != w->info.height) {
        setLastError("WriteAVI: the frame's size differs from the canvas size the AVI was opened at; frame ignored");
        return nullptr;
    }
    return w;
}

}  // namespace

bool setAviCompression(const char* handler, int32_t quality) noexcept {
    Compression c;
    if (!handler || std::strcmp(handler, "DIB ") == 0) c.video = AviVideo::uncompressedDib;
    else if (std::strcmp(handler, "MJPG") == 0) c.video = AviVideo::mjpeg;
    else return false;
    c.quality = quality;
    gAvi.chosen = c;
    return true;
}

void createAvi(const char* path, int32_t periodMs) {
    if (gAvi.writer) closeAvi();  // an open writer is finished, never leaked half-written
    const Canvas& c = canvas();
    if (!path || !*path || periodMs <= 0 || c.width <= 0 || c.height <= 0) {
        setLastError("CreateAVI: needs a path, a period above 0 ms and a canvas");
        return;
    }
    auto w = std::make_unique<AviWriter>();
    w->info.width = c.width;
    w->info.height = c.height;
    w->info.periodMs = periodMs;
    w->file = std::make_unique<OutputFile>(path);
    const std::vector<uint8_t> placeholder = aviHeaders(w->info, 0, 0);
    if (!w->file->isOpen() || !writeAll(w->file->dest().file, placeholder.data(), placeholder.size())) {
        setLastError("CreateAVI: the file cannot be created");
        return;
    }
    gAvi.writer = std::move(w);
}

void writeAviRgb24(const uint8_t* rgb24, int32_t width, int32_t height) {
    if (!rgb24) return;
    if (AviWriter* w = acceptingWriter(width, height)) addFrame(*w, rgb24);
}

void writeAviBmp(const char* path) {
    AviWriter* w = gAvi.writer.get();
    if (!w || w->failed || !path) return;
    const auto bytes = codecs::readWholeFile(path);
    const auto image = bytes ? codecs::decodeBmp(codecs::ByteSpan(bytes->data(), bytes->size())) : std::nullopt;
    if (!image) {
        setLastError("WriteAVI: the file is not a readable BMP; frame ignored");
        return;
    }
    if (!acceptingWriter(image->width, image->height)) return;
    std::vector<uint8_t> rgb(static_cast<size_t>(image->width) * image->height * 3);
    rgbaToRgb(rgb.data(), image->width, image->height, image->pixels.data());
    addFrame(*w, rgb.data());
}

void closeAvi() {
    std::unique_ptr<AviWriter> w = std::move(gAvi.writer);
    if (!w) return;
    if (w->writeError) return;  // the partial file goes with the writer
    if (!finish(*w)) setLastError("CloseAVI: the file could not be finished");
}

void resetAviWriter() noexcept {
    gAvi.writer.reset();
    gAvi.chosen = Compression{};
    gAvi.byteLimit = kRiffLimit;
}

bool aviWriterOpen() noexcept { return gAvi.writer != nullptr; }
bool aviWriterFailed() noexcept { return gAvi.writer && gAvi.writer->failed; }
int32_t aviFrameCount() noexcept { return gAvi.writer ? static_cast<int32_t>(gAvi.writer->info.frameCount) : 0; }

namespace testhooks {
void setAviByteLimit(uint64_t bytes) noexcept { gAvi.byteLimit = bytes; }
}

}  // namespace dro::io
