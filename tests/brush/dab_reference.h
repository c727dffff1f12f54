// A plain per-pixel walk of a dab, written straight from the rules with one switch over
// the mix mode, against which the engine's specialised row loops are checked bit for
// bit. It works on copies of everything the dab reads, taken before the dab runs.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "brush/tool_settings.h"
#include "core/random_tables.h"

namespace dabref {

struct Inputs {
    dro::ToolSettings t;
    int W = 0, H = 0, M = 0;
    std::vector<uint16_t> target;   // W x H RGBA64 (in and out)
    std::vector<uint16_t> buffer;   // M x M RGBA64 (in and out)
    std::vector<uint16_t> shape;    // M x M
    std::vector<uint8_t> grain;     // from the cursor; empty = no grain
    std::vector<uint16_t> mask;     // W x H; empty = mask off
    std::vector<uint8_t> texture;   // W x H; empty = none
    std::vector<uint8_t> colorTable, lumTable;
    bool paintLayer = false;
    bool layerAlphaFree = false;    // current slot unlocked, tool unlocked, layer >= 2
};

inline int64_t lim(int64_t v) { return std::clamp<int64_t>(v, 0, 65535); }

// c for modes 34 and up; returns 0 amount step, 1 direct, 2 keep, 3 grey.
inline int modeResult(int mode, const int64_t s[3], const int64_t d[3], int64_t c[3], const dro::ToolSettings& t) {
    const int64_t L = (s[0] + s[1] + s[2]) / 3;
    auto bank = [&](int k, int ch) { return int64_t{t.colorBanks[ch][k]}; };
    auto setBank = [&](int k) { for (int ch = 0; ch < 3; ++ch) c[ch] = bank(k, ch); };
    auto setS = [&] { for (int ch = 0; ch < 3; ++ch) c[ch] = s[ch]; };
    auto keepD = [&] { for (int ch = 0; ch < 3; ++ch) c[ch] = d[ch]; return 2; };
    switch (mode) {
        case 249: setBank(L < 0x7FFF ? 0 : 1); return 0;
        case 250: setBank(L < 0x5555 ? 0 : L < 0xAAAA ? 1 : 2); return 0;
        case 251: setBank(L < 0x3FFF ? 0 : L < 0x7FFF ? 1 : L < 0xBFFF ? 2 : 3); return 0;
        case 252:
            for (int ch = 0; ch < 3; ++ch) {
                if (L < 0x7FFF) {
                    int64_t tt = (2 * L) >> 8;
                    c[ch] = (bank(1, ch) * tt + bank(0, ch) * (256 - tt)) >> 8;
                } else {
                    int64_t tt = (2 * L - 0xFFFE) >> 8;
                    c[ch] = (bank(1, ch) * (256 - tt) + bank(2, ch) * tt) >> 8;
                }
            }
            return 0;
        case 253: if (L < 0x7FFF) setBank(0); else for (int ch = 0; ch < 3; ++ch) c[ch] = d[ch]; return 0;
        case 254: if (L > 0x7FFF) setBank(0); else for (int ch = 0; ch < 3; ++ch) c[ch] = d[ch]; return 0;
        case 255: if (L < 0x4FFF) setBank(0); else if (L <= 0xBFFF) setS(); else setBank(1); return 0;
        case 256: if (L >= 0x4FFF) { setS(); return 0; } return keepD();
        case 257: if (L <= 0xBFFF) { setS(); return 0; } return keepD();
        case 258: if (L >= 0x4FFF && L <= 0xBFFF) { setS(); return 0; } return keepD();
        case 259: if (L <= 0x2FFF) { setBank(0); return 0; } return keepD();
        case 260: if (L >= 0xDFFF) { setBank(0); return 0; } return keepD();
        case 295: for (int ch = 0; ch < 3; ++ch) c[ch] = (s[ch] >> (t.mixContrast16 & 31)) << (t.mixContrast16 & 31); return 1;
        case 340: for (int ch = 0; ch < 3; ++ch) c[ch] = 0x7FFF; return 3;
        case 387: {
            const bool dk = ((3 * d[0] + 4 * d[1] + d[2]) >> 3) < ((3 * s[0] + 4 * s[1] + s[2]) >> 3);
            for (int ch = 0; ch < 3; ++ch) c[ch] = dk ? d[ch] : s[ch];
            return 0;
        }
        case 388: {
            const bool sl = ((3 * d[0] + 4 * d[1] + d[2]) >> 3) <= ((3 * s[0] + 4 * s[1] + s[2]) >> 3);
            for (int ch = 0; ch < 3; ++ch) c[ch] = sl ? s[ch] : d[ch];
            return 0;
        }
        case 425:
            for (int ch = 0; ch < 3; ++ch) {
                if (L < 0x7FFF) {
                    c[ch] = (int64_t{t.color[ch]} * ((2 * L) >> 8)) >> 8;
                } else {
                    const int64_t tt = (2 * L - 65536) >> 8;
                    c[ch] = (int64_t{t.color[ch]} * (256 - tt) + 65535 * tt) >> 8;
                }
            }
            return 0;
        default: break;
    }
    for (int ch = 0; ch < 3; ++ch) {
        const int64_t S = s[ch], D = d[ch];
        int64_t r = S;
        switch (mode) {
            case 34: r = 65535 - (((65535 - D) * (65535 - S)) >> 16); break;
            case 35: r = std::min(D, S); break;
            case 36: r = std::max(D, S); break;
            case 37: r = std::llabs(D - S); break;
            case 38: r = 65535 - std::llabs(65535 - D - S); break;
            case 39: r = D + S - ((D * S) >> 15); break;
            case 40: r = D < 0x7FFF ? (D * S) >> 15 : 65535 - (((65535 - D) * (65535 - S)) >> 15); break;
            case 41: r = S < 0x7FFF ? (D * S) >> 15 : 65535 - (((65535 - D) * (65535 - S)) >> 15); break;
            case 42: {
                const double a = S / 65535.0, b = D / 65535.0;
                const double v = a >= 0.5 ? (2 * a - 1) * std::sqrt(b) + 2 * b * (1 - a) : b * ((1 - 2 * a) * b + 2 * a);
                r = static_cast<int64_t>(v * 65535);
                break;
            }
            case 43: r = S < 65535 ? std::min<int64_t>((D << 16) / (65535 - S), 65535) : 65535; break;
            case 44: r = S == 0 ? 0 : std::max<int64_t>(65535 - ((65535 - D) << 16) / S, 0); break;
            case 45: r = S < 65535 ? std::min<int64_t>(D * D / (65535 - S), 65535) : 65535; break;
            case 46: r = D < 65535 ? std::min<int64_t>(S * S / (65535 - D), 65535) : 65535; break;
            case 47: r = std::min<int64_t>(D + S, 65535); break;
            case 48: r = std::max<int64_t>(D + S - 65535, 0); break;
            case 261: r = S < 0x2AAA ? 0 : S < 0x7FFF ? 0x5555 : S < 0xD555 ? 0xAAAA : 65535; break;
            case 262: r = S < 0x5555 ? 0 : S < 0xAAAA ? 0x7FFF : 65535; break;
            default: break;  // no formula: the source
        }
        c[ch] = lim(r);
    }
    return 0;
}

struct Square {
    int left, top, right, bottom, skipX, skipY;
};
inline Square square(int x, int y, int side, int W, int H) {
    Square q;
    q.left = x - side / 2;
    q.top = y - side / 2;
    q.right = std::min(q.left + side, W);
    q.bottom = std::min(q.top + side, H);
    q.skipX = q.left < 0 ? -q.left : 0;
    q.skipY = q.top < 0 ? -q.top : 0;
    q.left = std::max(q.left, 0);
    q.top = std::max(q.top, 0);
    return q;
}

// The dab of DRO_DrawDabGrit after its colour has replaced `color`. Draws random numbers
// in the engine's order: colour variation, then per row the two cursors.
inline void dab(Inputs& in, int x, int y) {
    const dro::ToolSettings& t = in.t;
    const bool toolColor = t.blendStrength == 0 || t.tempDisableBlend;
    const bool erase = t.eraseModeOn;
    const bool atMerge = in.paintLayer && toolColor && !erase;
    const Square q = square(x, y, t.scaleSize, in.W, in.H);
    int64_t dabc[4] = {t.color[0], t.color[1], t.color[2], 65535};
    if (t.colorVary > 0) {
        const int64_t off = (t.colorVary / 2 - dro::nextRandom() % t.colorVary) * 256;
        for (auto& c : dabc) c = lim(c + off);
    }
    if (erase) dabc[0] = dabc[1] = dabc[2] = 65535, dabc[3] = 0;
    const int64_t p = t.blendPrimaryColorStrength;
    const int M = in.M;
    const bool pick = t.blendStrength != 0 && t.blendRemix && !t.tempDisableBlend;

    for (int yy = q.top; yy < q.bottom; ++yy) {
        const int sr = t.scaleTable[yy - q.top + q.skipY];
        int cc = -1, lc = -1;
        if (t.pixColorVary > 0) cc = dro::nextRandom() % M;
        if (t.pixLumVary > 0) lc = dro::nextRandom() % M;
        for (int xx = q.left; xx < q.right; ++xx) {
            const int sc = t.scaleTable[xx - q.left + q.skipX];
            int col = sc, row = sr;
            if (t.rotateBrushMode == 1) {
                const int h = t.size / 2, cx = sc - h, cy = sr - h;
                const int u = static_cast<int>(static_cast<float>(cx) * t.rotateCos - static_cast<float>(cy) * t.rotateSin) + h;
                const int w = static_cast<int>(static_cast<float>(cx) * t.rotateSin + static_cast<float>(cy) * t.rotateCos) + h;
                if (u >= 0 && u < t.size && w >= 0 && w < t.size) col = u, row = w;
            }
            if (t.grainCellSize != 0 && !in.grain.empty() && in.grain[row * M + col] > t.densityLimit) continue;
            int64_t v = in.shape[row * M + col];
            if (t.alpha < 100) v = (v * t.alpha128) >> 7;
            const size_t ci = static_cast<size_t>(yy) * in.W + xx;
            if (!in.texture.empty() && in.texture[ci] < 255) v = (in.texture[ci] * v) >> 8;
            int64_t m = 65535;
            if (!in.mask.empty()) {
                m = in.mask[ci];
                if (!atMerge && m < 65535) v = (m * v) >> 16;
            }
            if (v == 0) continue;
            if (t.solidBrushMode) v = 65535;

            int64_t S[4];
            uint16_t* bp = &in.buffer[(static_cast<size_t>(row) * M + col) * 4];
            if (toolColor) {
                for (int c = 0; c < 4; ++c) S[c] = dabc[c];
                if (t.pixColorVary > 0) {
                    const int64_t off = (t.pixColorVary / 2 - in.colorTable[cc++] % t.pixColorVary) * 256;
                    for (int c = 0; c < 4; ++c) S[c] = lim(dabc[c] + off);
                }
                if (t.pixLumVary > 0) {
                    const double f = (128 - t.pixLumVary / 2 + in.lumTable[lc++] % t.pixLumVary) / 256.0;
                    for (int c = 0; c < 3; ++c) {
                        const double C = static_cast<double>(dabc[c]);
                        S[c] = static_cast<int64_t>(f > 0.5 ? C + (65535 - C) * (f - 0.5) * 2 : C - C * (0.5 - f) * 2);
                    }
                }
            } else {
                for (int c = 0; c < 4; ++c) S[c] = bp[c];
                if (t.imageBrushMode && S[3] < 65535) {
                    v = (v * S[3]) >> 16;
                    S[3] = 65535;
                    if (v == 0) v = 1;
                }
                if (t.pixColorVary > 0) {
                    const int64_t off = (t.pixColorVary / 2 - in.colorTable[cc++] % t.pixColorVary) * 256;
                    for (int c = 0; c < 3; ++c) S[c] = lim(S[c] + off);
                }
                if (t.pixLumVary > 0) {
                    const double f = (128 - t.pixLumVary / 2 + in.lumTable[lc++] % t.pixLumVary) / 256.0;
                    for (int c = 0; c < 3; ++c) {
                        const double C = static_cast<double>(S[c]);
                        S[c] = static_cast<int64_t>(f > 0.5 ? C + (65535 - C) * (f - 0.5) * 2 : C - C * (0.5 - f) * 2);
                    }
                }
                if (p != 0) for (int c = 0; c < 4; ++c) S[c] = (t.blendPrimaryColorRest * S[c] + p * dabc[c]) >> 8;
            }

            uint16_t* dp = &in.target[ci * 4];
            int64_t D[4] = {dp[0], dp[1], dp[2], dp[3]};
            const int64_t dA = D[3];
            int64_t O[3], oA;
            const int mode = t.mixMode;
            if (mode < 34) {
                if (dA == 0) {
                    for (int c = 0; c < 3; ++c) O[c] = S[c], D[c] = 0;
                    oA = (v * S[3]) >> 16;
                } else if (!toolColor && mode == 32) {
                    const int64_t i = 65536 - v;
                    oA = (((i * dA) >> 8) + ((v * S[3]) >> 8)) >> 8;
                    for (int c = 0; c < 3; ++c) O[c] = S[3] == 0 ? D[c] : (((i * D[c]) >> 8) + ((v * S[c]) >> 8)) >> 8;
                } else if (erase) {
                    oA = ((65535 - v) * dA) >> 16;
                    for (int c = 0; c < 3; ++c) O[c] = D[c];
                } else if (mode == 32) {
                    const int64_t a = (v * S[3]) >> 16;
                    oA = (((65535 - dA) * a) >> 16) + dA;
                    for (int c = 0; c < 3; ++c) {
                        const int64_t d1 = (D[c] * dA) >> 16;
                        const uint32_t num = static_cast<uint32_t>(((65535 - a) * d1) & 0xFFFF0000) +
                                             static_cast<uint32_t>((a * S[c]) & 0xFFFF0000);
                        O[c] = num / static_cast<uint32_t>(oA);
                    }
                } else {
                    const int64_t a = (v * S[3]) / 65535;
                    oA = ((65535 - dA) * a) / 65535 + dA;
                    for (int c = 0; c < 3; ++c) {
                        const int64_t d1 = (D[c] * dA) >> 16, s1 = (a * S[c]) >> 16;
                        O[c] = ((65535 - a) * d1 / 65535 + (65535 - dA) * s1 / 65535 + d1 * s1 / 65535) * 65535 / oA;
                    }
                }
            } else {
                if (dA == 0) {
                    for (int c = 0; c < 3; ++c) D[c] = S[c];
                } else if (dA < 65535) {
                    const int64_t k = std::min<int64_t>(3 * (((65535 - dA) * v) >> 16), 65535);
                    for (int c = 0; c < 3; ++c) D[c] = (((65535 - k) * D[c] >> 8) + (k * S[c] >> 8)) >> 8;
                }
                oA = erase ? 0 : S[3];
                int64_t C[3];
                const int kind = modeResult(mode, S, D, C, t);
                for (int c = 0; c < 3; ++c) {
                    O[c] = kind == 0 ? ((S[c] * t.mixAmountRest >> 4) + (C[c] * t.mixAmount >> 4)) >> 4 : C[c];
                }
                if (kind == 2) oA = dA;
                if (kind == 3) {
                    for (int c = 0; c < 3; ++c) D[c] = 0x7FFF;
                    oA = (S[0] + S[1] + S[2]) / 3;
                }
                if (v < 65535) {
                    const int64_t i = 65536 - v;
                    oA = ((oA * v >> 8) + (i * dA >> 8)) >> 8;
                    for (int c = 0; c < 3; ++c) O[c] = std::min<int64_t>((((O[c] * v >> 8) + (i * D[c] >> 8)) >> 8) + 1, 65535);
                }
            }
            if (pick) {
                const int64_t b = t.blendStrength, rest = t.blendStrengthRest;
                int64_t nb[4];
                if (S[3] == 0) {
                    nb[0] = D[0], nb[1] = D[1], nb[2] = D[2], nb[3] = (dA * rest) >> 8;
                } else if (dA == 0) {
                    nb[0] = S[0], nb[1] = S[1], nb[2] = S[2], nb[3] = (S[3] * b) >> 8;
                } else {
                    for (int c = 0; c < 3; ++c) nb[c] = ((D[c] * rest + b * S[c]) >> 8) + 1;
                    nb[3] = (S[3] * b + dA * rest) >> 8;
                }
                for (int c = 0; c < 4; ++c) bp[c] = static_cast<uint16_t>(lim(nb[c]));
            }
            if (erase) {
                if (!t.blobLocked) dp[3] = static_cast<uint16_t>(oA);
                else if (dA > 0x1FFF) dp[3] = static_cast<uint16_t>(std::max<int64_t>(oA, 0x2400));
                continue;
            }
            if (!t.colorLocked) for (int c = 0; c < 3; ++c) dp[c] = static_cast<uint16_t>(lim(O[c]));
            const bool may = (in.layerAlphaFree || in.paintLayer) && (!t.blobLocked || (dA > 0x1FFF && oA > 0x1FFF));
            if (may) {
                int64_t a = t.alphaLevel > 0 ? t.alphaLevel : oA;
                if (atMerge && !in.mask.empty() && m < a) a = m;
                dp[3] = static_cast<uint16_t>(lim(a));
            }
        }
    }
}

}  // namespace dabref
