// Random text as a procedural script: the parser must neither crash nor accept what
// breaks its limits, and what it accepts must render. Only tiny pictures are rendered,
// so a script asking for the largest counts still runs in milliseconds.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "imaging/lib/procedural/script_format.h"

using namespace dro::procedural;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)looksLikeScript(text);
    const ParseResult parsed = parseScript(text);
    if (!parsed.ok) {
        if (parsed.error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const ProceduralScript& s = parsed.script;
    int32_t runs = 0;
    for (const ScriptStep& step : s.chain) runs += step.repeat;
    if (s.width < 1 || s.height < 1 || s.width > kMaxImageSide || s.height > kMaxImageSide ||
        static_cast<int32_t>(s.chain.size()) > kMaxChainLength || runs > kMaxEffectRuns || !s.generator.effect) {
        std::abort();  // accepted beyond the limits
    }
    if (int64_t{s.width} * s.height <= 256) {
        std::vector<uint8_t> image(static_cast<size_t>(s.width) * static_cast<size_t>(s.height) * 4);
        if (!renderScript(s, image.data())) std::abort();
    }
    return 0;
}
