#include "io/fonts.h"

#include <array>
#include <cstring>

#include "core/canvas.h"
#include "core/last_error.h"

namespace dro {
namespace {

struct DialogErrorText {
    uint32_t code;
    const char* text;
};
constexpr std::array<DialogErrorText, 10> kDialogErrors{{
    {2, "Font Err: CDERR_INITIALIZATION"},
    {5, "Font Err: CDERR_LOADSTRFAILURE"},
    {6, "Font Err: CDERR_FINDRESFAILURE"},
    {7, "Font Err: CDERR_LOADRESFAILURE"},
    {8, "Font Err: CDERR_LOCKRESFAILURE"},
    {9, "Font Err: CDERR_MEMALLOCFAILURE"},
    {10, "Font Err: CDERR_MEMLOCKFAILURE"},
    {0x2001, "Font Err: CFERR_NOFONTS"},
    {0x2002, "Font Err: CFERR_MAXLESSTHANMIN"},
    {0xFFFF, "Font Err: CDERR_DIALOGFAILURE"},
}};

const char* dialogErrorText(uint32_t code) noexcept {
    for (const auto& entry : kDialogErrors)
        if (entry.code == code) return entry.text;
    return "Font Err: Other Error";
}

}  // namespace

// A face the host set (DRO_SetFontFace) is its own picker's answer: taken without the
// system's dialog, which a host with its own font UI must not get.
int32_t chooseFontFor(platform::FontFace& description) {
    FontState& state = fontState();
    if (state.hostChoice.name[0]) {
        description = state.hostChoice;
        return 1;
    }
    void* owner = canvas().hostWindow;
    uint32_t error = 0;
    if (const int32_t chosen = platform::chooseFontDialog(owner, description, true, &error)) return chosen;
    if (error == 0) return 0;  // cancelled
    setLastError(dialogErrorText(error));
    description = platform::FontFace{};
    return platform::chooseFontDialog(owner, description, false, &error);
}

void setHostFontFace(const char* face, int32_t pixelHeight, int32_t weight, uint8_t italic) noexcept {
    FontState& state = fontState();
    state.hostChoice = platform::FontFace{};
    if (!face) return;
    std::strncpy(state.hostChoice.name, face, sizeof state.hostChoice.name - 1);
    state.hostChoice.height = pixelHeight;
    state.hostChoice.weight = weight;
    state.hostChoice.italic = italic;
}

}  // namespace dro
