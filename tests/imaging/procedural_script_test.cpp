// Procedural scripts: the text format's refusals, the generators' guarantees (every
// pixel written, one picture per seed) and the shipped examples.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "imaging/lib/procedural.h"
#include "imaging/lib/procedural/effect_table.h"
#include "imaging/lib/procedural/script_format.h"
#include "imaging/script_image.h"

namespace {

using namespace dro;
using namespace dro::procedural;

std::vector<uint8_t> runGenerator(const EffectEntry& e, int w, int h, int seed) {
    // Alpha 0 everywhere first: a pixel the generator skipped stays visible.
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4, 0);
    EffectValues v = e.defaults();
    v[kSeedValue] = seed;
    EXPECT_TRUE(e.run(px.data(), w, h, v)) << e.scriptName;
    return px;
}

TEST(ProceduralGenerators, FillEveryPixelAndRepeatForASeed) {
    int generators = 0;
    for (const EffectEntry& e : effectTable()) {
        if (e.kind != EffectKind::generator) continue;
        ++generators;
        for (const auto [w, h] : {std::pair{37, 23}, std::pair{1, 9}, std::pair{64, 64}}) {
            const auto a = runGenerator(e, w, h, 5);
            for (size_t i = 3; i < a.size(); i += 4) ASSERT_EQ(a[i], 255) << e.scriptName << " " << w << "x" << h;
            EXPECT_EQ(runGenerator(e, w, h, 5), a) << e.scriptName;
        }
        // Another seed, another picture; and never a flat one.
        const auto a = runGenerator(e, 64, 64, 5);
        EXPECT_NE(runGenerator(e, 64, 64, 6), a) << e.scriptName;
        std::set<uint32_t> colours;
        for (size_t i = 0; i < a.size(); i += 4) colours.insert(a[i] | a[i + 1] << 8 | a[i + 2] << 16);
        EXPECT_GT(colours.size(), 1u) << e.scriptName;
    }
    EXPECT_EQ(generators, 15);
}

TEST(ProceduralGenerators, PlasmaTilesAtPowersOfTwo) {
    // The torus behind the plasma makes the right edge run on into the left one: the
    // step across the seam is no larger than a step between neighbours inside.
    const EffectEntry* plasma = effectByName("plasma");
    ASSERT_NE(plasma, nullptr);
    const int n = 128;
    const auto px = runGenerator(*plasma, n, n, 3);
    const auto grey = [&](int x, int y) { return int(px[(size_t(y) * n + x) * 4 + 1]); };
    long seam = 0, inside = 0;
    for (int y = 0; y < n; ++y) {
        seam += std::abs(grey(n - 1, y) - grey(0, y)) + std::abs(grey(y, n - 1) - grey(y, 0));
        inside += std::abs(grey(n / 2, y) - grey(n / 2 + 1, y)) + std::abs(grey(y, n / 2) - grey(y, n / 2 + 1));
    }
    EXPECT_LE(seam, inside * 2 + n);
}

TEST(ProceduralGenerators, HostStylesFollowTheirTable) {
    // 0 is the host's default and means grey; 1..12 are the ramps one lower.
    EXPECT_EQ(generatorStyleFromHost(0), kStyleGrey);
    for (int s = 1; s <= 12; ++s) EXPECT_EQ(generatorStyleFromHost(s), s - 1);
    for (int s : {13, 17, 40, -3}) EXPECT_EQ(generatorStyleFromHost(s), s);
}

std::string lineOf(const std::string& body) {
    const ParseResult r = parseScript(body);
    EXPECT_FALSE(r.ok) << body;
    return r.error;
}

TEST(ProceduralScriptFormat, RefusalsNameTheLineAndTheProblem) {
    const std::string head = "drovane-procedural 1\nsize 32 32\n";
    const std::string gen = "generator plasma\n";
    struct Case {
        std::string script, expected;
    };
    const std::vector<Case> cases{
        {"", "the script is empty"},
        {"# only a comment\n\n", "the script is empty"},
        {"size 4 4\n", "line 1: a script starts with"},
        {"drovane-procedural 2\n", "line 1: version 2 is not supported"},
        {"drovane-procedural 1\nsize 4097 4\n", "line 2: the size must be 1 to 4096"},
        {"drovane-procedural 1\nsize 0 4\n", "line 2: the size must be"},
        {"drovane-procedural 1\nsize 4x4\n", "line 2: expected \"size WIDTH HEIGHT\""},
        {head + "generator plasma roughness=101\n", "line 3: \"roughness\" must be 0 to 100"},
        {head + "generator plasma seed=99999999999999\n", "line 3: the value of \"seed\" is not a whole number"},
        {head + "generator plasma colour=3\n", "line 3: plasma has no value \"colour\""},
        {head + "generator plasma seed=1 seed=2\n", "line 3: \"seed\" is given twice"},
        {head + "generator plasma seed\n", "line 3: expected name=value"},
        {head + "generator teapot\n", "line 3: unknown effect \"teapot\""},
        {head + "generator 51\n", "line 3: rotate is not a generator"},
        {head + gen + "effect lines\n", "line 4: lines is a generator"},
        {head + gen + "\n# note\neffect 51 repeat=17\n", "line 6: repeat must be 1 to 16"},
        {head + "effect 51\n", "line 3: the generator comes before the effects"},
        {head + gen + gen, "line 4: a script has one generator"},
        {head + gen + "blur 3\n", "line 4: unknown keyword \"blur\""},
        {head + gen + "size 8 8\n", "line 4: the size is given twice"},
        {"drovane-procedural 1\n" + gen, "the script has no size line"},
        {head, "the script has no generator line"},
        {head + gen + std::string(1100, ' ') + "\n", "line 4: the line is longer than 1024"},
        {head + gen + std::string("effect 51\0", 10) + "\n", "line 4: the line holds a zero byte"},
    };
    for (const Case& c : cases) EXPECT_EQ(lineOf(c.script).rfind(c.expected, 0), 0u) << c.expected << " / " << lineOf(c.script);

    // Chain length and the total of runs are bounded.
    std::string longChain = head + gen;
    for (int i = 0; i < 17; ++i) longChain += "effect 51\n";
    EXPECT_EQ(lineOf(longChain), "line 20: more than 16 effects in the chain");
    std::string manyRuns = head + gen;
    for (int i = 0; i < 5; ++i) manyRuns += "effect 51 repeat=16\n";
    EXPECT_EQ(lineOf(manyRuns), "line 8: the chain runs more than 64 effects, repeats counted");
}

TEST(ProceduralScriptFormat, ValuesReachTheirSlotsAndCommentsAreIgnored) {
    const ParseResult r = parseScript(
        "  # a picture\r\ndrovane-procedural 1 # version\r\n\tsize 40 30\n"
        "generator 5 roughness=+70 # numbers or names\neffect rotate degrees=-45 repeat=3\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.script.width, 40);
    EXPECT_EQ(r.script.height, 30);
    EXPECT_EQ(r.script.generator.effect->number, 5);
    EXPECT_EQ(r.script.generator.values[2], 70);
    EXPECT_EQ(r.script.generator.values[kStyleValue], kStyleGrey);  // defaults fill the rest
    ASSERT_EQ(r.script.chain.size(), 1u);
    EXPECT_EQ(r.script.chain[0].values[3], -45);
    EXPECT_EQ(r.script.chain[0].values[4], 100);
    EXPECT_EQ(r.script.chain[0].repeat, 3);
}

std::filesystem::path examples() { return std::filesystem::path(DROVANE_EXAMPLES_DIR) / "scripts"; }

TEST(ProceduralExamples, EveryExampleRendersAndTheyCoverEveryGenerator) {
    std::set<int> used;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(examples())) {
        if (entry.path().extension() != ".dps") continue;
        ++count;
        const std::string path = entry.path().string();
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const ParseResult parsed = parseScript(text);
        ASSERT_TRUE(parsed.ok) << path << ": " << parsed.error;
        used.insert(parsed.script.generator.effect->number);
        std::string reason;
        const ScriptImage image = generateScriptImage(path.c_str(), &reason);
        ASSERT_TRUE(image) << path << ": " << reason;
        EXPECT_EQ(image.width, parsed.script.width);
        EXPECT_EQ(image.height, parsed.script.height);
        const uint8_t* px = image.pixels.get();
        for (size_t i = 3; i < size_t(image.width) * image.height * 4; i += 4) ASSERT_EQ(px[i], 255) << path;
    }
    EXPECT_GE(count, 15);
    for (const EffectEntry& e : effectTable())
        if (e.kind == EffectKind::generator) EXPECT_TRUE(used.count(e.number)) << e.scriptName << " has no example";
}

TEST(ProceduralExamples, BrokenScriptsReportTheirLineAndImagesAreNotScripts) {
    const auto dir = std::filesystem::temp_directory_path() / "drovane_procedural_test";
    std::filesystem::create_directories(dir);
    const std::string broken = (dir / "broken.dps").string();
    std::ofstream(broken) << "drovane-procedural 1\nsize 8 8\ngenerator plasma wobble=3\n";
    std::string reason;
    EXPECT_FALSE(generateScriptImage(broken.c_str(), &reason));
    EXPECT_EQ(reason, "line 3: plasma has no value \"wobble\"");
    int32_t w = 0, h = 0;
    EXPECT_FALSE(readScriptImageSize(broken.c_str(), w, h, &reason));
    EXPECT_EQ(reason.substr(0, 7), "line 3:");

    const std::string picture = (dir / "picture.png").string();
    std::ofstream(picture, std::ios::binary) << "\x89PNG\r\n\x1a\n";
    ASSERT_TRUE(ISL_Initialize());
    EXPECT_FALSE(ISL_LoadScriptFromFile(picture.c_str()));
    EXPECT_STREQ(ISL_GetLastError(), "not a script");
    ISL_Finish();

    // The image must be the script's size.
    const std::string good = (dir / "good.dps").string();
    std::ofstream(good) << "drovane-procedural 1\nsize 8 6\ngenerator noise\n";
    std::vector<uint8_t> px(8 * 6 * 4);
    ASSERT_TRUE(ISL_Initialize());
    ASSERT_TRUE(ISL_LoadScriptFromFile(good.c_str()));
    EXPECT_FALSE(ISL_ExecuteScript(px.data(), 6, 8));
    EXPECT_TRUE(ISL_ExecuteScript(px.data(), 8, 6));
    ISL_Finish();
}

}  // namespace

namespace {

TEST(ProceduralEffectTable, HoldsEveryNumberOnceWithSoundValues) {
    // The numbers the host's effects and brushes address.
    const std::set<int> wanted{1, 2, 3, 4, 5, 6, 11, 13, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                               25, 26, 27, 28, 37, 39, 42, 43, 49, 50, 51, 52, 54, 55, 56, 58, 59};
    std::set<int> numbers;
    std::set<std::string_view> names;
    for (const EffectEntry& e : effectTable()) {
        EXPECT_TRUE(numbers.insert(e.number).second) << e.number;
        EXPECT_TRUE(names.insert(e.scriptName).second) << e.scriptName;
        EXPECT_NE(e.run, nullptr) << e.scriptName;
        uint32_t slots = 0;
        for (const ValueRule& v : e.values) {
            ASSERT_GE(v.index, 0);
            ASSERT_LT(v.index, kValueCount);
            EXPECT_FALSE(slots & (1u << v.index)) << e.scriptName << " " << v.name;
            slots |= 1u << v.index;
            EXPECT_LE(v.minimum, v.defaultValue) << e.scriptName << " " << v.name;
            EXPECT_LE(v.defaultValue, v.maximum) << e.scriptName << " " << v.name;
        }
    }
    EXPECT_EQ(numbers, wanted);
}

TEST(ProceduralEffectTable, EveryFilterRunsAtItsLimitsOnTinyAndOddImages) {
    // The extremes of every value on 1 x 1, 3 x 2 and 17 x 9 pictures: no failure, and
    // (under ASan) no access outside the image.
    for (const EffectEntry& e : effectTable()) {
        if (e.kind != EffectKind::filter) continue;
        for (const auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{17, 9}}) {
            for (int corner = 0; corner < 3; ++corner) {
                EffectValues v = e.defaults();
                for (const ValueRule& s : e.values)
                    v[static_cast<size_t>(s.index)] = corner == 0 ? s.minimum : corner == 1 ? s.maximum : s.defaultValue;
                std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
                for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 37 + 11);
                EXPECT_TRUE(e.run(px.data(), w, h, v)) << e.scriptName << " " << w << "x" << h << " " << corner;
            }
        }
    }
}

}  // namespace
