// Properties of the in-house filters that hold whatever the exact arithmetic: flat
// stays flat, zero weights change nothing, mirrors reflect, tiny images are safe.
#include <algorithm>

#include <omp.h>

#include "imaging/filter_fixture.h"
#include "imaging/filters/filter_table.h"

namespace {

TEST(FilterDispatch, NamesAreExactAndCaseSensitive) {
    const Image in = randomImage(5, 4, 1);
    EXPECT_EQ(dro::filterTable().size(), 25u);
    EXPECT_EQ(runFilterOn("grayscale", in, settings()), in);
    EXPECT_EQ(runFilterOn("Grayscale ", in, settings()), in);
    EXPECT_EQ(runFilterOn("", in, settings()), in);
    EXPECT_NE(runFilterOn("Grayscale", in, settings()), in);
}

TEST(FilterDispatch, SmallCasesFromTheRules) {
    Image px = Image::flat(1, 1, {10, 20, 31, 77});
    EXPECT_EQ(runFilterOn("Grayscale", px, settings()).get(0, 0), (std::array{20, 20, 20, 77}));
    EXPECT_EQ(runFilterOn("Invert", px, settings()).get(0, 0), (std::array{245, 235, 224, 77}));
    const Image dark = Image::flat(3, 2, {0, 0, 0, 5});
    EXPECT_EQ(runFilterOn("Basic Threshold", dark, settings({0})), Image::flat(3, 2, {255, 255, 255, 5}));
    // slider 1 = 1 gives divisor 1: every channel above 0 saturates in the light term.
    const Image mid = Image::flat(2, 2, {100, 100, 100, 255});
    const Image hc = runFilterOn("Hyper Contrast", mid, settings({1000}));
    EXPECT_EQ(hc.get(0, 0)[0], std::clamp(static_cast<int>((1 - 200 / 510.0) * (255 - 155 * 155) + 200 / 510.0 * 10000), 0, 255));
}

TEST(FilterProperties, BlursKeepAFlatImageFlat) {
    const Image flat = Image::flat(23, 17, {90, 140, 30, 200});
    // (The noise reductions mix equal neighbours too, and the three >> 8 steps of the
    // mix lose a little each time, so they are not in this list.)
    for (const char* name : {"Value Blur", "Anti Alias", "Detail Blur", "Adaptive Blur"}) {
        EXPECT_EQ(runFilterOn(name, flat, settings({500, 500, 500, 500, 500, 500})), flat) << name;
    }
    for (int slider : {0, 100, 500, 2000})
        for (uint8_t wrap : {0, 1})
            EXPECT_EQ(runFilterOn("Box Blur", flat, settings({slider}, {wrap})), flat) << slider;
}

TEST(FilterProperties, SweepsWithZeroWeightsChangeNothing) {
    const Image in = randomImage(13, 9, 77);
    EXPECT_EQ(runFilterOn("Value Blur", in, settings({0, 0})), in);
    // Noise reduction with a zero threshold never finds a pair close enough.
    EXPECT_EQ(runFilterOn("Noise Reduction", in, settings({700, 0})), in);
    EXPECT_EQ(runFilterOn("Noise Reduction RGB", in, settings({700, 0, 700, 0, 700, 0})), in);
}

TEST(FilterProperties, BoxBlurWrapUsesAFixedDivisorAndTheShiftedRows) {
    // A single bright row at the top: clipped, its mass stays near the top; wrapped,
    // the bottom rows see it through the wrap (row h is read from row 1, not row 0).
    Image in = Image::flat(1, 6, {0, 0, 0, 0});
    in.set(0, 0, {255, 255, 255, 255});
    const Image clipped = runFilterOn("Box Blur", in, settings({0}, {0}));
    const Image wrapped = runFilterOn("Box Blur", in, settings({0}, {1}));
    EXPECT_NE(clipped, wrapped);
    EXPECT_GT(clipped.get(0, 0)[0], clipped.get(0, 5)[0]);
    // A true torus would spread row 0 evenly up and down; this wrap reads position -1
    // from row h - 2, so the rows just above the bottom edge stay darker than row 1.
    EXPECT_LT(wrapped.get(0, 4)[0], wrapped.get(0, 1)[0]);

    // Radius changes nothing on flat images and the source block ends as scratch.
    const Image flat = Image::flat(40, 3, {7, 8, 9, 10});
    Image scratch;
    EXPECT_EQ(runFilterOn("Box Blur", flat, settings({300}, {1}), &scratch), flat);
    EXPECT_EQ(scratch, flat);
}

TEST(FilterProperties, BoxBlurIsTheSameSplitOrWhole) {
    // Big enough to run the passes on several threads; compared with a run on one.
    const Image in = randomImage(70, 45, 9);
    const Image threaded = runFilterOn("Box Blur", in, settings({40}));
    Image single;
    {
        const int saved = omp_get_max_threads();
        omp_set_num_threads(1);
        single = runFilterOn("Box Blur", in, settings({40}));
        omp_set_num_threads(saved);
    }
    EXPECT_EQ(threaded, single);
}

TEST(FilterProperties, MirrorReflectsAboutItsAxis) {
    const Image in = randomImage(8, 10, 5);
    // Top, full strength: a = 5, rows 0..4 take rows 10 - y, i.e. 10 (outside), 9, 8, 7, 6.
    const Image top = runFilterOn("Mirror", in, settings({0, 1000}));
    EXPECT_EQ(top.get(3, 0), (std::array{0, 0, 0, 0}));
    for (int y = 1; y < 5; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(top.get(x, y), in.get(x, 10 - y));
    for (int y = 5; y < 10; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(top.get(x, y), in.get(x, y));

    // Left at half strength: a = 2, columns 0, 1 take 4, 3.
    const Image left = runFilterOn("Mirror", in, settings({0, 0, 0, 500}));
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(left.get(0, y), in.get(4, y));
        EXPECT_EQ(left.get(1, y), in.get(3, y));
        EXPECT_EQ(left.get(2, y), in.get(2, y));
    }
    // Bottom, full strength: rows 9..6 take 1..4 about row 5.
    const Image bottom = runFilterOn("Mirror", in, settings({1000}));
    for (int y = 6; y < 10; ++y) EXPECT_EQ(bottom.get(2, y), in.get(2, 10 - y));
    // Nothing asked, nothing changes; far beyond 1 reads off the image only.
    EXPECT_EQ(runFilterOn("Mirror", in, settings()), in);
    const Image far = runFilterOn("Mirror", in, settings({0, 2000000000}));
    EXPECT_EQ(far, Image::flat(8, 10, {0, 0, 0, 0}));
}

TEST(FilterProperties, MaskFreeFiltersAreSafeOnTinyImages) {
    const std::array<std::pair<int, int>, 6> sizes{{{1, 1}, {1, 5}, {5, 1}, {2, 2}, {3, 3}, {2, 7}}};
    const std::array<int32_t, 6> sliders{600, 400, 700, 300, 500, 800};
    for (auto [w, h] : sizes) {
        const Image in = randomImage(w, h, 3u * w + h);
        for (const dro::FilterEntry& f : dro::filterTable()) {
            for (uint8_t inPlace : {0, 1}) {
                for (uint8_t flags : {0, 1}) {
                    const Image out = runFilterOn(std::string(f.name), in,
                                                  settings(sliders, {flags, flags, flags, flags, flags, flags},
                                                           {2, 0}, inPlace));
                    ASSERT_EQ(out.px.size(), in.px.size());
                }
            }
        }
        // No interior pixels below three on a side: the neighbourhood filters keep all.
        if (w < 3 || h < 3) {
            for (const char* name : {"Detail Blur", "Adaptive Blur", "Bas Relief"})
                EXPECT_EQ(runFilterOn(name, in, settings({0, 1000, 1000})), in) << name << w << "x" << h;
        }
    }
}

TEST(FilterProperties, SingleBufferModeReadsTheDestination) {
    // In place: the destination is the picture; the source is ignored.
    const Image picture = randomImage(6, 4, 12);
    std::vector<uint8_t> source(picture.px.size(), 0);
    std::vector<uint8_t> destination = picture.px;
    dro::FilterParams p;
    dro::fillFilterParams(p, source.data(), destination.data(), 6, 4, settings({}, {}, {}, 1));
    dro::runFilter("Invert", p);
    const Image viaCopy = runFilterOn("Invert", picture, settings());
    EXPECT_EQ(destination, viaCopy.px);
    EXPECT_EQ(source, std::vector<uint8_t>(picture.px.size(), 0));
}

TEST(FilterProperties, PerPixelFiltersKeepAlphaWhereTheyShould) {
    const Image in = randomImage(7, 5, 40);
    for (const char* name : {"Grayscale", "Invert", "Basic Threshold", "Hyper Contrast", "Adjust Lab", "Bas Relief"}) {
        const Image out = runFilterOn(name, in, settings({300, 700, 400}));
        for (int y = 0; y < in.h; ++y)
            for (int x = 0; x < in.w; ++x) EXPECT_EQ(out.at(x, y)[3], in.at(x, y)[3]) << name;
    }
    // Adjust RGBA at the midpoint is the identity up to the truncating double write.
    const Image mid = runFilterOn("Adjust RGBA", in, settings({500, 500, 500, 500}));
    for (size_t i = 0; i < in.px.size(); ++i) {
        EXPECT_LE(mid.px[i], in.px[i]);
        EXPECT_GE(mid.px[i] + 1, in.px[i]);
    }
}

TEST(FilterProperties, ReflectionFadesBelowTheStartRow) {
    // Opaque content on rows 0..4 of 8; start row e = trunc(0.5 * 7) = 3 is searched
    // from the bottom: the lowest non-transparent row at or below 3 is row 4.
    Image in = Image::flat(3, 8, {0, 0, 0, 0});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) in.set(x, y, {10 * y, 20, 30, 255});
    const Image out = runFilterOn("Reflection", in, settings({500, 1000, 1000, 250}));
    // Row 4 + k takes row trunc(3 - k): 3, 2, 1, 0; the fade starts at 1 and drops
    // by (1 - 0) / max(8 / 16, 1) = 1 per row.
    EXPECT_EQ(out.get(1, 4), (std::array{30, 20, 30, 255}));
    EXPECT_EQ(out.get(1, 5), (std::array{20, 20, 30, 0}));
    for (int y = 0; y < 4; ++y) EXPECT_EQ(out.get(1, y), in.get(1, y));
}

}  // namespace
