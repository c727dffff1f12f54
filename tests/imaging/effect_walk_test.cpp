// Every built effect, walked from the registry: on small images, at its default,
// minimum and maximum settings, with and without a mask, with the alpha lock on and
// off. Nothing may crash or touch memory outside the buffers (the suite also runs under
// ASan); protected pixels and locked alpha must stay exactly as they were.
#include <string>

#include "imaging/effects/effect_registry.h"
#include "imaging/filter_fixture.h"
#include "undo/undo_store.h"

namespace {

enum class Setting { defaults, minimum, maximum };

struct Values {
    std::array<int32_t, 6> slider{500, 500, 500, 500, 500, 500};
    std::array<int32_t, 2> style{};
    std::array<uint8_t, 6> flag{};
    int32_t colour = 128;
};

Values valuesFor(const dro::EffectInfo& e, Setting s) {
    Values v;
    for (const dro::ControlInfo& c : e.controls) {
        const int32_t value = s == Setting::defaults ? c.defaultValue : (s == Setting::minimum ? c.minimum : c.maximum);
        const int id = static_cast<int>(c.id);
        if (id >= static_cast<int>(dro::Control::slider1) && id <= static_cast<int>(dro::Control::slider6))
            v.slider[static_cast<size_t>(id - static_cast<int>(dro::Control::slider1))] = value;
        else if (id >= static_cast<int>(dro::Control::style1) && id <= static_cast<int>(dro::Control::style2))
            v.style[static_cast<size_t>(id - static_cast<int>(dro::Control::style1))] = value;
        else if (id >= static_cast<int>(dro::Control::flag1) && id <= static_cast<int>(dro::Control::flag6))
            v.flag[static_cast<size_t>(id - static_cast<int>(dro::Control::flag1))] = static_cast<uint8_t>(value);
        else if (c.id == dro::Control::colour)
            v.colour = value;
    }
    return v;
}

class EffectWalk : public EngineTest {
protected:
    Image layer(int w, int h) const {
        Image out{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
        DRO_GetRGBA32Layer(out.px.data(), w * 4, 1);
        return out;
    }
    // Effects that read a procedural script get an example one; other path effects are
    // walked by their own tests.
    static bool walked(const dro::EffectInfo& e) {
        return e.built() && e.family != "Mask" && (!e.control(dro::Control::path) || e.family == "Procedural textures");
    }
    static void run(const std::string& name, const Values& v) {
        static const std::string script = std::string(DROVANE_EXAMPLES_DIR) + "/scripts/kaleidoscope.dps";
        DRO_IPLImageProcess(0, name.c_str(), 0, v.slider[0], v.slider[1], v.slider[2], v.slider[3], v.slider[4],
                            v.slider[5], v.style[0], v.style[1], v.flag[0], v.flag[1], v.flag[2], v.flag[3],
                            v.flag[4], v.flag[5], v.colour, 255 - v.colour, v.colour / 2, script.c_str());
    }
};

TEST_F(EffectWalk, EveryBuiltEffectKeepsProtectedPixelsAndLockedAlpha) {
    const dro::EffectRegistry& r = dro::effectRegistry();
    for (int i = 0; i < dro::kEffectCount; ++i) {
        const dro::EffectInfo& e = r.info(i);
        if (!walked(e)) continue;
        const std::string name(e.name);
        for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{9, 7}}) {
            for (Setting s : {Setting::defaults, Setting::minimum, Setting::maximum}) {
                for (int variant = 0; variant < 4; ++variant) {
                    const bool masked = variant & 1, locked = variant & 2;
                    openCanvas(w, h);
                    const Image loaded = randomImage(w, h, static_cast<uint32_t>(i * 31 + w));
                    DRO_LoadRGBA32(loaded.px.data(), w * 4, 0);
                    DRO_SetLayerOptions(1, 1, locked, 100, "Normal");
                    const Image picture = layer(w, h);
                    // Left column protected, the rest editable.
                    std::vector<uint16_t> mask(static_cast<size_t>(w) * h, 65535);
                    for (int y = 0; y < h; ++y) mask[static_cast<size_t>(y) * w] = 0;
                    if (masked) DRO_SetMaskData16(mask.data());
                    DRO_EnableMask(masked);
                    DRO_IPLAllocSrcBuffer32();
                    DRO_IPLAllocDstBuffer32();
                    run(name, valuesFor(e, s));
                    const Image out = layer(w, h);
                    const std::string where = name + " " + std::to_string(w) + "x" + std::to_string(h) + " setting " +
                                              std::to_string(static_cast<int>(s)) + " variant " +
                                              std::to_string(variant);
                    EXPECT_EQ(dro::undoStore().dirtyRect, (dro::Rect{0, 0, w - 1, h - 1})) << where;
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) {
                            if (masked && x == 0) EXPECT_EQ(out.get(x, y), picture.get(x, y)) << where;
                            if (locked) EXPECT_EQ(out.get(x, y)[3], picture.get(x, y)[3]) << where << " at " << x;
                        }
                    DRO_IPLFreeSrcBuffer32();
                    DRO_IPLFreeDstBuffer32();
                }
            }
        }
    }
}

// At its default or its strongest setting each built effect changes a random picture;
// one that changes nothing is not doing its job.
TEST_F(EffectWalk, EveryBuiltEffectChangesARandomPicture) {
    const dro::EffectRegistry& r = dro::effectRegistry();
    constexpr int w = 12, h = 10;
    for (int i = 0; i < dro::kEffectCount; ++i) {
        const dro::EffectInfo& e = r.info(i);
        if (!walked(e)) continue;
        bool changed = false;
        for (Setting s : {Setting::defaults, Setting::maximum}) {
            openCanvas(w, h);
            Image picture = randomImage(w, h, static_cast<uint32_t>(i));
            // Some effects show only where the layer lets them through: Glow Outer draws outside
            // the shape (a transparent frame), a shadow beside it (a clear right half).
            const bool clearFrame = e.name == "Glow Outer", clearRightHalf = e.name == "Drop Shadow";
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool clear = (clearFrame && (x < 2 || y < 2 || x >= w - 2 || y >= h - 2)) ||
                                       (clearRightHalf && x >= w / 2);
                    picture.at(x, y)[3] = clear ? 0 : 255;
                }
            if (e.family == "Clipboard") {  // its picture comes from the clipboard
                const Image clip = randomImage(w, h, static_cast<uint32_t>(i) + 1000);
                DRO_LoadRGBA32(clip.px.data(), w * 4, 0);
                DRO_ToClipboard();
            }
            DRO_LoadRGBA32(picture.px.data(), w * 4, 0);
            DRO_IPLAllocSrcBuffer32();
            DRO_IPLAllocDstBuffer32();
            run(std::string(e.name), valuesFor(e, s));
            changed |= !(layer(w, h) == picture);
        }
        EXPECT_TRUE(changed) << e.name;
    }
}

}  // namespace
