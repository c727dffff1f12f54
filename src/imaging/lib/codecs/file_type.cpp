#include "imaging/lib/codecs/file_type.h"

#include <array>
#include <cstring>

namespace dro::codecs {
namespace {

bool startsWith(ByteSpan bytes, std::initializer_list<uint8_t> magic) {
    if (bytes.size() < magic.size()) return false;
    return std::equal(magic.begin(), magic.end(), bytes.begin());
}

bool textAt(ByteSpan bytes, size_t offset, const char* text) {
    const size_t n = std::strlen(text);
    return bytes.size() >= offset + n && std::memcmp(bytes.data() + offset, text, n) == 0;
}

uint32_t le32(ByteSpan b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

bool isBmp(ByteSpan b) { return textAt(b, 0, "BM") && b.size() >= 26; }
bool isJpeg(ByteSpan b) { return startsWith(b, {0xFF, 0xD8, 0xFF}); }
bool isPng(ByteSpan b) { return startsWith(b, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}); }
bool isTiff(ByteSpan b) {
    return startsWith(b, {'I', 'I', 42, 0}) || startsWith(b, {'M', 'M', 0, 42}) ||
           startsWith(b, {'I', 'I', 43, 0}) || startsWith(b, {'M', 'M', 0, 43});
}
// Placeable metafiles start with their key; plain ones with a header of type 1 or 2
// and a header size of 9 words.
bool isWindowsMetafile(ByteSpan b) {
    return startsWith(b, {0xD7, 0xCD, 0xC6, 0x9A}) || startsWith(b, {1, 0, 9, 0}) || startsWith(b, {2, 0, 9, 0});
}
// EMR_HEADER (type 1) whose signature field reads " EMF".
bool isEnhancedMetafile(ByteSpan b) { return b.size() >= 44 && le32(b, 0) == 1 && textAt(b, 40, " EMF"); }
bool isPsd(ByteSpan b) { return textAt(b, 0, "8BPS"); }
bool isGif(ByteSpan b) { return textAt(b, 0, "GIF87a") || textAt(b, 0, "GIF89a"); }
bool isWebP(ByteSpan b) { return textAt(b, 0, "RIFF") && textAt(b, 8, "WEBP"); }
bool isPcx(ByteSpan b) {
    return b.size() >= 128 && b[0] == 0x0A && b[1] <= 5 && b[2] <= 1 &&
           (b[3] == 1 || b[3] == 2 || b[3] == 4 || b[3] == 8);
}
bool isTga(ByteSpan b) {
    if (b.size() < 18) return false;
    const uint8_t colourMapType = b[1];
    const uint8_t imageType = b[2];
    const uint8_t depth = b[16];
    const bool knownType = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                           imageType == 10 || imageType == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    const uint16_t width = static_cast<uint16_t>(b[12] | b[13] << 8);
    const uint16_t height = static_cast<uint16_t>(b[14] | b[15] << 8);
    return colourMapType <= 1 && knownType && knownDepth && width > 0 && height > 0;
}

struct Signature {
    FileType type;
    bool (*matches)(ByteSpan);
};

// Specific signatures first; the signature-less TGA last.
constexpr std::array kSignatures{
    Signature{FileType::Png, isPng},
    Signature{FileType::Jpeg, isJpeg},
    Signature{FileType::Gif, isGif},
    Signature{FileType::Tiff, isTiff},
    Signature{FileType::Psd, isPsd},
    Signature{FileType::WebP, isWebP},
    Signature{FileType::EnhancedMetafile, isEnhancedMetafile},
    Signature{FileType::WindowsMetafile, isWindowsMetafile},
    Signature{FileType::Bmp, isBmp},
    Signature{FileType::Pcx, isPcx},
    Signature{FileType::Tga, isTga},
};

}  // namespace

FileType guessFileType(ByteSpan bytes) noexcept {
    for (const auto& signature : kSignatures)
        if (signature.matches(bytes)) return signature.type;
    return FileType::Unknown;
}

}  // namespace dro::codecs
