#include <gtest/gtest.h>

#include <vector>

#include "imaging/lib/codecs/file_type.h"

namespace {

using dro::codecs::FileType;
using dro::codecs::guessFileType;

std::vector<uint8_t> bytesOf(std::initializer_list<int> head, size_t size = 160) {
    std::vector<uint8_t> bytes(size, 0);
    size_t i = 0;
    for (int b : head) bytes[i++] = static_cast<uint8_t>(b);
    return bytes;
}

TEST(FileType, RecognisesEachSignature) {
    EXPECT_EQ(guessFileType(bytesOf({0x89, 'P', 'N', 'G', 13, 10, 26, 10})), FileType::Png);
    EXPECT_EQ(guessFileType(bytesOf({0xFF, 0xD8, 0xFF, 0xE0})), FileType::Jpeg);
    EXPECT_EQ(guessFileType(bytesOf({'B', 'M'})), FileType::Bmp);
    EXPECT_EQ(guessFileType(bytesOf({'I', 'I', 42, 0})), FileType::Tiff);
    EXPECT_EQ(guessFileType(bytesOf({'M', 'M', 0, 42})), FileType::Tiff);
    EXPECT_EQ(guessFileType(bytesOf({'8', 'B', 'P', 'S'})), FileType::Psd);
    EXPECT_EQ(guessFileType(bytesOf({'G', 'I', 'F', '8', '9', 'a'})), FileType::Gif);
    EXPECT_EQ(guessFileType(bytesOf({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'})), FileType::WebP);
    EXPECT_EQ(guessFileType(bytesOf({0xD7, 0xCD, 0xC6, 0x9A})), FileType::WindowsMetafile);
    EXPECT_EQ(guessFileType(bytesOf({1, 0, 9, 0})), FileType::WindowsMetafile);
    EXPECT_EQ(guessFileType(bytesOf({0x0A, 5, 1, 8})), FileType::Pcx);

    auto emf = bytesOf({1, 0, 0, 0});
    emf[40] = ' ';
    emf[41] = 'E';
    emf[42] = 'M';
    emf[43] = 'F';
    EXPECT_EQ(guessFileType(emf), FileType::EnhancedMetafile);

    // An uncompressed true-colour TGA header: no signature, only legal fields.
    auto tga = bytesOf({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 3, 0, 32, 8});
    EXPECT_EQ(guessFileType(tga), FileType::Tga);
}

TEST(FileType, ShortOrUnknownBytesAreUnknown) {
    EXPECT_EQ(guessFileType({}), FileType::Unknown);
    EXPECT_EQ(guessFileType(bytesOf({0x89, 'P'}, 2)), FileType::Unknown);
    EXPECT_EQ(guessFileType(bytesOf({'B'}, 1)), FileType::Unknown);
    EXPECT_EQ(guessFileType(bytesOf({'h', 'e', 'l', 'l', 'o'}, 5)), FileType::Unknown);
    // A TGA-like header with an impossible pixel depth.
    EXPECT_EQ(guessFileType(bytesOf({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 3, 0, 13, 8})), FileType::Unknown);
}

}  // namespace
