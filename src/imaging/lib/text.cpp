#include "imaging/lib/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace {

using dro::platform::FontFace;

constexpr int32_t kDefaultPixelHeight = 16;

struct LibraryCloser {
    void operator()(FT_Library library) const noexcept { FT_Done_FreeType(library); }
};
struct FaceCloser {
    void operator()(FT_Face face) const noexcept { FT_Done_Face(face); }
};

// One FreeType library and face for the duration of a call.
struct LoadedFont {
    std::unique_ptr<FT_LibraryRec_, LibraryCloser> library;
    std::unique_ptr<FT_FaceRec_, FaceCloser> face;
    int32_t ascender = 0;
    int32_t lineHeight = 0;
};

bool loadFont(const FontFace& description, LoadedFont& font) {
    char path[4096];
    if (!dro::platform::fontFilePath(description, path, sizeof path)) return false;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    font.library.reset(library);
    FT_Face face = nullptr;
    if (FT_New_Face(library, path, 0, &face) != 0) return false;
    font.face.reset(face);
    const int32_t pixels = description.height != 0 ? std::abs(description.height) : kDefaultPixelHeight;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) return false;
    font.ascender = static_cast<int32_t>(face->size->metrics.ascender >> 6);
    font.lineHeight = static_cast<int32_t>(face->size->metrics.height >> 6);
    return true;
}

std::vector<char32_t> decode(const char* text) {
    std::vector<char32_t> out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        const unsigned char c = *p;
        const int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        bool valid = c >= 0x80 ? extra > 0 : true;
        for (int i = 1; valid && i <= extra; ++i) valid = (p[i] & 0xC0) == 0x80;
        if (!valid || extra == 0) {
            out.push_back(c);  // ASCII, or a Latin-1 byte
            ++p;
            continue;
        }
        char32_t code = c & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) code = code << 6 | (p[i] & 0x3F);
        out.push_back(code);
        p += extra + 1;
    }
    return out;
}

// Lays coverage over one pixel. Plain: straight colour, "over". Premultiplied: the
// block's colour is premultiplied and stays so.
void blendPixel(uint8_t* px, const uint8_t colour[4], uint32_t coverage, bool premultiplied) {
    const uint32_t k = coverage * colour[3] / 255;
    if (k == 0) return;
    const uint32_t keep = 255 - k;
    const uint32_t alpha = k + (px[3] * keep + 127) / 255;
    for (int c = 0; c < 3; ++c) {
        if (premultiplied) {
            px[c] = static_cast<uint8_t>((colour[c] * k + px[c] * keep + 127) / 255);
        } else {
            const uint32_t mixed = colour[c] * k + (px[c] * px[3] * keep + 127) / 255;
            px[c] = static_cast<uint8_t>(std::min<uint32_t>(255, (mixed + alpha / 2) / alpha));
        }
    }
    px[3] = static_cast<uint8_t>(alpha);
}

}  // namespace

bool is5_GetTextLineSize2(const char* text, const FontFace& description, int32_t* width, int32_t* height) {
    if (!text) return false;
    LoadedFont font;
    if (!loadFont(description, font)) return false;
    int32_t widest = 0, line = 0, lines = 1;
    for (char32_t code : decode(text)) {
        if (code == U'\n') {
            widest = std::max(widest, line);
            line = 0;
            ++lines;
            continue;
        }
        if (FT_Load_Char(font.face.get(), code, FT_LOAD_DEFAULT) == 0)
            line += static_cast<int32_t>(font.face->glyph->advance.x >> 6);
    }
    if (width) *width = std::max(widest, line);
    if (height) *height = font.lineHeight * lines;
    return true;
}

bool is5_DrawSmoothTextOnRGBA2(uint8_t* block, int32_t width, int32_t height, int32_t stride, const char* text,
                               const FontFace& description, int32_t mode, int32_t left, int32_t top, int32_t right,
                               int32_t bottom, uint32_t colour) {
    if (!block || !text || width <= 0 || height <= 0 || stride < width * 4) return false;
    LoadedFont font;
    if (!loadFont(description, font)) return false;
    const uint8_t rgba[4] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                             static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 24)};
    const bool premultiplied = mode == kTextModePremultiplied;
    const int32_t clipLeft = std::max(left, 0), clipTop = std::max(top, 0);
    const int32_t clipRight = std::min(right, width), clipBottom = std::min(bottom, height);
    int32_t penX = left;
    int32_t baseline = top + font.ascender;
    for (char32_t code : decode(text)) {
        if (code == U'\n') {
            penX = left;
            baseline += font.lineHeight;
            continue;
        }
        if (FT_Load_Char(font.face.get(), code, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot glyph = font.face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const int32_t originX = penX + glyph->bitmap_left;
        const int32_t originY = baseline - glyph->bitmap_top;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
            for (int32_t row = 0; row < static_cast<int32_t>(bitmap.rows); ++row) {
                const int32_t y = originY + row;
                if (y < clipTop || y >= clipBottom) continue;
                const unsigned char* coverage = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
                for (int32_t column = 0; column < static_cast<int32_t>(bitmap.width); ++column) {
                    const int32_t x = originX + column;
                    if (x < clipLeft || x >= clipRight || coverage[column] == 0) continue;
                    blendPixel(block + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * 4, rgba,
                               coverage[column], premultiplied);
                }
            }
        penX += static_cast<int32_t>(glyph->advance.x >> 6);
    }
    return true;
}
