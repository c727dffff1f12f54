#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/plugins/pe_resources.h"
#include "io/plugins/plugin_list.h"
#include "platform/platform.h"
#include "support/engine_fixture.h"
#include "support/scratch_dir.h"

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v), b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF), put16(b, at + 2, v >> 16);
}

// A PiPL property list as Windows plug-ins store it: codes as little-endian numbers.
std::vector<uint8_t> pipl(const std::string& category, const std::string& name) {
    std::vector<uint8_t> out(6, 0);
    put32(out, 2, 3);
    auto property = [&](const char* reversedKey, std::vector<uint8_t> data) {
        const size_t at = out.size();
        out.resize(at + 16);
        std::memcpy(&out[at], "MIB8", 4);
        std::memcpy(&out[at + 4], reversedKey, 4);
        put32(out, at + 12, static_cast<uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
        out.resize(out.size() + (4 - data.size() % 4) % 4, 0);
    };
    auto pascal = [](const std::string& s) {
        std::vector<uint8_t> v{static_cast<uint8_t>(s.size())};
        v.insert(v.end(), s.begin(), s.end());
        return v;
    };
    property("dnik", {'M', 'F', 'B', '8'});
    property("gtac", pascal(category));
    property("eman", pascal(name));
    return out;
}

// The smallest PE a resource reader accepts: DOS stub, PE32 headers with the resource
// directory, one section holding type "PIPL" / id 16000 / language 0 / the data.
std::vector<uint8_t> peWithPiPL(const std::vector<uint8_t>& resource) {
    constexpr uint32_t kPe = 0x40, kOptional = kPe + 24, kSections = kOptional + 224, kRaw = 0x200, kRva = 0x1000;
    std::vector<uint8_t> f(kRaw, 0);
    f[0] = 'M', f[1] = 'Z';
    put32(f, 0x3C, kPe);
    std::memcpy(&f[kPe], "PE\0\0", 4);
    put16(f, kPe + 4, 0x14C);
    put16(f, kPe + 6, 1);       // one section
    put16(f, kPe + 20, 224);    // optional header size
    put16(f, kOptional, 0x10B);
    put32(f, kOptional + 92, 16);
    // Resource tree: root (1 named entry) -> ids (1) -> languages (1) -> data entry.
    std::vector<uint8_t> r(0x70, 0);
    put16(r, 12, 1);
    put32(r, 16, 0x80000000u | 0x58);  // name "PIPL" at 0x58
    put32(r, 20, 0x80000000u | 0x18);
    put16(r, 0x18 + 14, 1);
    put32(r, 0x18 + 16, 16000);
    put32(r, 0x18 + 20, 0x80000000u | 0x30);
    put16(r, 0x30 + 14, 1);
    put32(r, 0x30 + 20, 0x48);
    put32(r, 0x48, kRva + 0x70);  // data RVA
    put32(r, 0x4C, static_cast<uint32_t>(resource.size()));
    put16(r, 0x58, 4);
    for (int i = 0; i < 4; ++i) put16(r, 0x5A + 2 * i, static_cast<uint8_t>("PIPL"[i]));
    r.insert(r.end(), resource.begin(), resource.end());
    put32(f, kOptional + 96 + 16, kRva);
    put32(f, kOptional + 96 + 20, static_cast<uint32_t>(r.size()));
    std::memcpy(&f[kSections], ".rsrc", 5);
    put32(f, kSections + 8, static_cast<uint32_t>(r.size()));
    put32(f, kSections + 12, kRva);
    put32(f, kSections + 16, static_cast<uint32_t>(r.size()));
    put32(f, kSections + 20, kRaw);
    f.insert(f.end(), r.begin(), r.end());
    return f;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

TEST(PeResources, ReadsThePiPLAndRejectsEveryTruncationAndCorruption) {
    const auto file = peWithPiPL(pipl("Artistic", "Oil Glow"));
    const auto found = dro::plugins::namedTypeResources(file, "PiPL");
    ASSERT_EQ(found.size(), 1u);
    const auto description = dro::plugins::readPiPL(found[0]);
    ASSERT_TRUE(description);
    EXPECT_EQ(description->category, "Artistic");
    EXPECT_EQ(description->name, "Oil Glow");
    // Every prefix and every single-byte corruption: no crash, and any text read is
    // one of the real ones or comes from bytes inside the file.
    for (size_t n = 0; n < file.size(); ++n) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(n));
        for (auto r : dro::plugins::namedTypeResources(cut, "PIPL")) (void)dro::plugins::readPiPL(r);
    }
    for (size_t at = 0; at < file.size(); ++at) {
        auto bad = file;
        bad[at] ^= 0xA5;
        for (auto r : dro::plugins::namedTypeResources(bad, "PIPL")) (void)dro::plugins::readPiPL(r);
    }
}

class PluginScanTest : public EngineTest {};

TEST_F(PluginScanTest, TwoScansListEveryPluginTwiceNewestFirst) {
    ScratchDir dir("plugins");
    std::filesystem::create_directories(dir.path("sub"));
    writeFile(dir.path("a.8bf"), peWithPiPL(pipl("Blur", "Soft")));
    writeFile(dir.path("sub/B.8BF"), peWithPiPL(pipl("Noise", "Grain")));
    writeFile(dir.path("broken.8bf"), {'M', 'Z', 1, 2, 3});
    writeFile(dir.path("other.dll"), peWithPiPL(pipl("X", "Not a filter file")));
    const std::string folder = dir.path("");
    EXPECT_EQ(dro::scanPhotoshopPlugins(folder.c_str()), 2);
    EXPECT_EQ(dro::scanPhotoshopPlugins(folder.c_str()), 2);
    std::vector<std::string> names;
    for (std::string entry = dro::nextPluginName(); !entry.empty(); entry = dro::nextPluginName())
        names.push_back(entry.substr(0, entry.find(" :: ", entry.find(" :: ") + 4)));
    ASSERT_EQ(names.size(), 4u);
    // The second scan's entries come first, in reverse order of discovery.
    EXPECT_EQ(names[0], names[2]);
    EXPECT_EQ(names[1], names[3]);
    EXPECT_NE(names[0], names[1]);
    EXPECT_STREQ(dro::nextPluginName(), "");
}

TEST_F(PluginScanTest, AnEntryLongerThanItsBufferIsCutSafely) {
    // Windows paths stop at 260 characters, where two full Pascal names and a path
    // cannot reach the buffer's end: the cut is a concern of longer paths only.
    if (dro::platform::pathSeparator() == '\\') GTEST_SKIP() << "paths this long are not opened here";
    ScratchDir dir("plugins_long");
    std::string folder = dir.path("");
    for (int i = 0; i < 6; ++i) folder += std::string(200, static_cast<char>('a' + i)) + "/";
    std::filesystem::create_directories(folder);
    writeFile(folder + "p.8bf", peWithPiPL(pipl(std::string(250, 'c'), std::string(250, 'n'))));
    ASSERT_EQ(dro::scanPhotoshopPlugins(dir.path("").c_str()), 1);
    const std::string entry = dro::nextPluginName();
    EXPECT_EQ(entry.size(), 1023u);
    EXPECT_EQ(entry.substr(0, 254), std::string(250, 'c') + " :: ");
}

TEST_F(PluginScanTest, RunningOneWithoutAHostReportsWhyAndLeavesTheLayerAlone) {
    openCanvas(4, 3);
    const std::vector<uint8_t> picture = randomRGBA32(4, 3, 21);
    DRO_LoadRGBA32Layer(picture.data(), 16, 1, 0, 0, 4, 3, 0);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    const std::vector<uint16_t> before = layerPixels(1, 4, 3);
    for (uint8_t keepAlpha : {0, 1}) {
        DRO_IPLImageProcess(0, "Adobe Compatible Plug-ins", 0, 0, 0, 0, 0, 0, 0, 0, 0, keepAlpha, 0, 0, 0, 0, 0, 0,
                            0, 0, "filter.8bf");
        EXPECT_EQ(layerPixels(1, 4, 3), before);
        EXPECT_EQ(std::string(DRO_GetLastError()).rfind("Adobe Compatible Plug-ins: ", 0), 0u);
    }
}

}  // namespace
