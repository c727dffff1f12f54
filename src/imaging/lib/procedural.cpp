#include "imaging/lib/procedural.h"

#include <span>

#include "imaging/lib/rotate.h"

namespace dro {
namespace {

using EffectValues = std::array<int32_t, kIslEffectValues>;
using EffectFunction = bool (*)(uint8_t* image, int32_t width, int32_t height, const EffectValues& values);

bool rotateEffect(uint8_t* image, int32_t width, int32_t height, const EffectValues& values) {
    return rotateRgba32(image, width, height, values[3], values[4]);
}

struct BuiltInEffect {
    int32_t number;
    EffectFunction run;
};

// The built-in effects by number; new effects join this list.
constexpr std::array kBuiltInEffects{
    BuiltInEffect{kIslEffectRotate, rotateEffect},
};

EffectFunction findEffect(int32_t number) noexcept {
    for (const BuiltInEffect& e : kBuiltInEffects) {
        if (e.number == number) return e.run;
    }
    return nullptr;
}

struct AddedEffect {
    EffectFunction run = nullptr;
    bool enabled = false;
    EffectValues values{};
};

struct Session {
    bool initialized = false;
    bool scriptLoaded = false;
    int32_t effectCount = 0;
    std::array<AddedEffect, kIslMaxEffects> effects{};
    const char* lastError = "";
};

Session& session() noexcept {
    static Session state;
    return state;
}

bool fail(const char* reason) noexcept {
    session().lastError = reason;
    return false;
}

int32_t readLittleEndian32(std::span<const uint8_t> bytes, size_t at) noexcept {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

}  // namespace

int32_t IslScriptHeader::imageWidth() const noexcept { return readLittleEndian32(bytes, 16); }
int32_t IslScriptHeader::imageHeight() const noexcept { return readLittleEndian32(bytes, 20); }

bool ISL_Initialize() noexcept {
    session() = Session{};
    session().initialized = true;
    return true;
}

bool ISL_LoadScriptFromFile(const char* path) noexcept {
    if (!session().initialized) return fail("not initialized");
    if (!path || !*path) return fail("no path");
    return fail("not a script");
}

bool ISL_InitBuffers() noexcept {
    if (!session().initialized) return fail("not initialized");
    return true;
}

bool ISL_ReadScriptHeaderFromFile(const char* path, IslScriptHeader* header) noexcept {
    if (!session().initialized) return fail("not initialized");
    if (!path || !header) return fail("no path");
    return fail("not a script");
}

bool ISL_ExecuteScript(uint8_t* image, int32_t width, int32_t height) noexcept {
    if (!session().initialized) return fail("not initialized");
    if (!image || width <= 0 || height <= 0) return fail("no image");
    if (!session().scriptLoaded) return fail("no script loaded");
    return fail("not a script");
}

bool ISL_ExecuteScriptOnImage(uint8_t* image, int32_t width, int32_t height) noexcept {
    Session& s = session();
    if (!s.initialized) return fail("not initialized");
    if (!image || width <= 0 || height <= 0) return fail("no image");
    if (s.effectCount == 0) return fail("no effect");
    for (int32_t i = 0; i < s.effectCount; ++i) {
        const AddedEffect& e = s.effects[i];
        if (e.enabled && !e.run(image, width, height, e.values)) return fail("effect failed");
    }
    return true;
}

bool ISL_AddEffect(int32_t effect, int32_t enabled) noexcept {
    Session& s = session();
    if (!s.initialized) return fail("not initialized");
    const EffectFunction run = findEffect(effect);
    if (!run) return fail("unknown effect");
    if (s.effectCount >= kIslMaxEffects) return fail("too many effects");
    s.effects[s.effectCount++] = AddedEffect{run, enabled != 0, {}};
    return true;
}

bool ISL_SetEffectValue(int32_t effectIndex, int32_t valueIndex, int32_t value) noexcept {
    Session& s = session();
    if (!s.initialized) return fail("not initialized");
    if (effectIndex < 0 || effectIndex >= s.effectCount) return fail("no such effect");
    if (valueIndex < 0 || valueIndex >= kIslEffectValues) return fail("no such value");
    s.effects[effectIndex].values[valueIndex] = value;
    return true;
}

// The reason of a failure outlives the session, so callers can report it afterwards.
void ISL_Finish() noexcept {
    const char* reason = session().lastError;
    session() = Session{};
    session().lastError = reason;
}

const char* ISL_GetLastError() noexcept { return session().lastError; }

}  // namespace dro
