// The fast paths of "Box Blur" and the neighbour sweeps against their plain rule, byte
// for byte, over random pictures, sizes (1-pixel lines and sizes big enough to run on
// several threads) and settings, radius 0 and radii past the picture included.
#include <random>

#include "imaging/filter_fixture.h"
#include "imaging/filters/box_blur_window.h"
#include "imaging/filters/filter_functions.h"

namespace {

struct FastPathRestorer {
    ~FastPathRestorer() { dro::filters::testhooks::setFilterFastPath(true); }
};

// Destination and, for "Box Blur", the scratch source after the run, plain then fast.
std::pair<Image, Image> bothPaths(const std::string& name, const Image& in, const dro::FilterSettings& s,
                                  Image* plainScratch, Image* fastScratch) {
    const FastPathRestorer restore;
    dro::filters::testhooks::setFilterFastPath(false);
    Image plain = runFilterOn(name, in, s, plainScratch);
    dro::filters::testhooks::setFilterFastPath(true);
    return {std::move(plain), runFilterOn(name, in, s, fastScratch)};
}

}  // namespace

// The fast passes divide without a remainder check. The float steps are monotonic in
// the sum, so getting both sides of every multiple of d right proves every sum right.
TEST(BlurFastPath, WindowQuotientIsExactForEveryFastDivisor) {
    for (int32_t d = 1; d <= dro::filters::kFastWindowLimit; ++d) {
        const float inv = 1.0f / static_cast<float>(d);
        for (int32_t q = 0; q <= 255; ++q) {
            ASSERT_EQ(dro::filters::windowQuotient(q * d, inv), q) << q * d << " / " << d;
            if (q > 0) ASSERT_EQ(dro::filters::windowQuotient(q * d - 1, inv), q - 1) << q * d - 1 << " / " << d;
        }
    }
}

TEST(BlurFastPath, BoxBlurMatchesThePlainRule) {
    std::mt19937 rng(77);
    // Host sliders: -20 gives radius 0, 0 radius 1, 5000 radius 501 (past every picture
    // here), 81900 radius 8191 (the widest window the fast path takes; wrapped, its
    // sums reach 255 x 16383); the rest at random.
    const int32_t fixed[] = {-20, 0, 5000, 81900};
    for (int trial = 0; trial < 120; ++trial) {
        const int w = trial % 9 == 0 ? 1 : 1 + static_cast<int>(rng() % 70);
        const int h = trial % 7 == 0 ? 1 : 1 + static_cast<int>(rng() % 50);
        const int32_t slider = trial % 3 == 0 ? fixed[trial / 3 % 4] : static_cast<int32_t>(rng() % 400);
        const uint8_t wrap = static_cast<uint8_t>(rng() % 2);
        const Image in = randomImage(w, h, rng(), trial % 2 ? 256 : 16);
        Image plainScratch, fastScratch;
        const auto [plain, fast] = bothPaths("Box Blur", in, settings({slider}, {wrap}), &plainScratch, &fastScratch);
        ASSERT_EQ(fast, plain) << w << "x" << h << " slider " << slider << " wrap " << int{wrap};
        ASSERT_EQ(fastScratch, plainScratch) << w << "x" << h << " slider " << slider;
    }
}

TEST(BlurFastPath, NeighbourSweepsMatchThePlainRule) {
    std::mt19937 rng(78);
    for (const char* name : {"Value Blur", "Noise Reduction", "Noise Reduction RGB"}) {
        for (int trial = 0; trial < 40; ++trial) {
            const int w = trial % 8 == 0 ? 1 : 1 + static_cast<int>(rng() % 80);
            const int h = trial % 5 == 0 ? 1 : 1 + static_cast<int>(rng() % 60);
            std::array<int32_t, 6> sliders{};
            for (auto& s : sliders) s = static_cast<int32_t>(rng() % 1001);
            const Image in = randomImage(w, h, rng(), trial % 2 ? 256 : 24);
            const auto [plain, fast] = bothPaths(name, in, settings(sliders), nullptr, nullptr);
            ASSERT_EQ(fast, plain) << name << " " << w << "x" << h;
        }
    }
}
