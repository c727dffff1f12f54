// The fast pixel functions against the C ones: the same programs, run once each way,
// must leave the same layer, source, mask and results, bit for bit.
#include <random>

#include "core/mask_state.h"
#include "script/script_fixture.h"

namespace {

const char* const kArgumentPool[] = {
    "0", "1", "0.5", "-0.5", "1.5", "-1", "0.999", "0.00196", "2", "3", "0/0", "1/0", "-1/0", "1e300", "-1e300",
    "2^31", "-2^31 - 1", "4294967297", "2^53 + 2", "-7.9", "'0.25'", "'abc'", "'0x10'", "' 12 '", "nil", "true",
    "{}", "255/255", "128/255", "-0.0001", "65537/65535", "1 - 2^-52",
};

const char* const kFunctions[] = {
    "get_value", "set_value", "get_rgb", "set_rgb", "get_alpha", "set_alpha", "get_rgba", "set_rgba",
    "get_hsv", "set_hsv", "get_hsl", "set_hsl", "get_lab", "set_lab", "get_cmyk", "set_cmyk",
    "get_mask", "set_mask", "get_color", "get_color1", "get_color4", "bit_not", "bit_and", "bit_or",
    "bit_xor", "bit_shfr", "bit_shfl",
};

// A random program of calls whose results are all reported; coordinates are mostly
// on the image, sometimes just off it or wild.
std::string randomProgram(uint32_t seed, int calls, int w, int h) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    auto coordinate = [&](int size) -> std::string {
        switch (pick(6)) {
            case 0: return kArgumentPool[pick(std::size(kArgumentPool))];
            case 1: return std::to_string(pick(3) == 0 ? -1 : size);
            case 2: return std::to_string(pick(size)) + ".75";
            default: return std::to_string(pick(size));
        }
    };
    std::string out;
    for (int i = 0; i < calls; ++i) {
        if (pick(20) == 0) {
            out += std::string("single_buffer(") + (pick(2) ? "true" : "false") + ")\n";
            continue;
        }
        const std::string f = kFunctions[pick(std::size(kFunctions))];
        std::string args;
        const bool bit = f.rfind("bit_", 0) == 0;
        if (!bit && f.rfind("get_color", 0) != 0) args = coordinate(w) + ", " + coordinate(h);
        for (int a = 0; a < (bit ? 2 : 4); ++a) {
            if (!args.empty()) args += ", ";
            args += kArgumentPool[pick(std::size(kArgumentPool))];
        }
        out += "report('" + f + "', " + f + "(" + args + "))\n";
    }
    return out;
}

class FastPixelTest : public ScriptTest {
protected:
    struct Outcome {
        std::vector<std::string> report;
        std::vector<uint16_t> layer;
        std::vector<uint8_t> source;
        std::vector<uint16_t> mask;
    };

    Outcome runWith(bool fast, const std::string& script, int w, int h) {
        openImage(w, h, randomRGBA32(w, h, 77));
        for (int i = 0; i < w * h; ++i) dro::maskState().plane[i] = static_cast<uint16_t>(i * 2654435761u);
        dro::testhooks::useFastPixelFunctions(fast);
        run(reporter() + "report('kind', debug.getinfo(get_rgb).what)\n" + script);
        Outcome o{reportLines(), layerPixels(1, w, h),
                  std::vector<uint8_t>(iplSource(), iplSource() + size_t(w) * h * 4), maskValues(w, h)};
        std::filesystem::remove(dir() / "report.txt");
        DRO_DeleteImage();
        return o;
    }

    void expectSame(const std::string& script, int w, int h) {
        const Outcome plain = runWith(false, script, w, h);
        const Outcome fast = runWith(true, script, w, h);
        ASSERT_FALSE(plain.report.empty());
        EXPECT_EQ(plain.report[0], "kind\tC");
        EXPECT_EQ(fast.report[0], "kind\tLua");
        ASSERT_EQ(plain.report.size(), fast.report.size());
        for (size_t i = 1; i < plain.report.size(); ++i) ASSERT_EQ(plain.report[i], fast.report[i]) << "line " << i;
        EXPECT_EQ(plain.layer, fast.layer);
        EXPECT_EQ(plain.source, fast.source);
        EXPECT_EQ(plain.mask, fast.mask);
        EXPECT_TRUE(messages().empty()) << messages()[0].text;
    }
};

}  // namespace

TEST_F(FastPixelTest, RandomCallsGiveTheSameResultsBothWays) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        const int w = 1 + static_cast<int>(seed % 5) * 3, h = 1 + static_cast<int>(seed % 3) * 2;
        expectSame(randomProgram(seed, 300, w, h), w, h);
    }
}

// Hot loops get compiled by the JIT; their results must not move either.
TEST_F(FastPixelTest, CompiledLoopsGiveTheSameResultsBothWays) {
    const std::string script =
        "local acc = 0\n"
        "for pass = 1, 3 do\n"
        "  if pass == 2 then single_buffer(true) end\n"
        "  for y = -1, height do for x = -1.5, width + 0.5, 0.5 do\n"
        "    local r, g, b, a = get_rgba(x, y)\n"
        "    set_rgba(x, y, b * 1.3 - 0.1, r, (g + a) / 2, 1 - a)\n"
        "    set_value(x + 1, y, get_value(x, y) * 0.75 + 0.1)\n"
        "    set_alpha(x, y + 1, get_alpha(x, y) + 0.01)\n"
        "    local m = get_mask(x, y)\n"
        "    set_mask(x, y, m * 1.7 - 0.3)\n"
        "    set_rgb(x, y, get_rgb(x - 1, y))\n"
        "    acc = bit_xor(acc, bit_shfl(r * 255, x) + bit_shfr(-g * 1e6, y) + bit_not(b * 255))\n"
        "    acc = bit_and(acc, 0x7fffffff) + bit_or(x, y)\n"
        "  end end\n"
        "  report('pass', pass, acc)\n"
        "end\n";
    expectSame(script, 37, 23);
}
