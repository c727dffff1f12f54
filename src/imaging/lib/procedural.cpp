#include "imaging/lib/procedural.h"

#include <fstream>
#include <optional>
#include <span>
#include <string>

#include "core/subsystem_state.h"
#include "imaging/lib/procedural/effect_table.h"
#include "imaging/lib/procedural/script_format.h"

namespace dro {
namespace {

using procedural::EffectEntry;
using procedural::EffectValues;
static_assert(kIslEffectValues == procedural::kValueCount);

struct AddedEffect {
    const EffectEntry* effect = nullptr;
    bool enabled = false;
    EffectValues values{};
};

struct Session {
    bool initialized = false;
    std::optional<procedural::ProceduralScript> script;
    int32_t effectCount = 0;
    std::array<AddedEffect, kIslMaxEffects> effects{};
};

Session& session() noexcept { return subsystemState<Session>(); }

// Outlives the session, so callers can report the reason after ISL_Finish.
std::string& lastError() noexcept {
    static std::string text;
    return text;
}

bool fail(std::string reason) noexcept {
    try {
        lastError() = std::move(reason);
    } catch (...) {
        lastError().clear();
    }
    return false;
}

int32_t readLittleEndian32(std::span<const uint8_t> bytes, size_t at) noexcept {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

void writeLittleEndian32(std::span<uint8_t> bytes, size_t at, int32_t value) noexcept {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

// Reads and parses the script at path. "not a script" when the file is not one of
// ours (callers then try it as an image file); the parser's message when it is one
// but is broken.
std::optional<procedural::ProceduralScript> loadScript(const char* path) {
    if (!path || !*path) {
        fail("no path");
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        fail("not a script");
        return std::nullopt;
    }
    std::string text(procedural::kMaxScriptBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    if (!procedural::looksLikeScript(text)) {
        fail("not a script");
        return std::nullopt;
    }
    procedural::ParseResult parsed = procedural::parseScript(text);
    if (!parsed.ok) {
        fail(std::move(parsed.error));
        return std::nullopt;
    }
    return std::move(parsed.script);
}

}  // namespace

int32_t IslScriptHeader::imageWidth() const noexcept { return readLittleEndian32(bytes, 16); }
int32_t IslScriptHeader::imageHeight() const noexcept { return readLittleEndian32(bytes, 20); }

bool ISL_Initialize() noexcept {
    resetSubsystemState<Session>();
    session().initialized = true;
    lastError().clear();
    return true;
}

bool ISL_LoadScriptFromFile(const char* path) noexcept {
    if (!session().initialized) return fail("not initialized");
    try {
        session().script = loadScript(path);
    } catch (...) {
        session().script.reset();
        return fail("out of memory reading the script");
    }
    return session().script.has_value();
}

bool ISL_InitBuffers() noexcept {
    if (!session().initialized) return fail("not initialized");
    return true;
}

bool ISL_ReadScriptHeaderFromFile(const char* path, IslScriptHeader* header) noexcept {
    if (!session().initialized) return fail("not initialized");
    if (!path || !header) return fail("no path");
    std::optional<procedural::ProceduralScript> script;
    try {
        script = loadScript(path);
    } catch (...) {
        return fail("out of memory reading the script");
    }
    if (!script) return false;
    header->bytes.fill(0);
    writeLittleEndian32(header->bytes, 0, procedural::kScriptVersion);
    writeLittleEndian32(header->bytes, 16, script->width);
    writeLittleEndian32(header->bytes, 20, script->height);
    return true;
}

bool ISL_ExecuteScript(uint8_t* image, int32_t width, int32_t height) noexcept {
    const Session& s = session();
    if (!s.initialized) return fail("not initialized");
    if (!image || width <= 0 || height <= 0) return fail("no image");
    if (!s.script) return fail("no script loaded");
    if (width != s.script->width || height != s.script->height) return fail("the image is not the script's size");
    try {
        return procedural::renderScript(*s.script, image) || fail("an effect of the script failed");
    } catch (...) {
        return fail("out of memory running the script");
    }
}

bool ISL_ExecuteScriptOnImage(uint8_t* image, int32_t width, int32_t height) noexcept {
    Session& s = session();
    if (!s.initialized) return fail("not initialized");
    if (!image || width <= 0 || height <= 0) return fail("no image");
    if (s.effectCount == 0) return fail("no effect");
    try {
        for (int32_t i = 0; i < s.effectCount; ++i) {
            const AddedEffect& e = s.effects[static_cast<size_t>(i)];
            if (e.enabled && !e.effect->run(image, width, height, e.effect->clamped(e.values)))
                return fail("effect failed");
        }
    } catch (...) {
        return fail("out of memory running an effect");
    }
    return true;
}

bool ISL_AddEffect(int32_t effect, int32_t enabled) noexcept {
    Session& s = session();
    if (!s.initialized) return fail("not initialized");
    const EffectEntry* entry = procedural::effectByNumber(effect);
    if (!entry || !entry->run) return fail("unknown effect");
    if (s.effectCount >= kIslMaxEffects) return fail("too many effects");
    s.effects[static_cast<size_t>(s.effectCount++)] = AddedEffect{entry, enabled != 0, entry->defaults()};
    return true;
}

bool ISL_SetEffectValue(int32_t effectIndex, int32_t valueIndex, int32_t value) noexcept {
    Session& s = session();
    if (!s.initialized) return fail("not initialized");
    if (effectIndex < 0 || effectIndex >= s.effectCount) return fail("no such effect");
    if (valueIndex < 0 || valueIndex >= kIslEffectValues) return fail("no such value");
    s.effects[static_cast<size_t>(effectIndex)].values[static_cast<size_t>(valueIndex)] = value;
    return true;
}

void ISL_Finish() noexcept { resetSubsystemState<Session>(); }

const char* ISL_GetLastError() noexcept { return lastError().c_str(); }

}  // namespace dro
