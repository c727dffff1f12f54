// Fonts through fontconfig. Linux has no font dialog a library can show without the
// host's toolkit, so the "dialog" takes the default face fontconfig finds.
#include <fontconfig/fontconfig.h>

#include <cstring>

#include "platform/platform.h"

namespace dro::platform {
namespace {

constexpr uint32_t kNoFonts = 0x2001;  // CFERR_NOFONTS
constexpr int32_t kDefaultHeight = 16;

// fontconfig weights for the usual 100..900 scale.
int fontconfigWeight(int32_t weight) {
    return weight <= 0 ? FC_WEIGHT_NORMAL : FcWeightFromOpenType(weight);
}

FcPattern* matchFace(const char* name, int32_t weight, bool italic) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name && *name ? name : "sans-serif"));
    if (!pattern) return nullptr;
    FcPatternAddInteger(pattern, FC_WEIGHT, fontconfigWeight(weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    return match;
}

bool copyString(const FcChar8* text, char* out, std::size_t capacity) {
    if (!text) return false;
    const std::size_t length = std::strlen(reinterpret_cast<const char*>(text));
    if (length + 1 > capacity) return false;
    std::memcpy(out, text, length + 1);
    return true;
}

}  // namespace

int32_t chooseFontDialog(void* /*owner*/, FontFace& face, bool /*startFromFace*/, uint32_t* dialogError) noexcept {
    if (dialogError) *dialogError = 0;
    FcPattern* match = FcInit() ? matchFace(nullptr, 0, false) : nullptr;
    FcChar8* family = nullptr;
    FontFace chosen;
    const bool found = match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                       std::strlen(reinterpret_cast<const char*>(family)) < sizeof chosen.name &&
                       copyString(family, chosen.name, sizeof chosen.name);
    if (match) FcPatternDestroy(match);
    if (!found) {
        if (dialogError) *dialogError = kNoFonts;
        return 0;
    }
    chosen.height = face.height > 0 ? face.height : kDefaultHeight;
    face = chosen;
    return 1;
}

bool fontFilePath(const FontFace& face, char* path, std::size_t capacity) noexcept {
    if (!path || capacity == 0 || !FcInit()) return false;
    FcPattern* match = matchFace(face.name, face.weight, face.italic != 0);
    if (!match) return false;
    FcChar8* file = nullptr;
    const bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && copyString(file, path, capacity);
    FcPatternDestroy(match);
    return ok;
}

}  // namespace dro::platform
