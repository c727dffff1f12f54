#include "imaging/lib/procedural/script_format.h"

#include <charconv>

namespace dro::procedural {
namespace {

bool isSpace(char c) noexcept { return c == ' ' || c == '\t' || c == '\r'; }

// One line split into words, without its comment.
std::vector<std::string_view> wordsOf(std::string_view line) {
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !isSpace(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool parseInt(std::string_view text, int64_t& out) noexcept {
    if (text.empty() || text.size() > 12) return false;
    const char* first = text.data();
    if (*first == '+') ++first;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), out);
    return error == std::errc{} && end == text.data() + text.size();
}

std::string quoted(std::string_view s) {
    // Bounded and printable, so a hostile script cannot flood or garble the message.
    std::string out = "\"";
    for (char c : s.substr(0, 40)) out += (c >= 32 && c < 127) ? c : '?';
    return out + (s.size() > 40 ? "...\"" : "\"");
}

class Parser {
public:
    ParseResult run(std::string_view text) {
        if (text.size() > kMaxScriptBytes) return failAt(0, "the script is longer than 65536 bytes");
        bool sawMagic = false, sawSize = false, sawGenerator = false;
        int32_t runs = 0;
        size_t start = 0;
        for (int32_t number = 1; start <= text.size(); ++number) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            line_ = number;
            const std::string_view line = text.substr(start, end - start);
            start = end + 1;
            if (line.size() > kMaxLineBytes) return fail("the line is longer than 1024 characters");
            if (line.find('\0') != std::string_view::npos) return fail("the line holds a zero byte");
            const std::vector<std::string_view> words = wordsOf(line);
            if (words.empty()) continue;
            const std::string_view keyword = words[0];
            if (!sawMagic) {
                if (keyword != kScriptMagic) return fail("a script starts with \"drovane-procedural 1\"");
                int64_t version = 0;
                if (words.size() != 2 || !parseInt(words[1], version)) return fail("expected \"drovane-procedural 1\"");
                if (version != kScriptVersion) return fail("version " + std::to_string(version) + " is not supported (1 is)");
                sawMagic = true;
            } else if (keyword == "size") {
                if (sawSize) return fail("the size is given twice");
                if (!parseSize(words)) return result_;
                sawSize = true;
            } else if (keyword == "generator") {
                if (sawGenerator) return fail("a script has one generator");
                if (!result_.script.chain.empty()) return fail("the generator comes before the effects");
                if (!parseStep(words, EffectKind::generator, result_.script.generator)) return result_;
                sawGenerator = true;
            } else if (keyword == "effect") {
                if (!sawGenerator) return fail("the generator comes before the effects");
                if (static_cast<int32_t>(result_.script.chain.size()) >= kMaxChainLength)
                    return fail("more than 16 effects in the chain");
                ScriptStep step;
                if (!parseStep(words, EffectKind::filter, step)) return result_;
                runs += step.repeat;
                if (runs > kMaxEffectRuns) return fail("the chain runs more than 64 effects, repeats counted");
                result_.script.chain.push_back(step);
            } else {
                return fail("unknown keyword " + quoted(keyword) + " (size, generator or effect)");
            }
        }
        if (!sawMagic) return failAt(0, "the script is empty");
        if (!sawSize) return failAt(0, "the script has no size line");
        if (!sawGenerator) return failAt(0, "the script has no generator line");
        result_.ok = true;
        return result_;
    }

private:
    ParseResult fail(std::string what) { return failAt(line_, std::move(what)); }
    ParseResult failAt(int32_t line, std::string what) {
        result_.ok = false;
        result_.error = line > 0 ? "line " + std::to_string(line) + ": " + what : what;
        return result_;
    }

    bool parseSize(const std::vector<std::string_view>& words) {
        int64_t w = 0, h = 0;
        if (words.size() != 3 || !parseInt(words[1], w) || !parseInt(words[2], h)) {
            fail("expected \"size WIDTH HEIGHT\"");
            return false;
        }
        if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) {
            fail("the size must be 1 to 4096 pixels each way");
            return false;
        }
        result_.script.width = static_cast<int32_t>(w);
        result_.script.height = static_cast<int32_t>(h);
        return true;
    }

    bool parseStep(const std::vector<std::string_view>& words, EffectKind kind, ScriptStep& step) {
        const std::string_view keyword = words[0];
        if (words.size() < 2) {
            fail("expected \"" + std::string(keyword) + " NAME-OR-NUMBER [name=value ...]\"");
            return false;
        }
        int64_t number = 0;
        const EffectEntry* effect =
            parseInt(words[1], number) ? effectByNumber(static_cast<int32_t>(number)) : effectByName(words[1]);
        if (!effect) {
            fail("unknown effect " + quoted(words[1]));
            return false;
        }
        if (effect->kind != kind) {
            fail(std::string(effect->scriptName) + (kind == EffectKind::generator
                                                        ? " is not a generator"
                                                        : " is a generator; a script has one, on its generator line"));
            return false;
        }
        step.effect = effect;
        step.values = effect->defaults();
        uint32_t given = 0;
        for (size_t i = 2; i < words.size(); ++i) {
            const std::string_view word = words[i];
            const size_t eq = word.find('=');
            if (eq == std::string_view::npos || eq == 0) {
                fail("expected name=value, not " + quoted(word));
                return false;
            }
            const std::string_view name = word.substr(0, eq);
            int64_t value = 0;
            if (!parseInt(word.substr(eq + 1), value)) {
                fail("the value of " + quoted(name) + " is not a whole number");
                return false;
            }
            if (kind == EffectKind::filter && name == "repeat") {
                if (value < 1 || value > kMaxRepeat) {
                    fail("repeat must be 1 to 16");
                    return false;
                }
                step.repeat = static_cast<int32_t>(value);
                continue;
            }
            const ValueRule* rule = effect->value(name);
            if (!rule) {
                fail(std::string(effect->scriptName) + " has no value " + quoted(name));
                return false;
            }
            if (given & (1u << rule->index)) {
                fail(quoted(name) + " is given twice");
                return false;
            }
            given |= 1u << rule->index;
            if (value < rule->minimum || value > rule->maximum) {
                fail(quoted(name) + " must be " + std::to_string(rule->minimum) + " to " + std::to_string(rule->maximum));
                return false;
            }
            step.values[static_cast<size_t>(rule->index)] = static_cast<int32_t>(value);
        }
        return true;
    }

    ParseResult result_;
    int32_t line_ = 0;
};

}  // namespace

bool looksLikeScript(std::string_view text) noexcept {
    size_t start = 0;
    while (start < text.size() && start < kMaxScriptBytes) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        while (!line.empty() && isSpace(line.front())) line.remove_prefix(1);
        if (!line.empty()) return line.substr(0, kScriptMagic.size()) == kScriptMagic;
        start = end + 1;
    }
    return false;
}

ParseResult parseScript(std::string_view text) { return Parser().run(text); }

bool renderScript(const ProceduralScript& script, uint8_t* image) {
    const ScriptStep& g = script.generator;
    if (!image || !g.effect || !g.effect->run) return false;
    if (!g.effect->run(image, script.width, script.height, g.effect->clamped(g.values))) return false;
    for (const ScriptStep& step : script.chain) {
        const EffectValues values = step.effect->clamped(step.values);
        for (int32_t i = 0; i < step.repeat; ++i)
            if (!step.effect->run(image, script.width, script.height, values)) return false;
    }
    return true;
}

}  // namespace dro::procedural
