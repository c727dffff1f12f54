// The pixel functions of filter scripts over the IPL source and destination: channel
// values 0..1, colour models, the selection mask, the tool colours, and the calls
// that write into the layer ("flush", "merge").
#include <algorithm>
#include <cstring>

#include "core/mask_texture_adjust.h"
#include "brush/tool_settings.h"
#include "composite/layer_merge.h"
#include "core/canvas.h"
#include "core/transfer_load.h"
#include "core/transfer_read.h"
#include "imaging/color/color_conversions.h"
#include "platform/platform.h"
#include "script/pixel_rules.h"
#include "script/script_functions.h"
#include "script/script_state.h"

namespace dro::script {
namespace {

struct Pixel {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

double arg(lua_State* L, int index) { return lua_tonumber(L, index); }

// Every pixel call counts towards the next look at the Escape key.
void checkStop(lua_State* L) {
    if (stopRequestedSometimes()) raiseStopped(L);
}

// The pixel a get function sees; black with alpha 0 off the image.
Pixel readPixel(lua_State* L) {
    const ScriptState& s = scriptState();
    const uint8_t* block = readBlock(s);
    const std::ptrdiff_t at = rgbaOffset(arg(L, 1), arg(L, 2), s.view.width, s.view.height);
    if (!block || at < 0) return {};
    return {block[at], block[at + 1], block[at + 2], block[at + 3]};
}

// The destination pixel a set function writes, or null off the image.
uint8_t* writePixel(lua_State* L) {
    const ScriptState& s = scriptState();
    const std::ptrdiff_t at = rgbaOffset(arg(L, 1), arg(L, 2), s.view.width, s.view.height);
    if (!s.view.destination || at < 0) return nullptr;
    return s.view.destination + at;
}

void storeRgb(uint8_t* p, color::Rgb8 rgb) {
    p[0] = static_cast<uint8_t>(std::clamp(rgb.r, 0, 255));
    p[1] = static_cast<uint8_t>(std::clamp(rgb.g, 0, 255));
    p[2] = static_cast<uint8_t>(std::clamp(rgb.b, 0, 255));
}

// Held to lo..hi; NaN becomes lo.
double clampTo(double v, double lo, double hi) { return v > lo ? (v < hi ? v : hi) : lo; }

int pushNumbers(lua_State* L, std::initializer_list<double> values) {
    for (double v : values) lua_pushnumber(L, v);
    return static_cast<int>(values.size());
}

int getValue(lua_State* L) {
    checkStop(L);
    const Pixel p = readPixel(L);
    return pushNumbers(L, {static_cast<double>(p.r + p.g + p.b) / 255.0 * (1.0 / 3.0)});
}

int setValue(lua_State* L) {
    checkStop(L);
    if (uint8_t* p = writePixel(L)) p[0] = p[1] = p[2] = byteFromUnit(arg(L, 3));
    return 0;
}

int getRgb(lua_State* L) {
    checkStop(L);
    const Pixel p = readPixel(L);
    return pushNumbers(L, {unitFromByte(p.r), unitFromByte(p.g), unitFromByte(p.b)});
}

int setRgb(lua_State* L) {
    checkStop(L);
    if (uint8_t* p = writePixel(L)) {
        p[0] = byteFromUnit(arg(L, 3));
        p[1] = byteFromUnit(arg(L, 4));
        p[2] = byteFromUnit(arg(L, 5));
    }
    return 0;
}

int getAlpha(lua_State* L) {
    checkStop(L);
    return pushNumbers(L, {unitFromByte(readPixel(L).a)});
}

int setAlpha(lua_State* L) {
    checkStop(L);
    if (uint8_t* p = writePixel(L)) p[3] = byteFromUnit(arg(L, 3));
    return 0;
}

int getRgba(lua_State* L) {
    checkStop(L);
    const Pixel p = readPixel(L);
    return pushNumbers(L, {unitFromByte(p.r), unitFromByte(p.g), unitFromByte(p.b), unitFromByte(p.a)});
}

int setRgba(lua_State* L) {
    checkStop(L);
    if (uint8_t* p = writePixel(L)) {
        for (int i = 0; i < 4; ++i) p[i] = byteFromUnit(arg(L, 3 + i));
    }
    return 0;
}

color::Rgb8 rgbOf(const Pixel& p) { return {p.r, p.g, p.b}; }

// The hue-based models (HSV, HSL) read as three numbers; a set call takes arguments 3
// to 5, hue clamped to 0..359 and the other two to 0..1.
template <auto FromRgb>
int getHueModel(lua_State* L) {
    checkStop(L);
    const auto [hue, saturation, third] = FromRgb(rgbOf(readPixel(L)));
    return pushNumbers(L, {hue, saturation, third});
}

template <class HueColour, auto ToRgb>
int setHueModel(lua_State* L) {
    checkStop(L);
    const HueColour c{clampTo(arg(L, 3), 0.0, 359.0), clampTo(arg(L, 4), 0.0, 1.0), clampTo(arg(L, 5), 0.0, 1.0)};
    if (uint8_t* p = writePixel(L)) storeRgb(p, ToRgb(c));
    return 0;
}

int getLab(lua_State* L) {
    checkStop(L);
    const color::Lab lab = color::xyzToLab(color::rgbToXyz(rgbOf(readPixel(L))));
    return pushNumbers(L, {lab.l, lab.a, lab.b});
}

int setLab(lua_State* L) {
    checkStop(L);
    if (uint8_t* p = writePixel(L)) storeRgb(p, color::labToRgb({arg(L, 3), arg(L, 4), arg(L, 5)}));
    return 0;
}

int getCmyk(lua_State* L) {
    checkStop(L);
    const Pixel p = readPixel(L);
    const color::Cmyk k = color::cmyToCmyk(1.0 - p.r / 255.0, 1.0 - p.g / 255.0, 1.0 - p.b / 255.0);
    return pushNumbers(L, {k.c, k.m, k.y, k.k});
}

// The arguments are not clamped, so the bytes can fall outside 0..255: they are
// held there rather than wrapped into an unrelated colour.
int setCmyk(lua_State* L) {
    checkStop(L);
    if (uint8_t* p = writePixel(L)) storeRgb(p, color::cmykToRgb({arg(L, 3), arg(L, 4), arg(L, 5), arg(L, 6)}));
    return 0;
}

int getMask(lua_State* L) {
    checkStop(L);
    const ScriptView& v = scriptState().view;
    const std::ptrdiff_t at = planeIndex(arg(L, 1), arg(L, 2), v.width, v.height);
    return pushNumbers(L, {v.mask && at >= 0 ? v.mask[at] / 65535.0 : 0.0});
}

int setMask(lua_State* L) {
    checkStop(L);
    const ScriptView& v = scriptState().view;
    const std::ptrdiff_t at = planeIndex(arg(L, 1), arg(L, 2), v.width, v.height);
    if (v.mask && at >= 0) v.mask[at] = maskFromUnit(arg(L, 3));
    return 0;
}

int pushColour(lua_State* L, uint16_t r, uint16_t g, uint16_t b) {
    return pushNumbers(L, {(r >> 8) / 255.0, (g >> 8) / 255.0, (b >> 8) / 255.0});
}

int getColor(lua_State* L) {
    const auto& c = toolSettings().color;
    return pushColour(L, c[0], c[1], c[2]);
}

// Bank k of the tool settings' colour banks, stored by channel (all reds first).
template <int Bank>
int getColorBank(lua_State* L) {
    const auto& banks = toolSettings().colorBanks;
    return pushColour(L, banks[0][Bank], banks[1][Bank], banks[2][Bank]);
}

// Each call of the slow functions looks at the key: a loop of them is slow per turn.
void checkStopNow(lua_State* L) {
    if (stopRequested()) raiseStopped(L);
}

// The whole destination into the current layer through the mask; the source follows.
int flush(lua_State* L) {
    checkStopNow(L);
    const ScriptView& v = scriptState().view;
    if (!v.source || !v.destination) return 0;
    try {
        const int32_t layer = canvas().currentLayer;
        if (const LayerSlot* slot = filledCurrentSlot()) {
            loadRGBA32Layer(v.destination, v.width * 4, layer, 0, 0, slot->width, slot->height, true);
        }
    } catch (...) {
        // The layer keeps what was written; the script carries on as after a flush.
    }
    std::memcpy(v.source, v.destination, static_cast<size_t>(v.width) * static_cast<size_t>(v.height) * 4);
    return 0;
}

// The destination composited onto the current layer; opacity is all or nothing:
// trunc(opacity) x 255, where anything from 1 up is full and anything below 1 is none.
int merge(lua_State* L) {
    checkStopNow(L);
    const ScriptView& v = scriptState().view;
    if (!v.source || !v.destination) return 0;
    const int32_t mode = clampedInt32(std::trunc(arg(L, 1)));
    const int32_t opacity = std::trunc(arg(L, 2)) >= 1.0 ? 255 : 0;
    try {
        adjustRGBA32RectByMaskAndTexture(v.destination, 0, 0, v.width, v.height);
        if (LayerSlot* slot = filledCurrentSlot()) {
            MergeRGBA32Block(v.destination, *slot, mode, 0, opacity, slot->alphaLocked != 0);
        }
        getRGBA32Layer(v.source, v.width * 4, canvas().currentLayer);
    } catch (...) {
        // As far as the merge got; the source is re-read on the next merge.
    }
    return 0;
}

int singleBuffer(lua_State* L) {
    scriptState().singleBuffer = lua_toboolean(L, 1) ? 1 : 0;
    return 0;
}

int progress(lua_State*) { return 0; }

int messageBox(lua_State* L) {
    const char* text = lua_tostring(L, 1);
    const char* caption = lua_tostring(L, 2);
    platform::messageBox(text ? text : "", caption ? caption : "");
    return 0;
}

int isEscape(lua_State* L) {
    const bool pressed = platform::escapePressed();
    if (pressed) noteEscapeSeen();
    return pushNumbers(L, {pressed ? 1.0 : 0.0});
}

}  // namespace

int bitNot(lua_State* L);
int bitAnd(lua_State* L);
int bitOr(lua_State* L);
int bitXor(lua_State* L);
int bitShiftRight(lua_State* L);
int bitShiftLeft(lua_State* L);

std::span<const luaL_Reg> pixelFunctions() noexcept {
    static constexpr luaL_Reg kFunctions[] = {
        {"get_value", getValue},
        {"set_value", setValue},
        {"get_rgb", getRgb},
        {"set_rgb", setRgb},
        {"get_alpha", getAlpha},
        {"set_alpha", setAlpha},
        {"get_rgba", getRgba},
        {"set_rgba", setRgba},
        {"get_hsv", getHueModel<color::rgbToHsv>},
        {"set_hsv", setHueModel<color::Hsv, color::hsvToRgb>},
        {"get_hsl", getHueModel<color::rgbToHsl>},
        {"set_hsl", setHueModel<color::Hsl, color::hslToRgb>},
        {"get_lab", getLab},
        {"set_lab", setLab},
        {"get_cmyk", getCmyk},
        {"set_cmyk", setCmyk},
        {"get_mask", getMask},
        {"set_mask", setMask},
        {"get_color", getColor},
        {"get_color1", getColorBank<0>},
        {"get_color2", getColorBank<1>},
        {"get_color3", getColorBank<2>},
        {"get_color4", getColorBank<3>},
        {"flush", flush},
        {"merge", merge},
        {"single_buffer", singleBuffer},
        {"progress", progress},
        {"message_box", messageBox},
        {"is_escape", isEscape},
        {"bit_not", bitNot},
        {"bit_and", bitAnd},
        {"bit_or", bitOr},
        {"bit_xor", bitXor},
        {"bit_shfr", bitShiftRight},
        {"bit_shfl", bitShiftLeft},
    };
    return kFunctions;
}

int outputDebugString(lua_State* L) {
    const char* text = lua_tostring(L, 1);
    platform::debugOutput(text ? text : "");
    return 0;
}

}  // namespace dro::script
