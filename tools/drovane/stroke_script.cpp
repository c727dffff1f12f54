#include "stroke_script.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "drovane.h"

namespace cli {
namespace {

// The engine's blend-mode names, as a host's mode menu lists them.
constexpr std::array<std::string_view, 53> kBlendModeNames{
    "Normal", "Multiply", "Screen", "Darken", "Lighten", "Difference", "Negation", "Exclusion", "AND", "OR",
    "XOR", "Overlay", "Hard Light", "Soft Light", "Dodge", "Burn", "Reflect", "Glow", "Add", "Subtract",
    "Color", "Hard Color", "Colorize", "HSL Hue", "HSL Sat", "HSL Lum", "HSL Color", "Texturize", "Texturize2",
    "Texturize3", "Silhoulette", "Alpha Normal", "Alpha Filter", "Alpha Black Outline", "Alpha Outline Tint 1",
    "Alpha Outline Tint 2", "Alpha Invert", "Alpha Shader", "Alpha Shader Color", "Alpha Shader Texture2",
    "Alpha Highlight Texture2", "Alpha Smooth", "Alpha Smooth2", "Alpha Smooth Lum", "Alpha Smooth Lum2",
    "Alpha Smooth Lum3", "Alpha Smooth Lum4", "Alpha Smooth Lum5", "Alpha Overlay Outline", "Alpha Highlight",
    "Layer Mask", "Luminance Alpha", "Luminance Alpha Invert"};

// Dab mix modes with a formula of their own: normal, multiply, 34..48, the bank,
// posterise, grey, luminance-keep and tint modes.
bool isMixMode(int32_t mode) {
    constexpr std::array kSingles{295, 340, 387, 388, 425};
    return (mode >= 32 && mode <= 48) || (mode >= 249 && mode <= 262) ||
           std::find(kSingles.begin(), kSingles.end(), mode) != kSingles.end();
}

constexpr double kMaxCoordinate = 100000.0;
constexpr int32_t kMaxLayer = 271;

struct IntSetting {
    const char* name;
    int32_t ToolSetup::*field;
    int32_t minimum, maximum;
};

constexpr std::array kIntSettings{
    IntSetting{"grainCellSize", &ToolSetup::grainCellSize, 0, 64},
    IntSetting{"grainCellThreshold", &ToolSetup::grainCellThreshold, 0, 255},
    IntSetting{"grainFillThreshold", &ToolSetup::grainFillThreshold, 0, 255},
    IntSetting{"edgeSoftness", &ToolSetup::edgeSoftness, 0, 255},
    IntSetting{"colorVary", &ToolSetup::colorVary, 0, 255},
    IntSetting{"grainInterval", &ToolSetup::grainInterval, 0, 100000},
    IntSetting{"blendStrength", &ToolSetup::blendStrength, 0, 256},
    IntSetting{"blendPrimaryColorStrength", &ToolSetup::blendPrimaryColorStrength, 0, 256},
    IntSetting{"blendRemix", &ToolSetup::blendRemix, 0, 1},
    IntSetting{"invertShape", &ToolSetup::invertShape, 0, 1},
    IntSetting{"shapeParam", &ToolSetup::shapeParam, -360, 360},
};

// A word as it may be echoed in a one-line message: control bytes and bytes above
// ASCII become '?', and long words are cut.
std::string shown(const std::string& word) {
    constexpr size_t kLongest = 40;
    std::string out = word.substr(0, kLongest);
    for (char& c : out)
        if (c < 0x20 || c > 0x7E) c = '?';
    return word.size() > kLongest ? out + "..." : out;
}

class Parser {
public:
    Parser(const std::string& name, const std::string& folder) : name_(name), folder_(folder) {}

    StrokeScript run(const std::string& text) {
        StrokeScript script{name_, {}};
        std::istringstream in(text);
        std::string raw;
        while (std::getline(in, raw)) {
            ++line_;
            words_ = split(raw);
            if (words_.empty()) continue;
            script.instructions.push_back(parseLine());
        }
        if (strokeLine_ != 0) {
            line_ = strokeLine_;
            fail("stroke is not closed with 'end'");
        }
        return script;
    }

private:
    [[noreturn]] void fail(const std::string& message) const {
        throw StrokeFileError(name_ + ":" + std::to_string(line_) + ": " + message);
    }

    // Words of a line; a word starting with '#' begins a comment.
    static std::vector<std::string> split(const std::string& raw) {
        std::vector<std::string> words;
        std::istringstream in(raw);
        std::string word;
        while (in >> word) {
            if (word[0] == '#') break;
            words.push_back(word);
        }
        return words;
    }

    int32_t integer(const std::string& word, const char* what, int32_t minimum, int32_t maximum) const {
        int32_t value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error != std::errc{} || end != word.data() + word.size())
            fail(std::string(what) + " wants a whole number, not '" + shown(word) + "'");
        if (value < minimum || value > maximum)
            fail(std::string(what) + " must lie in " + std::to_string(minimum) + ".." + std::to_string(maximum));
        return value;
    }

    double real(const std::string& word, const char* what, double minimum, double maximum) const {
        double value = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error != std::errc{} || end != word.data() + word.size() || !std::isfinite(value))
            fail(std::string(what) + " wants a number, not '" + shown(word) + "'");
        if (value < minimum || value > maximum) {
            std::ostringstream range;
            range << what << " must lie in " << minimum << ".." << maximum;
            fail(range.str());
        }
        return value;
    }

    void expectCount(size_t count) const {
        if (words_.size() - 1 != count)
            fail("'" + words_[0] + "' takes " + std::to_string(count) + (count == 1 ? " value" : " values"));
    }

    // The words from index on, joined by single spaces.
    std::string rest(size_t from) const {
        std::string joined;
        for (size_t i = from; i < words_.size(); ++i) joined += (i > from ? " " : "") + words_[i];
        return joined;
    }

    std::string blendMode(size_t from) const {
        const std::string mode = rest(from);
        if (!isBlendModeName(mode)) fail("unknown blend mode '" + shown(mode) + "'");
        return mode;
    }

    std::string imagePath(const char* what) const {
        std::string path = rest(1);
        if (path.empty()) fail(std::string("'") + what + "' wants a file name or none");
        if (path == "none") return {};
        // Always a folder in front: the engine takes a one-character path for "none".
        if (path[0] != '/') path = (folder_.empty() ? std::string(".") : folder_) + "/" + path;
        if (!DRO_ReadFromFile(path.c_str())) fail(std::string("cannot read the ") + what + " image '" + path + "'");
        DRO_DeleteNewRGBA();
        return path;
    }

    // An image brush must fit the largest brush, or the engine would keep the old one.
    void checkImageBrushFits(const std::string& path) const {
        DRO_ReadFromFile(path.c_str());
        const int32_t w = DRO_GetNewRGBAWidth(), h = DRO_GetNewRGBAHeight();
        DRO_DeleteNewRGBA();
        if (w > kStrokeMaxBrushSize || h > kStrokeMaxBrushSize) {
            fail("the image brush '" + path + "' is " + std::to_string(w) + " x " + std::to_string(h) +
                 ", larger than the largest brush (" + std::to_string(kStrokeMaxBrushSize) + ")");
        }
    }

    Instruction parseLine() {
        const std::string& command = words_[0];
        Instruction in;
        in.line = line_;
        const bool inside = strokeLine_ != 0;
        const bool strokeCommand = command == "dab" || command == "line" || command == "pline" || command == "end";
        if (inside && !strokeCommand) fail("only dab, line, pline and end may appear inside a stroke");
        if (!inside && strokeCommand) fail("'" + command + "' outside a stroke");

        if (command == "size") {
            expectCount(1);
            in.op = Op::Size;
            in.ints = {integer(words_[1], "size", 1, kStrokeMaxBrushSize)};
        } else if (command == "color") {
            expectCount(3);
            in.op = Op::Color;
            for (size_t i = 1; i <= 3; ++i) in.ints.push_back(integer(words_[i], "color", 0, 255));
        } else if (command == "alpha") {
            expectCount(1);
            in.op = Op::Alpha;
            in.ints = {integer(words_[1], "alpha", 0, 100)};
        } else if (command == "density") {
            expectCount(1);
            in.op = Op::Density;
            in.ints = {integer(words_[1], "density", 0, 256)};
        } else if (command == "spacing") {
            expectCount(1);
            in.op = Op::Spacing;
            in.reals = {real(words_[1], "spacing", 0.01, 10.0)};
        } else if (command == "seed") {
            expectCount(1);
            in.op = Op::Seed;
            in.ints = {integer(words_[1], "seed", 0, 2147483647)};
        } else if (command == "tool") {
            in.op = Op::Tool;
            in.tool = parseTool();
            tool_ = in.tool;
        } else if (command == "mix") {
            expectCount(2);
            in.op = Op::Mix;
            const int32_t mode = integer(words_[1], "mix mode", 32, 425);
            if (!isMixMode(mode)) fail("mix mode " + std::to_string(mode) + " has no formula");
            in.ints = {mode, integer(words_[2], "mix amount", 0, 256)};
        } else if (command == "smudge") {
            in.op = Op::Smudge;
            if (words_.size() == 2 && words_[1] == "off") {
                smudge_ = false;
            } else {
                expectCount(2);
                in.ints = {integer(words_[1], "smudge colour share", 0, 256),
                           integer(words_[2], "smudge mix amount", 0, 256)};
                smudge_ = true;
            }
        } else if (command == "shape") {
            in.op = Op::Shape;
            in.text = imagePath("shape");
        } else if (command == "imagebrush") {
            in.op = Op::ImageBrush;
            in.text = imagePath("imagebrush");
            if (!in.text.empty()) checkImageBrushFits(in.text);
        } else if (command == "imageangle") {
            expectCount(1);
            in.op = Op::ImageAngle;
            in.ints = {integer(words_[1], "imageangle", -360, 360)};
        } else if (command == "grain") {
            in.op = Op::Grain;
            in.text = imagePath("grain");
            grainImage_ = !in.text.empty();
        } else if (command == "layer") {
            in.op = Op::Layer;
            if (words_.size() != 2 && words_.size() < 4) fail("'layer' takes N, or N OPACITY MODE");
            in.ints = {integer(words_[1], "layer", 1, kMaxLayer)};
            if (words_.size() >= 4) {
                in.ints.push_back(integer(words_[2], "layer opacity", 0, 100));
                in.text = blendMode(3);
            }
        } else if (command == "stroke") {
            in.op = Op::Stroke;
            if (words_.size() != 1 && words_.size() < 4) fail("'stroke' takes nothing, or OPACITY SECOND MODE");
            in.ints = {100, 100};
            in.text = "Normal";
            if (words_.size() >= 4) {
                in.ints = {integer(words_[1], "stroke opacity", 0, 100), integer(words_[2], "second opacity", 0, 100)};
                in.text = blendMode(3);
            }
            if (smudge_ && tool_.blendStrength == 0) fail("smudge needs a tool with blendStrength above 0");
            if (grainImage_ && tool_.grainCellSize == 0) fail("a grain image needs a tool with grainCellSize above 0");
            strokeLine_ = line_;
        } else if (command == "dab") {
            in.op = Op::Dab;
            if (words_.size() != 3 && words_.size() != 4) fail("'dab' takes X Y or X Y PRESSURE");
            in.reals = {real(words_[1], "x", -kMaxCoordinate, kMaxCoordinate),
                        real(words_[2], "y", -kMaxCoordinate, kMaxCoordinate)};
            in.reals.push_back(words_.size() == 4 ? pressure(words_[3]) : 1.0);
        } else if (command == "line" || command == "pline") {
            in.op = Op::Line;
            in.pressured = command == "pline";
            const size_t per = in.pressured ? 3 : 2;
            const size_t values = words_.size() - 1;
            if (values < 2 * per || values % per != 0)
                fail("'" + command + "' takes at least two points of " + (in.pressured ? "X Y PRESSURE" : "X Y"));
            for (size_t i = 1; i < words_.size(); ++i)
                in.reals.push_back((i - 1) % per == 2 ? pressure(words_[i])
                                                      : real(words_[i], (i - 1) % per == 0 ? "x" : "y",
                                                             -kMaxCoordinate, kMaxCoordinate));
        } else if (command == "end") {
            expectCount(0);
            in.op = Op::End;
            strokeLine_ = 0;
        } else {
            fail("unknown command '" + shown(command) + "'");
        }
        return in;
    }

    double pressure(const std::string& word) const {
        const double p = real(word, "pressure", 0.0, 1.0);
        if (p <= 0.0) fail("pressure must lie above 0");
        return p;
    }

    ToolSetup parseTool() const {
        ToolSetup tool;
        std::vector<std::string> seen;
        for (size_t i = 1; i < words_.size(); ++i) {
            const std::string& word = words_[i];
            const auto equals = word.find('=');
            if (equals == std::string::npos || equals == 0) fail("tool settings are NAME=VALUE, not '" + shown(word) + "'");
            const std::string name = word.substr(0, equals);
            const std::string value = word.substr(equals + 1);
            if (std::find(seen.begin(), seen.end(), name) != seen.end()) fail("tool setting " + shown(name) + " given twice");
            seen.push_back(name);
            if (name == "shapeGain") {
                tool.shapeGain = static_cast<float>(real(value, "shapeGain", 0.0, 1.0));
                continue;
            }
            const auto setting = std::find_if(kIntSettings.begin(), kIntSettings.end(),
                                              [&](const IntSetting& s) { return name == s.name; });
            if (setting == kIntSettings.end()) fail("unknown tool setting '" + shown(name) + "'");
            tool.*(setting->field) = integer(value, setting->name, setting->minimum, setting->maximum);
        }
        return tool;
    }

    std::string name_;
    std::string folder_;
    int line_ = 0;
    int strokeLine_ = 0;  // line of the open stroke, 0 outside one
    std::vector<std::string> words_;
    ToolSetup tool_;
    bool smudge_ = false;
    bool grainImage_ = false;
};

}  // namespace

bool isBlendModeName(const std::string& name) {
    return std::find(kBlendModeNames.begin(), kBlendModeNames.end(), name) != kBlendModeNames.end();
}

StrokeScript parseStrokeScript(const std::string& text, const std::string& name, const std::string& folder) {
    return Parser(name, folder).run(text);
}

StrokeScript loadStrokeScript(const std::string& path) {
    // A folder opens as an empty stream here, which would read as a file without strokes.
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw CommandError("'" + path + "' is a folder, not a stroke file");
    std::ifstream file(path, std::ios::binary);
    if (!file) throw CommandError("cannot open stroke file '" + path + "'");
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) throw CommandError("cannot read stroke file '" + path + "'");
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : slash == 0 ? "/" : path.substr(0, slash);
    return parseStrokeScript(text.str(), path, folder);
}

int32_t drawnSizeAt(int32_t size, double pressure) {
    const auto drawn = static_cast<int32_t>(std::lround(size * pressure));
    return std::clamp(drawn, 1, std::max(size, 1));
}

std::vector<DabPlace> dabsAlong(const std::vector<PathPoint>& points, int32_t size, double spacing) {
    std::vector<DabPlace> dabs;
    if (points.empty()) return dabs;
    auto place = [&](double x, double y, double pressure) {
        dabs.push_back({static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y)),
                        drawnSizeAt(size, pressure)});
    };
    auto stepAt = [&](double pressure) { return std::max(1.0, spacing * drawnSizeAt(size, pressure)); };
    // Rounding in the running sums must not drop a dab that lands exactly on a corner.
    constexpr double kSlack = 1e-9;

    place(points[0].x, points[0].y, points[0].pressure);
    double toNext = stepAt(points[0].pressure);
    for (size_t i = 1; i < points.size(); ++i) {
        const PathPoint& a = points[i - 1];
        const PathPoint& b = points[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (length == 0.0) continue;
        double position = 0.0;
        while (length - position >= toNext - kSlack) {
            position += toNext;
            const double t = std::min(1.0, position / length);
            const double pressure = a.pressure + (b.pressure - a.pressure) * t;
            place(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, pressure);
            toNext = stepAt(pressure);
        }
        toNext -= length - position;
    }
    return dabs;
}

}  // namespace cli
