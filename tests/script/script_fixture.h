// Filter-script tests: a small canvas with its IPL RGBA32 pair, scripts written to a
// scratch directory, and the message boxes collected instead of shown.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "core/canvas.h"
#include "imaging/working_buffers.h"
#include "script/script_state.h"
#include "support/engine_fixture.h"

struct ScriptMessage {
    std::string text;
    std::string caption;
};

class ScriptTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        messages().clear();
        DRO_SetMessageCallback(collect, nullptr);
        static int serial = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("drovane_script_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
        std::filesystem::create_directories(dir_ / "scripts");
        const std::string start = dir_.string() + "/";
        DRO_SetStartDir(start.c_str());
    }

    void TearDown() override {
        DRO_SetMessageCallback(nullptr, nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        EngineTest::TearDown();
    }

    static std::vector<ScriptMessage>& messages() {
        static std::vector<ScriptMessage> list;
        return list;
    }

    static void collect(const char* text, const char* caption, void*) { messages().push_back({text, caption}); }

    // A w x h canvas whose background holds the given pixels, with both IPL buffers.
    void openImage(int w, int h, const std::vector<uint8_t>& rgba) {
        openCanvas(w, h);
        DRO_LoadRGBA32(rgba.data(), w * 4, 0);
        DRO_IPLAllocSrcBuffer32();
        DRO_IPLAllocDstBuffer32();
    }

    std::string writeScript(const std::string& text, const std::string& name = "filter.lua") {
        const std::filesystem::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // Runs the script text with the given sliders (others 0) and style 1.
    void run(const std::string& text, std::vector<int> sliders = {}, int style1 = 0, uint8_t flag1 = 0) {
        runPath(writeScript(text), std::move(sliders), style1, flag1);
    }

    void runPath(const std::string& path, std::vector<int> sliders = {}, int style1 = 0, uint8_t flag1 = 0) {
        sliders.resize(6, 0);
        DRO_LuaFilterRun(path.c_str(), 7, sliders[0], sliders[1], sliders[2], sliders[3], sliders[4], sliders[5],
                         style1, 0, flag1, 0, 0, 0, 0, 0);
    }

    static std::vector<uint8_t> layer32(int w, int h, int index = 1) {
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
        DRO_GetRGBA32Layer(out.data(), w * 4, index);
        return out;
    }

    static const uint8_t* iplSource() { return dro::workingBuffers().iplSource32.block.get(); }
    static const uint8_t* iplDestination() { return dro::workingBuffers().iplDestination32.block.get(); }

    std::string readFile(const std::string& relative) const {
        std::ifstream in(dir_ / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool fileExists(const std::string& relative) const { return std::filesystem::exists(dir_ / relative); }
    std::filesystem::path dir() const { return dir_; }

    // The lines a script wrote with report(...): values printed "%.17g", tab-separated.
    std::vector<std::string> reportLines() const {
        std::vector<std::string> lines;
        std::ifstream in(dir_ / "report.txt");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // A Lua prelude defining report(...), which appends one line to report.txt.
    std::string reporter() const {
        return "local __rf = assert(io.open([[" + (dir_ / "report.txt").string() +
               "]], 'a'))\n"
               "function report(...)\n"
               "  local t = {}\n"
               "  for i = 1, select('#', ...) do\n"
               "    local v = select(i, ...)\n"
               "    t[i] = type(v) == 'number' and string.format('%.17g', v) or tostring(v)\n"
               "  end\n"
               "  __rf:write(table.concat(t, '\\t'), '\\n'); __rf:flush()\n"
               "end\n";
    }

private:
    std::filesystem::path dir_;
};
