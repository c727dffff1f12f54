// The bytes of an AVI 1.0 file with one video stream: RIFF 'AVI ' holding the header
// list, the 'movi' list of frame chunks and the 'idx1' index. The headers have a fixed
// size, so a writer reserves them first and fills in the totals when it finishes.
#pragma once

#include <cstdint>
#include <vector>

namespace dro::io {

enum class AviVideo { uncompressedDib, mjpeg };

struct AviStreamInfo {
    AviVideo video = AviVideo::uncompressedDib;
    int32_t width = 0;
    int32_t height = 0;
    int32_t periodMs = 0;  // scale = period, rate = 1000: frames per second = 1000 / period
    uint32_t frameCount = 0;
    uint32_t largestFrame = 0;  // bytes of the largest frame chunk's data
};

// Everything before the first frame chunk: RIFF, header list and the 'movi' list's
// header. riffBytes and moviBytes are the two lists' sizes as their headers state them.
std::vector<uint8_t> aviHeaders(const AviStreamInfo& info, uint32_t riffBytes, uint32_t moviBytes);
inline constexpr uint32_t kAviHeaderBytes = 224;
// Where the 'movi' list's fourcc sits: index offsets count from here.
inline constexpr uint32_t kAviMoviFourccOffset = 220;

// The chunk id of a frame: '00db' uncompressed, '00dc' compressed.
uint32_t aviFrameChunkId(AviVideo video) noexcept;
// The 8-byte header of a chunk.
void appendChunkHeader(std::vector<uint8_t>& out, uint32_t id, uint32_t size);

struct AviIndexEntry {
    uint32_t offset;  // of the chunk header, from the 'movi' fourcc
    uint32_t size;    // of the chunk data
};
// The 'idx1' chunk: every frame a key frame.
std::vector<uint8_t> aviIndex(AviVideo video, const std::vector<AviIndexEntry>& entries);
inline constexpr uint32_t kAviIndexEntryBytes = 16;

// An RGB24 frame (rows top first) as bottom-up BGR rows padded to four bytes.
void rgb24ToDibBits(const uint8_t* rgb24, int32_t width, int32_t height, std::vector<uint8_t>& bits);
uint32_t dibImageBytes(int32_t width, int32_t height) noexcept;

}  // namespace dro::io
