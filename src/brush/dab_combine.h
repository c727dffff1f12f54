// How a dab combines a source S with the destination D at coverage v, one struct per
// rule, baked into the row walk by template.
#pragma once

#include "brush/dab_job.h"

namespace dro::dab {

// ---- Combining a source S with the destination D at coverage v ------------------------
// Each combine leaves the colour in O, the alpha in oA, and D as the combination used
// it (the pick-up reads that).

// Modes below 34: a transparent destination takes the source as it is.
template <class Rest>
struct LowMode {
    static void combine(const DabJob& j, const Pixel& s, Pixel& d, uint32_t v, Pixel& o) noexcept {
        if (d.a == 0) {
            o = s;
            o.a = (v * s.a) >> 16;
            d.r = d.g = d.b = 0;
            return;
        }
        Rest::combine(j, s, d, v, o);
    }
};

// Mix mode Normal from the blend buffer: the buffer colour laid over by coverage alone.
struct BufferNormal {
    static void combine(const DabJob&, const Pixel& s, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        const uint32_t i = 65536 - v;
        o.a = (((i * d.a) >> 8) + ((v * s.a) >> 8)) >> 8;
        for (int c = 0; c < 3; ++c) o[c] = s.a == 0 ? d[c] : (((i * d[c]) >> 8) + ((v * s[c]) >> 8)) >> 8;
    }
};

// Erasing lowers the alpha by coverage and keeps the colour.
struct Erase {
    static void combine(const DabJob&, const Pixel&, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        o = d;
        o.a = ((65535 - v) * d.a) >> 16;
    }
};

// Mix mode Normal, the tool colour over the destination; colour sums masked to the high half
// before the division by the new alpha.
struct Normal {
    static void combine(const DabJob&, const Pixel& s, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        const uint32_t a = (v * s.a) >> 16;
        o.a = (((65535 - d.a) * a) >> 16) + d.a;
        for (int c = 0; c < 3; ++c) {
            const uint32_t dp = (d[c] * d.a) >> 16;
            const uint32_t sum = (((65535 - a) * dp) & 0xFFFF0000u) + ((a * s[c]) & 0xFFFF0000u);
            o[c] = std::min<uint32_t>(sum / o.a, 65535);
        }
    }
};

// Every other id below 34 (33 is multiply).
struct Multiply {
    static void combine(const DabJob&, const Pixel& s, const Pixel& d, uint32_t v, Pixel& o) noexcept {
        const uint64_t a = uint64_t{v} * s.a / 65535;
        o.a = static_cast<uint32_t>(((65535 - d.a) * a) / 65535 + d.a);
        for (int c = 0; c < 3; ++c) {
            const uint64_t dp = (uint64_t{d[c]} * d.a) >> 16;
            const uint64_t sp = (a * s[c]) >> 16;
            const uint64_t sum = (65535 - a) * dp / 65535 + (65535 - uint64_t{d.a}) * sp / 65535 + dp * sp / 65535;
            o[c] = static_cast<uint32_t>(std::min<uint64_t>(sum * 65535 / o.a, 65535));
        }
    }
};

// Modes 34 and up: pre-mix a partly transparent destination towards the source, take
// the mode's result, weigh it by the amount and lay it down by coverage.
template <class Mode>
struct HighMode {
    static void combine(const DabJob& j, const Pixel& s, Pixel& d, uint32_t v, Pixel& o) noexcept {
        if (d.a == 0) {
            d.r = s.r;
            d.g = s.g;
            d.b = s.b;
        } else if (d.a < 65535) {
            const uint32_t k = std::min<uint32_t>(3 * (((65535 - d.a) * v) >> 16), 65535);
            for (int c = 0; c < 3; ++c) d[c] = ((((65535 - k) * d[c]) >> 8) + ((k * s[c]) >> 8)) >> 8;
        }
        o.a = j.erase ? 0 : s.a;

        mix::Rgb c;
        const mix::Outcome outcome = Mode::apply(s.rgb(), d.rgb(), c, j.modeContext);
        switch (outcome) {
            case mix::Outcome::Amount:
                for (int ch = 0; ch < 3; ++ch) {
                    o[ch] = limit16((((int64_t{s[ch]} * j.mixAmountRest) >> 4) + ((int64_t{c[ch]} * j.mixAmount) >> 4)) >> 4);
                }
                break;
            case mix::Outcome::Direct:
                o.r = c.r, o.g = c.g, o.b = c.b;
                break;
            case mix::Outcome::Keep:
                o.r = c.r, o.g = c.g, o.b = c.b;
                o.a = d.a;
                break;
            case mix::Outcome::Grey:
                o.r = c.r, o.g = c.g, o.b = c.b;
                d.r = d.g = d.b = 0x7FFF;
                o.a = mix::lightness(s.rgb());
                break;
        }
        if (v < 65535) {
            const uint32_t i = 65536 - v;
            o.a = (((o.a * v) >> 8) + ((i * d.a) >> 8)) >> 8;
            for (int ch = 0; ch < 3; ++ch) o[ch] = std::min<uint32_t>(((((o[ch] * v) >> 8) + ((i * d[ch]) >> 8)) >> 8) + 1, 65535);
        }
    }
};

}  // namespace dro::dab
