#include "io/avi_layout.h"

#include <cstddef>

namespace dro::io {
namespace {

constexpr uint32_t fourcc(const char (&s)[5]) noexcept {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAviifKeyFrame = 0x10;
constexpr uint32_t kHdrlBytes = 192;  // 'hdrl' + avih chunk + strl list
constexpr uint32_t kStrlBytes = 116;  // 'strl' + strh chunk + strf chunk
constexpr uint32_t kMainHeaderBytes = 56;
constexpr uint32_t kStreamHeaderBytes = 56;
constexpr uint32_t kBitmapInfoBytes = 40;

struct Bytes {
    std::vector<uint8_t>& out;
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void u16(uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void list(const char (&type)[5], uint32_t size, const char (&name)[5]) {
        u32(fourcc(type));
        u32(size);
        u32(fourcc(name));
    }
};

uint32_t frameImageBytes(const AviStreamInfo& info) noexcept {
    // MJPEG decoders size their output from this; it is the decoded frame.
    return dibImageBytes(info.width, info.height);
}

}  // namespace

uint32_t dibImageBytes(int32_t width, int32_t height) noexcept {
    const uint64_t row = (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
    return static_cast<uint32_t>(row * static_cast<uint64_t>(height));
}

uint32_t aviFrameChunkId(AviVideo video) noexcept {
    return video == AviVideo::mjpeg ? fourcc("00dc") : fourcc("00db");
}

void appendChunkHeader(std::vector<uint8_t>& out, uint32_t id, uint32_t size) {
    Bytes b{out};
    b.u32(id);
    b.u32(size);
}

std::vector<uint8_t> aviHeaders(const AviStreamInfo& info, uint32_t riffBytes, uint32_t moviBytes) {
    std::vector<uint8_t> out;
    out.reserve(kAviHeaderBytes);
    Bytes b{out};
    const bool mjpeg = info.video == AviVideo::mjpeg;
    const uint32_t buffer = info.largestFrame ? info.largestFrame : frameImageBytes(info);
    const uint32_t period = static_cast<uint32_t>(info.periodMs);

    b.list("RIFF", riffBytes, "AVI ");
    b.list("LIST", kHdrlBytes, "hdrl");
    b.u32(fourcc("avih"));
    b.u32(kMainHeaderBytes);
    b.u32(period * 1000);                                             // microseconds per frame
    b.u32(static_cast<uint32_t>(uint64_t{buffer} * 1000 / period));  // max bytes per second
    b.u32(0);                                                         // padding granularity
    b.u32(kAvifHasIndex);
    b.u32(info.frameCount);
    b.u32(0);  // initial frames
    b.u32(1);  // streams
    b.u32(buffer);
    b.u32(static_cast<uint32_t>(info.width));
    b.u32(static_cast<uint32_t>(info.height));
    for (int i = 0; i < 4; ++i) b.u32(0);

    b.list("LIST", kStrlBytes, "strl");
    b.u32(fourcc("strh"));
    b.u32(kStreamHeaderBytes);
    b.u32(fourcc("vids"));
    b.u32(mjpeg ? fourcc("MJPG") : fourcc("DIB "));
    b.u32(0);  // flags
    b.u16(0);  // priority
    b.u16(0);  // language
    b.u32(0);  // initial frames
    b.u32(period);  // scale
    b.u32(1000);    // rate
    b.u32(0);       // start
    b.u32(info.frameCount);
    b.u32(buffer);
    b.u32(0xFFFFFFFFu);  // quality: the codec's default
    b.u32(0);            // sample size: frames vary
    b.u16(0);
    b.u16(0);
    b.u16(static_cast<uint16_t>(info.width));
    b.u16(static_cast<uint16_t>(info.height));

    b.u32(fourcc("strf"));
    b.u32(kBitmapInfoBytes);
    b.u32(kBitmapInfoBytes);
    b.u32(static_cast<uint32_t>(info.width));
    b.u32(static_cast<uint32_t>(info.height));  // positive: bottom row first
    b.u16(1);                                   // planes
    b.u16(24);                                  // bits per pixel
    b.u32(mjpeg ? fourcc("MJPG") : 0);
    b.u32(frameImageBytes(info));
    for (int i = 0; i < 4; ++i) b.u32(0);

    b.list("LIST", moviBytes, "movi");
    return out;
}

std::vector<uint8_t> aviIndex(AviVideo video, const std::vector<AviIndexEntry>& entries) {
    std::vector<uint8_t> out;
    out.reserve(8 + entries.size() * kAviIndexEntryBytes);
    appendChunkHeader(out, fourcc("idx1"), static_cast<uint32_t>(entries.size() * kAviIndexEntryBytes));
    Bytes b{out};
    for (const AviIndexEntry& e : entries) {
        b.u32(aviFrameChunkId(video));
        b.u32(kAviifKeyFrame);
        b.u32(e.offset);
        b.u32(e.size);
    }
    return out;
}

void rgb24ToDibBits(const uint8_t* rgb24, int32_t width, int32_t height, std::vector<uint8_t>& bits) {
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    bits.assign(rowBytes * static_cast<std::size_t>(height), 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = rgb24 + static_cast<std::size_t>(y) * width * 3;
        uint8_t* out = bits.data() + static_cast<std::size_t>(height - 1 - y) * rowBytes;
        for (int32_t x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

}  // namespace dro::io
