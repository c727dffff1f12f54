// Bounds-checked field reading for the formats we parse ourselves, and the small
// byte-writing helpers their writers share. A read past the end fails the reader and
// yields 0, so a parser reads a group of fields and checks ok() once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

class ByteReader {
public:
    explicit ByteReader(ByteSpan bytes, size_t pos = 0) noexcept : bytes_(bytes), pos_(pos) {
        if (pos_ > bytes_.size()) fail();
    }

    bool ok() const noexcept { return ok_; }
    size_t pos() const noexcept { return pos_; }
    size_t size() const noexcept { return bytes_.size(); }
    size_t remaining() const noexcept { return ok_ ? bytes_.size() - pos_ : 0; }

    void seek(size_t pos) noexcept {
        if (pos > bytes_.size()) fail();
        else pos_ = pos;
    }
    void skip(uint64_t n) noexcept {
        if (!has(n)) fail();
        else pos_ += static_cast<size_t>(n);
    }

    uint8_t u8() noexcept { return has(1) ? bytes_[pos_++] : failed(); }
    uint16_t u16le() noexcept { return static_cast<uint16_t>(bytesLE(2)); }
    uint32_t u32le() noexcept { return static_cast<uint32_t>(bytesLE(4)); }
    int16_t i16le() noexcept { return static_cast<int16_t>(u16le()); }
    int32_t i32le() noexcept { return static_cast<int32_t>(u32le()); }
    uint16_t u16be() noexcept { return static_cast<uint16_t>(bytesBE(2)); }
    uint32_t u32be() noexcept { return static_cast<uint32_t>(bytesBE(4)); }
    int16_t i16be() noexcept { return static_cast<int16_t>(u16be()); }
    int32_t i32be() noexcept { return static_cast<int32_t>(u32be()); }

    // The next n bytes as a span (empty and failed when fewer remain).
    ByteSpan take(uint64_t n) noexcept {
        if (!has(n)) {
            fail();
            return {};
        }
        const ByteSpan out = bytes_.subspan(pos_, static_cast<size_t>(n));
        pos_ += static_cast<size_t>(n);
        return out;
    }

private:
    bool has(uint64_t n) const noexcept { return ok_ && n <= bytes_.size() - pos_; }
    void fail() noexcept { ok_ = false; }
    uint8_t failed() noexcept {
        fail();
        return 0;
    }
    uint64_t bytesLE(int n) noexcept {
        if (!has(static_cast<uint64_t>(n))) return failed();
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | bytes_[pos_ + static_cast<size_t>(i)];
        pos_ += static_cast<size_t>(n);
        return v;
    }
    uint64_t bytesBE(int n) noexcept {
        if (!has(static_cast<uint64_t>(n))) return failed();
        uint64_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 8) | bytes_[pos_ + static_cast<size_t>(i)];
        pos_ += static_cast<size_t>(n);
        return v;
    }

    ByteSpan bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// A value of `bits` significant bits spread over 0..255, rounded (5 bits: 31 -> 255).
inline uint8_t scaleToByte(uint32_t value, uint32_t maxValue) noexcept {
    if (maxValue == 0) return 0;
    if (value >= maxValue) return 255;
    return static_cast<uint8_t>((uint64_t{value} * 255 + maxValue / 2) / maxValue);
}

// Run-length streams can expand a few bytes into a huge picture. A picture is accepted
// when it is modest, or when its compressed data could plausibly describe it at no more
// than `pixelsPerByte` pixels for each byte.
inline constexpr uint64_t kSmallPicturePixels = uint64_t{1} << 22;
inline bool plausibleExpansion(uint64_t pixels, uint64_t compressedBytes, uint64_t pixelsPerByte) noexcept {
    return pixels <= kSmallPicturePixels || pixels / pixelsPerByte <= compressedBytes;
}

inline void putU8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
inline void putU16LE(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void putU32LE(std::vector<uint8_t>& out, uint32_t v) {
    putU16LE(out, v & 0xFFFF);
    putU16LE(out, v >> 16);
}
inline void putU16BE(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
inline void putU32BE(std::vector<uint8_t>& out, uint32_t v) {
    putU16BE(out, v >> 16);
    putU16BE(out, v & 0xFFFF);
}

inline bool writeBytes(FileDest dest, const void* data, size_t n) {
    if (dest.file == nullptr) return false;
    return n == 0 || std::fwrite(data, 1, n, dest.file) == n;
}
inline bool writeBytes(FileDest dest, const std::vector<uint8_t>& bytes) {
    return writeBytes(dest, bytes.data(), bytes.size());
}
// Flushes and reports whether every write so far reached the file.
inline bool finishWrites(FileDest dest) {
    return dest.file != nullptr && std::fflush(dest.file) == 0 && std::ferror(dest.file) == 0;
}

// Writer arguments every format shares: a block, a size the limits allow, 3 or 4 channels.
inline bool validWriterInput(FileDest dest, const uint8_t* pixels, int32_t width, int32_t height,
                             int32_t channels) {
    return dest.file != nullptr && pixels != nullptr && (channels == 3 || channels == 4) &&
           checkedImageBytes(width, height, channels).has_value();
}

}  // namespace dro::codecs
