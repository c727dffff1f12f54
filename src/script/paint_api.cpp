// The paint functions of filter scripts. They paint nothing: each appends its
// command and arguments to the paint script file for the host to replay.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

#include "script/script_functions.h"
#include "script/script_recorder.h"

namespace dro::script {
namespace {

// One argument as text. Numbers are written as Lua 5.1 prints them ("%.14g"),
// strings as they are, anything else (nil, a table, a missing argument) as nothing.
class ArgumentText {
public:
    void fromArgument(lua_State* L, int index) {
        if (lua_type(L, index) == LUA_TNUMBER) {
            setLength(std::snprintf(buffer_.data(), buffer_.size(), "%.14g", lua_tonumber(L, index)));
        } else if (lua_type(L, index) == LUA_TSTRING) {
            text_ = lua_tolstring(L, index, &length_);
        }
    }

    // A colour component 0..1 written as trunc(v x 255) in decimal.
    void fromColour(lua_State* L, int index) {
        if (!lua_isnumber(L, index)) return;
        const double byte = std::trunc(lua_tonumber(L, index) * 255.0) + 0.0;  // no "-0"
        setLength(std::snprintf(buffer_.data(), buffer_.size(), "%.0f", byte));
    }

    void write() const { writePaintLine(text_, length_); }

private:
    void setLength(int written) {
        text_ = buffer_.data();
        length_ = written > 0 ? std::min(static_cast<size_t>(written), buffer_.size() - 1) : 0;
    }

    std::array<char, 320> buffer_{};  // the widest double printed whole
    const char* text_ = nullptr;
    size_t length_ = 0;
};

constexpr int kMostArguments = 20;
using Arguments = std::array<ArgumentText, kMostArguments>;

void writeLines(std::initializer_list<const char*> lines) {
    for (const char* line : lines) writePaintLine(line);
}

// A keyword line, then the first `count` arguments one line each; false (nothing
// written) while no paint file is open.
bool writeCommand(const char* keyword, const Arguments& text, int count) {
    if (!paintFileOpen()) return false;
    writePaintLine(keyword);
    for (int i = 0; i < count; ++i) text[i].write();
    return true;
}

// A keyword followed by its arguments, one line each.
struct PaintCommand {
    const char* function;
    const char* keyword;
    int arguments;
};

inline constexpr PaintCommand kCommands[] = {
    {"paint_select_brush", "SelectBrush", 3},
    {"paint_brush_size", "SetBrushSize", 1},
    {"paint_brush_density", "SetBrushDensity", 1},
    {"paint_brush_opacity", "SetBrushOpacity", 1},
    {"paint_line", "Line2", 4},
    {"paint_spline", "Spline", 8},
    {"paint_dab", "Dab", 3},
    {"paint_filter", "Filter", 20},
    {"paint_buffer_from_layer", "BufferFromLayer", 1},
    {"paint_buffer_to_layer", "BufferToLayer", 1},
    {"paint_buffer_copy", "BufferCopy", 2},
    {"paint_buffer_clear", "BufferClear", 1},
    {"paint_buffer_merge_layer", "BufferMergeLayer", 3},
    {"paint_buffer_from_mask", "BufferFromMask", 1},
    {"paint_buffer_to_mask", "BufferToMask", 1},
    {"paint_flip_horizontal", "ImageFlipHorizontal", 0},
    {"paint_flip_vertical", "ImageFlipVertical", 0},
    {"paint_clear_page", "ClearPage", 0},
    {"paint_fill_page", "FillPage", 0},
    {"paint_set_page", "SetPage", 4},
    {"paint_mask_on", "MaskOn", 1},
    {"paint_mask_clear", "MaskClear", 0},
    {"paint_mask_invert", "MaskInvert", 0},
    {"paint_create_from_mask", "ImageCreateFromMask", 0},
    {"paint_alpha_create_from_mask", "AlphaCreateFromMask", 0},
    {"paint_mask_create_from_image", "MaskCreateFromImage", 0},
    {"paint_mask_create_from_image_luma", "MaskCreateFromImageLuma", 0},
    {"paint_mask_create_from_alpha", "MaskCreateFromAlpha", 0},
    {"paint_flood_fill", "Flood Fill", 7},
    {"paint_rectangle", "Rectangle", 8},
    {"paint_ellipse", "Ellipse", 8},
    {"paint_text", "Text", 10},
    {"paint_gradient", "Gradient", 18},
    {"paint_mask_ellipse", "MaskEllipse", 5},
    {"paint_mask_rectangle", "MaskRectangle", 5},
    {"paint_mask_wand", "MaskWand", 5},
    {"paint_copy", "CopyTool", 4},
    {"paint_paste", "PasteTool2", 5},
    {"paint_warp", "Warp", 6},
    {"paint_rotate_brush", "RotateBrush", 4},
};
constexpr int kCommandCount = static_cast<int>(std::size(kCommands));
static_assert(kCommandCount == 40);

template <int Index>
int recordCommand(lua_State* L) {
    constexpr PaintCommand command = kCommands[Index];
    static_assert(command.arguments <= kMostArguments);
    Arguments text;
    for (int i = 0; i < command.arguments; ++i) text[i].fromArgument(L, i + 1);
    writeCommand(command.keyword, text, command.arguments);
    return 0;
}

int paintOpen(lua_State* L) {
    ArgumentText seed;
    seed.fromArgument(L, 1);
    if (!openPaintFile()) return 0;
    writeLines({"1554", "Description", "1", " ", "RandomSeed"});
    seed.write();
    return 0;
}

int paintClose(lua_State*) {
    if (!paintFileOpen()) return 0;
    writePaintLine("ScriptEnd");
    closePaintFile();
    return 0;
}

int strokeStart(lua_State* L) {
    Arguments text;
    for (int i = 0; i < 2; ++i) text[i].fromArgument(L, i + 1);
    if (writeCommand("DrawStart", text, 2)) writeLines({"-1", "SmoothPlot2", "0", "0", "0", "1", "0"});
    return 0;
}

int strokeStop(lua_State*) {
    writeLines({"SmoothPlot2", "0", "0", "0", "0", "1", "DrawStop", "1"});
    return 0;
}

int strokePos(lua_State* L) {
    Arguments text;
    for (int i = 0; i < 3; ++i) text[i].fromArgument(L, i + 1);
    if (writeCommand("SmoothPlot2", text, 3)) writeLines({"0", "0"});
    return 0;
}

int brushColor(lua_State* L) {
    Arguments text;
    for (int i = 0; i < 3; ++i) text[i].fromColour(L, i + 1);
    writeCommand("SetColor", text, 3);
    return 0;
}

int setColorBanks(lua_State* L) {
    Arguments text;
    text[0].fromArgument(L, 1);
    for (int i = 1; i <= 12; ++i) text[i].fromColour(L, i + 1);
    writeCommand("SetColorBanks", text, 13);
    return 0;
}

template <int... I>
constexpr std::array<luaL_Reg, sizeof...(I)> commandFunctions(std::integer_sequence<int, I...>) {
    return {{{kCommands[I].function, recordCommand<I>}...}};
}

// Registration order: the file and stroke functions, the brush settings, the
// colours, then the rest of the commands in table order.
constexpr std::array<luaL_Reg, kCommandCount + 7> buildRegistrations() {
    constexpr auto commands = commandFunctions(std::make_integer_sequence<int, kCommandCount>{});
    std::array<luaL_Reg, kCommandCount + 7> out{};
    size_t n = 0;
    out[n++] = {"paint_open", paintOpen};
    out[n++] = {"paint_close", paintClose};
    out[n++] = {"paint_stroke_start", strokeStart};
    out[n++] = {"paint_stroke_stop", strokeStop};
    out[n++] = {"paint_stroke_pos", strokePos};
    for (int i = 0; i < 4; ++i) out[n++] = commands[static_cast<size_t>(i)];  // select_brush … brush_opacity
    out[n++] = {"paint_brush_color", brushColor};
    out[n++] = {"paint_set_color_banks", setColorBanks};
    for (int i = 4; i < kCommandCount; ++i) out[n++] = commands[static_cast<size_t>(i)];
    return out;
}

}  // namespace

std::span<const luaL_Reg> paintFunctions() noexcept {
    static constexpr auto kRegistrations = buildRegistrations();
    return kRegistrations;
}

}  // namespace dro::script
