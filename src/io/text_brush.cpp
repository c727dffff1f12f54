#include "io/text_brush.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "brush/premultiply.h"
#include "imaging/lib/codecs/png_codec.h"
#include "imaging/lib/text.h"
#include "io/fonts.h"
#include "io/output_file.h"

namespace dro {
namespace {

constexpr double kClipDotsPerMetre = 3937.0;  // 100 dpi

// The characters of a UTF-8 text, each as its own string.
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0xC2 && c < 0xF8) length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        bool valid = i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (!valid) length = 1;
        out.push_back(text.substr(i, length));
        i += length;
    }
    return out;
}

}  // namespace

void buildTextBrushClips(int32_t red, int32_t green, int32_t blue, const char* text, const char* folder) {
    if (!text || !*text) return;
    if (!folder) throw std::invalid_argument("no folder");
    const platform::FontFace& font = fontState().textBrushFont;
    const uint32_t colour = static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
                            static_cast<uint32_t>(blue & 0xFF) << 16 | 0xFFu << 24;
    int32_t cellWidth = 0, cellHeight = 0;
    if (!is5_GetTextLineSize2("W", font, &cellWidth, &cellHeight)) throw std::runtime_error("no font");
    cellWidth += cellWidth / 2;
    const auto glyphs = characters(text);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        int32_t w = 0, h = 0;
        if (!is5_GetTextLineSize2(glyphs[i].c_str(), font, &w, &h)) throw std::runtime_error("no font");
        // Every clip is at least a cell wide and high, so a brush made of them is even.
        w = std::max({w, cellWidth, 1});
        h = std::max({h, cellHeight, 1});
        std::vector<uint8_t> block(static_cast<size_t>(w) * h * 4, 0);
        premultiplyRgba32(block.data(), w, h);
        is5_DrawSmoothTextOnRGBA2(block.data(), w, h, w * 4, glyphs[i].c_str(), font, kTextModePremultiplied, 0, 0,
                                  w, h, colour);
        unpremultiplyRgba32(block.data(), w, h);
        const std::string name =
            std::string(folder) + platform::pathSeparator() + "clip" + std::to_string(i) + ".png";
        OutputFile file(name.c_str());
        if (!file.isOpen() ||
            !file.commit(codecs::writePng(file.dest(), block.data(), w, h, 4, {kClipDotsPerMetre, kClipDotsPerMetre, 1})))
            throw std::runtime_error("clip not written");
    }
}

}  // namespace dro
