// Random scripts and random arguments into every function a script can reach: the
// engine must neither crash nor leave a run half-finished.
#include <random>

#include "script/script_fixture.h"
#include "script/script_recorder.h"

namespace {

const char* const kValues[] = {
    "0", "1", "-1", "0.5", "2", "1e308", "-1e308", "0/0", "1/0", "-1/0", "2^31", "-2^63", "'x'", "'1e3'", "nil",
    "false", "true", "{}", "print", "string.rep('z', 3000)", "-0.25", "width", "height", "width + 3", "-2",
};

const char* const kFunctions[] = {
    "get_value", "set_value", "get_rgb", "set_rgb", "get_alpha", "set_alpha", "get_rgba", "set_rgba", "get_hsv",
    "set_hsv", "get_hsl", "set_hsl", "get_lab", "set_lab", "get_cmyk", "set_cmyk", "get_mask", "set_mask",
    "get_color", "get_color1", "get_color2", "get_color3", "get_color4", "flush", "merge", "single_buffer",
    "progress", "message_box", "is_escape", "bit_not", "bit_and", "bit_or", "bit_xor", "bit_shfr", "bit_shfl",
    "paint_open", "paint_close", "paint_stroke_start", "paint_stroke_stop", "paint_stroke_pos",
    "paint_select_brush", "paint_brush_color", "paint_set_color_banks", "paint_filter", "paint_flood_fill",
    "paint_gradient", "paint_text", "paint_rotate_brush",
};

std::string randomCalls(std::mt19937& rng, int calls) {
    auto pick = [&](size_t n) { return rng() % n; };
    std::string out;
    for (int i = 0; i < calls; ++i) {
        out += kFunctions[pick(std::size(kFunctions))];
        out += "(";
        const size_t args = pick(22);
        for (size_t a = 0; a < args; ++a) {
            if (a) out += ", ";
            out += kValues[pick(std::size(kValues))];
        }
        out += ")\n";
    }
    return out;
}

class ScriptFuzzTest : public ScriptTest, public testing::WithParamInterface<bool> {};

}  // namespace

TEST_P(ScriptFuzzTest, RandomCallsNeverCrashAndEachRunEndsClean) {
    dro::testhooks::useFastPixelFunctions(GetParam());
    std::mt19937 rng(GetParam() ? 1234 : 4321);
    const int sizes[][2] = {{1, 1}, {3, 2}, {17, 5}, {2, 9}};
    for (int round = 0; round < 24; ++round) {
        const auto& s = sizes[round % 4];
        openImage(s[0], s[1], randomRGBA32(s[0], s[1], round));
        messages().clear();
        const bool failing = round % 3 == 0;
        run(randomCalls(rng, 120) + (failing ? "error('planned')\n" : ""));
        EXPECT_FALSE(dro::paintFileOpen());
        EXPECT_EQ(dro::scriptState().view.source, nullptr);
        // Only the planned failure is reported; message_box calls add their own boxes.
        int errors = 0;
        for (const auto& m : messages()) errors += m.caption == "Lua Script Error";
        EXPECT_EQ(errors, failing ? 1 : 0) << (errors ? messages().back().text : "");
        DRO_DeleteImage();
    }
}

TEST_P(ScriptFuzzTest, GarbageScriptsAreLoadOrRunErrors) {
    dro::testhooks::useFastPixelFunctions(GetParam());
    std::mt19937 rng(99);
    openImage(5, 4, randomRGBA32(5, 4, 1));
    const auto before = layerPixels(1, 5, 4);
    const std::string alphabet = "()[]{}=+-*/%^#<>~.,;:'\"\\ \n\tabcdefxyz0123456789_";
    for (int round = 0; round < 40; ++round) {
        std::string text = round % 2 ? "local q = 1\n" : "";
        const size_t length = 1 + rng() % 200;
        for (size_t i = 0; i < length; ++i) {
            text += round % 4 == 3 ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
        }
        messages().clear();
        run(text);
        ASSERT_LE(messages().size(), 1u);
        if (!messages().empty()) EXPECT_EQ(messages()[0].caption, "Lua Script Error");
    }
    // A script that fails to load or run leaves the layer as it was.
    EXPECT_EQ(layerPixels(1, 5, 4), before);
}

INSTANTIATE_TEST_SUITE_P(PlainAndFast, ScriptFuzzTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Fast" : "Plain"; });
