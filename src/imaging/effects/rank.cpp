// Rank and mean filters over a square window of the layer. The two that average colour
// across pixels (arithmetic mean, midpoint) work on premultiplied colour.
#include <algorithm>

#include "imaging/effects/effect_registry.h"
#include "imaging/effects/effect_steps.h"
#include "imaging/lib/rank.h"

namespace dro {
namespace {

constexpr std::string_view kRank = "Rank filters";

// 0..1000 → radius 0..10 pixels (window 1..21), at least 1.
int32_t radiusOf(const EffectArgs& a) noexcept { return std::max(1, static_cast<int32_t>(a.percent[0] * 0.1f)); }

template <RankKind kind, Premultiply premultiply>
void rank(const EffectArgs& a) {
    runLibraryStep(premultiply, [&](const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
        return rankFilter(s, w, h, 4, w * 4, d, radiusOf(a), kind);
    });
}

constexpr ControlInfo kWindow = slider(1, 100, "window radius: value ÷ 100 pixels, at least 1 (100 = 3 × 3)");

}  // namespace

void registerRankEffects(EffectRegistry& r) {
    r.add("Arithmetic Mean", kRank, "mean of the window", rank<RankKind::arithmeticMean, Premultiply::yes>,
          {kWindow});
    r.add("Geometric Mean", kRank, "geometric mean of the window", rank<RankKind::geometricMean, Premultiply::no>,
          {kWindow});
    r.add("Harmonic Mean", kRank, "harmonic mean of the window", rank<RankKind::harmonicMean, Premultiply::no>,
          {kWindow});
    r.add("Maximum2", kRank, "largest value of the window per channel", rank<RankKind::maximum, Premultiply::no>,
          {kWindow});
    r.add("Minimum2", kRank, "smallest value of the window per channel", rank<RankKind::minimum, Premultiply::no>,
          {kWindow});
    r.add("Midpoint", kRank, "half way between the window's smallest and largest value",
          rank<RankKind::midpoint, Premultiply::yes>, {kWindow});
    r.add("Median", kRank, "middle value of the window per channel (running histogram)",
          rank<RankKind::median, Premultiply::no>, {kWindow});
}

}  // namespace dro
