// The brush mix modes from 34 up: what a dab (and a blend-buffer mix) computes from a
// source colour s and a destination colour d, one tiny function per mode. Channels are
// 16-bit values held in 32-bit integers; every result is limited to 0..65535.
//
// A mode either gives a colour c that the amount step then weighs against s, a colour
// taken as it is, or keeps the destination. Modes are selected once per dab and baked
// into the pixel loop by template (see dab_render.cpp); the ids are listed once below.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace dro::mix {

struct Rgb {
    uint32_t r = 0, g = 0, b = 0;
    uint32_t& operator[](int i) noexcept { return i == 0 ? r : (i == 1 ? g : b); }
    uint32_t operator[](int i) const noexcept { return i == 0 ? r : (i == 1 ? g : b); }
};

// What the caller does with c.
enum class Outcome : uint8_t {
    Amount,  // O = weigh s against c by mixAmount
    Direct,  // O = c as it is
    Keep,    // the destination stays: c = d, alpha = destination alpha
    Grey,    // c = d = 0x7FFF on every channel, alpha = L of the source
};

struct Context {
    // colorBanks by channel: banks[channel][k]
    const std::array<std::array<uint16_t, 4>, 4>* banks = nullptr;
    std::array<uint32_t, 3> toolColor{};  // `color` R, G, B
    int32_t posterShift = 0;              // mixContrast16 & 31

    uint32_t bank(int k, int channel) const noexcept { return (*banks)[static_cast<size_t>(channel)][static_cast<size_t>(k)]; }
    Rgb bankColor(int k) const noexcept { return Rgb{bank(k, 0), bank(k, 1), bank(k, 2)}; }
};

inline uint32_t limit16(int64_t v) noexcept { return static_cast<uint32_t>(std::clamp<int64_t>(v, 0, 65535)); }

// (sR + sG + sB) / 3
inline uint32_t lightness(const Rgb& s) noexcept { return (s.r + s.g + s.b) / 3; }
// (3R + 4G + B) >> 3
inline uint32_t weightedLuma(const Rgb& p) noexcept { return (3 * p.r + 4 * p.g + p.b) >> 3; }

// ---- Per-channel modes: c = f(s, d) ---------------------------------------------------

template <class F>
struct PerChannel {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context&) noexcept {
        c.r = F::channel(s.r, d.r);
        c.g = F::channel(s.g, d.g);
        c.b = F::channel(s.b, d.b);
        return Outcome::Amount;
    }
};

// 65535 − ((65535 − d)(65535 − s) >> 16)
struct Screen : PerChannel<Screen> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept { return 65535 - (((65535 - d) * (65535 - s)) >> 16); }
};
// min(d, s)
struct Darken : PerChannel<Darken> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept { return std::min(d, s); }
};
// max(d, s)
struct Lighten : PerChannel<Lighten> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept { return std::max(d, s); }
};
// |d − s|
struct Difference : PerChannel<Difference> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept { return d > s ? d - s : s - d; }
};
// 65535 − |65535 − d − s|
struct Negation : PerChannel<Negation> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        const int32_t t = 65535 - static_cast<int32_t>(d) - static_cast<int32_t>(s);
        return limit16(65535 - (t < 0 ? -t : t));
    }
};
// d + s − (d·s >> 15)
struct Exclusion : PerChannel<Exclusion> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        return limit16(int64_t{d} + s - ((int64_t{d} * s) >> 15));
    }
};
// d < 0x7FFF ? d·s >> 15 : 65535 − ((65535 − d)(65535 − s) >> 15)
struct Overlay : PerChannel<Overlay> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        if (d < 0x7FFF) return limit16((int64_t{d} * s) >> 15);
        return limit16(65535 - ((int64_t{65535 - d} * (65535 - s)) >> 15));
    }
};
// overlay with the test on s
struct HardLight : PerChannel<HardLight> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        if (s < 0x7FFF) return limit16((int64_t{d} * s) >> 15);
        return limit16(65535 - ((int64_t{65535 - d} * (65535 - s)) >> 15));
    }
};
// a = s/65535, b = d/65535: a ≥ 0.5 ? (2a − 1)√b + 2b(1 − a) : b((1 − 2a)b + 2a)
struct SoftLight : PerChannel<SoftLight> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        const double a = s / 65535.0;
        const double b = d / 65535.0;
        const double r = a >= 0.5 ? (2 * a - 1) * std::sqrt(b) + 2 * b * (1 - a) : b * ((1 - 2 * a) * b + 2 * a);
        return limit16(static_cast<int64_t>(r * 65535));
    }
};
// s < 65535 ? min((d << 16) / (65535 − s), 65535) : 65535
struct Dodge : PerChannel<Dodge> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        return s < 65535 ? std::min<uint32_t>((d << 16) / (65535 - s), 65535) : 65535;
    }
};
// s = 0 ? 0 : max(65535 − ((65535 − d) << 16) / s, 0)
struct Burn : PerChannel<Burn> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        if (s == 0) return 0;
        return limit16(65535 - static_cast<int64_t>(((65535 - d) << 16) / s));
    }
};
// s < 65535 ? min(d² / (65535 − s), 65535) : 65535
struct Reflect : PerChannel<Reflect> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        return s < 65535 ? std::min<uint32_t>(d * d / (65535 - s), 65535) : 65535;
    }
};
// d < 65535 ? min(s² / (65535 − d), 65535) : 65535
struct Glow : PerChannel<Glow> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept {
        return d < 65535 ? std::min<uint32_t>(s * s / (65535 - d), 65535) : 65535;
    }
};
// min(d + s, 65535)
struct Add : PerChannel<Add> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept { return std::min<uint32_t>(d + s, 65535); }
};
// max(d + s − 65535, 0)
struct Subtract : PerChannel<Subtract> {
    static uint32_t channel(uint32_t s, uint32_t d) noexcept { return d + s > 65535 ? d + s - 65535 : 0; }
};
// four levels per channel of s
struct FourLevels : PerChannel<FourLevels> {
    static uint32_t channel(uint32_t s, uint32_t) noexcept {
        return s < 0x2AAA ? 0 : s < 0x7FFF ? 0x5555 : s < 0xD555 ? 0xAAAA : 65535;
    }
};
// three levels per channel of s
struct ThreeLevels : PerChannel<ThreeLevels> {
    static uint32_t channel(uint32_t s, uint32_t) noexcept { return s < 0x5555 ? 0 : s < 0xAAAA ? 0x7FFF : 65535; }
};

// ---- Whole-pixel modes ------------------------------------------------------------------

inline Outcome take(Rgb& c, const Rgb& from) noexcept {
    c = from;
    return Outcome::Amount;
}
inline Outcome keep(Rgb& c, const Rgb& d) noexcept {
    c = d;
    return Outcome::Keep;
}

// bank 0 below L 0x7FFF, else bank 1
struct Banks2 {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context& x) noexcept {
        return take(c, x.bankColor(lightness(s) < 0x7FFF ? 0 : 1));
    }
};
// banks 0, 1, 2 by thirds of L
struct Banks3 {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context& x) noexcept {
        const uint32_t l = lightness(s);
        return take(c, x.bankColor(l < 0x5555 ? 0 : l < 0xAAAA ? 1 : 2));
    }
};
// banks 0..3 by quarters of L
struct Banks4 {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context& x) noexcept {
        const uint32_t l = lightness(s);
        return take(c, x.bankColor(l < 0x3FFF ? 0 : l < 0x7FFF ? 1 : l < 0xBFFF ? 2 : 3));
    }
};
// gradient through banks 0, 1, 2 by L
struct BankGradient {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context& x) noexcept {
        const uint32_t l = lightness(s);
        for (int ch = 0; ch < 3; ++ch) {
            if (l < 0x7FFF) {
                const uint32_t t = (2 * l) >> 8;
                c[ch] = limit16((int64_t{x.bank(1, ch)} * t + int64_t{x.bank(0, ch)} * (256 - t)) >> 8);
            } else {
                const int64_t t = (int64_t{2} * l - 0xFFFE) >> 8;
                c[ch] = limit16((int64_t{x.bank(1, ch)} * (256 - t) + int64_t{x.bank(2, ch)} * t) >> 8);
            }
        }
        return Outcome::Amount;
    }
};
// bank 0 where L < 0x7FFF, else d
struct BankDark {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context& x) noexcept {
        return take(c, lightness(s) < 0x7FFF ? x.bankColor(0) : d);
    }
};
// bank 0 where L > 0x7FFF, else d
struct BankLight {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context& x) noexcept {
        return take(c, lightness(s) > 0x7FFF ? x.bankColor(0) : d);
    }
};
// bank 0 below 0x4FFF, s up to 0xBFFF, else bank 1
struct BankEnds {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context& x) noexcept {
        const uint32_t l = lightness(s);
        return take(c, l < 0x4FFF ? x.bankColor(0) : l <= 0xBFFF ? s : x.bankColor(1));
    }
};
// s where L ≥ 0x4FFF, else the destination stays
struct SkipDark {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context&) noexcept {
        return lightness(s) >= 0x4FFF ? take(c, s) : keep(c, d);
    }
};
// s where L ≤ 0xBFFF, else the destination stays
struct SkipLight {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context&) noexcept {
        return lightness(s) <= 0xBFFF ? take(c, s) : keep(c, d);
    }
};
// s where 0x4FFF ≤ L ≤ 0xBFFF, else the destination stays
struct MidTones {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context&) noexcept {
        const uint32_t l = lightness(s);
        return (l >= 0x4FFF && l <= 0xBFFF) ? take(c, s) : keep(c, d);
    }
};
// bank 0 where L ≤ 0x2FFF, else the destination stays
struct BankShadows {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context& x) noexcept {
        return lightness(s) <= 0x2FFF ? take(c, x.bankColor(0)) : keep(c, d);
    }
};
// bank 0 where L ≥ 0xDFFF, else the destination stays
struct BankHighlights {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context& x) noexcept {
        return lightness(s) >= 0xDFFF ? take(c, x.bankColor(0)) : keep(c, d);
    }
};
// (s >> k) << k, k = mixContrast16 & 31; taken without the amount step
struct Posterise {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context& x) noexcept {
        const uint32_t k = static_cast<uint32_t>(x.posterShift);
        for (int ch = 0; ch < 3; ++ch) c[ch] = (s[ch] >> k) << k;
        return Outcome::Direct;
    }
};
// grey by luminance: colour 0x7FFF, alpha L
struct GreyByLuminance {
    static Outcome apply(const Rgb&, const Rgb&, Rgb& c, const Context&) noexcept {
        c = Rgb{0x7FFF, 0x7FFF, 0x7FFF};
        return Outcome::Grey;
    }
};
// the darker of the two by weighted luminance
struct KeepDarker {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context&) noexcept {
        return take(c, weightedLuma(d) < weightedLuma(s) ? d : s);
    }
};
// the lighter of the two by weighted luminance (ties go to s)
struct KeepLighter {
    static Outcome apply(const Rgb& s, const Rgb& d, Rgb& c, const Context&) noexcept {
        return take(c, weightedLuma(d) <= weightedLuma(s) ? s : d);
    }
};
// tint the tool colour by L: towards black below the middle, towards white above
struct Tint {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context& x) noexcept {
        const int64_t l = lightness(s);
        for (int ch = 0; ch < 3; ++ch) {
            const int64_t tool = x.toolColor[static_cast<size_t>(ch)];
            if (l < 0x7FFF) {
                c[ch] = limit16((tool * ((2 * l) >> 8)) >> 8);
            } else {
                const int64_t t = (2 * l - 65536) >> 8;  // −1 at L = 0x7FFF, kept as it falls
                c[ch] = limit16((tool * (256 - t) + 65535 * t) >> 8);
            }
        }
        return Outcome::Amount;
    }
};
// Any id from 34 up without a formula of its own paints the source unchanged.
struct Plain {
    static Outcome apply(const Rgb& s, const Rgb&, Rgb& c, const Context&) noexcept { return take(c, s); }
};

// The one list of mode ids from 34 up that have a formula.
#define DRO_MIX_MODE_LIST(X)                                                                             \
    X(34, Screen) X(35, Darken) X(36, Lighten) X(37, Difference) X(38, Negation) X(39, Exclusion)          \
    X(40, Overlay) X(41, HardLight) X(42, SoftLight) X(43, Dodge) X(44, Burn) X(45, Reflect) X(46, Glow)   \
    X(47, Add) X(48, Subtract) X(249, Banks2) X(250, Banks3) X(251, Banks4) X(252, BankGradient)           \
    X(253, BankDark) X(254, BankLight) X(255, BankEnds) X(256, SkipDark) X(257, SkipLight) X(258, MidTones) \
    X(259, BankShadows) X(260, BankHighlights) X(261, FourLevels) X(262, ThreeLevels) X(295, Posterise)    \
    X(340, GreyByLuminance) X(387, KeepDarker) X(388, KeepLighter) X(425, Tint)

#define DRO_MIX_COUNT_ONE(id, name) +1
inline constexpr int kMixModeCount = 0 DRO_MIX_MODE_LIST(DRO_MIX_COUNT_ONE);
#undef DRO_MIX_COUNT_ONE
static_assert(kMixModeCount == 34, "mix mode list");

inline constexpr std::array<int32_t, kMixModeCount> kMixModeIds = {
#define DRO_MIX_ID(id, name) id,
    DRO_MIX_MODE_LIST(DRO_MIX_ID)
#undef DRO_MIX_ID
};

// Mix mode ids, a type of their own: mix mode 32 (Normal) is not blend mode 32. The
// two below 34 are the dab's own rules; the rest come from the list.
enum class MixMode : int32_t {
    Normal = 32,
    Multiply = 33,
#define DRO_MIX_ENUM(id, name) name = id,
    DRO_MIX_MODE_LIST(DRO_MIX_ENUM)
#undef DRO_MIX_ENUM
};

constexpr int32_t mixId(MixMode mode) noexcept { return static_cast<int32_t>(mode); }

// The first id with a mode function; ids below it combine by the low rules.
inline constexpr int32_t kFirstListedMixMode = mixId(MixMode::Screen);
static_assert(kMixModeIds.front() == kFirstListedMixMode);

// Position of a mode id in the list, or kMixModeCount (Plain) when it has no formula.
constexpr int mixModeIndex(int32_t mode) noexcept {
    for (int i = 0; i < kMixModeCount; ++i) {
        if (kMixModeIds[static_cast<size_t>(i)] == mode) return i;
    }
    return kMixModeCount;
}

}  // namespace dro::mix
