#include "stroke_replay.h"

#include <set>
#include <string>

#include "arguments.h"
#include "drovane.h"

namespace cli {
namespace {

class Replay {
public:
    explicit Replay(const Canvas& canvas) : canvas_(canvas) {}

    ReplaySummary run(const StrokeScript& script) {
        for (const Instruction& in : script.instructions) step(in);
        DRO_DeletePaintLayer();
        summary_.layers = static_cast<int32_t>(layers_.size());
        return summary_;
    }

private:
    void step(const Instruction& in) {
        switch (in.op) {
        case Op::Size: size_ = in.ints[0]; toolDirty_ = true; break;
        case Op::Color: red_ = in.ints[0]; green_ = in.ints[1]; blue_ = in.ints[2]; break;
        case Op::Alpha: alpha_ = in.ints[0]; break;
        case Op::Density: density_ = in.ints[0]; break;
        case Op::Spacing: spacing_ = in.reals[0]; break;
        case Op::Seed: seed_ = static_cast<uint32_t>(in.ints[0]); toolDirty_ = true; break;
        case Op::Tool:
            tool_ = in.tool;
            // Picking a tool puts the mix mode back to normal, as the engine does.
            mixMode_ = 32;
            mixAmount_ = 256;
            toolDirty_ = true;
            break;
        case Op::Mix: mixMode_ = in.ints[0]; mixAmount_ = in.ints[1]; toolDirty_ = true; break;
        case Op::Smudge:
            smudge_ = !in.ints.empty();
            if (smudge_) {
                smudgeShare_ = in.ints[0];
                smudgeMix_ = in.ints[1];
            }
            break;
        case Op::Shape: shapePath_ = in.text; toolDirty_ = true; break;
        case Op::Grain: grainPath_ = in.text; toolDirty_ = true; break;
        case Op::ImageBrush: imageBrushPath_ = in.text; imageBrushDirty_ = true; toolDirty_ = true; break;
        case Op::ImageAngle: imageAngle_ = in.ints[0]; break;
        case Op::Layer: selectLayer(in); break;
        case Op::Stroke: beginStroke(in); break;
        case Op::Dab: dab({drawnPlace(in.reals[0], in.reals[1], in.reals[2])}); break;
        case Op::Line: line(in); break;
        case Op::End:
            DRO_MergePaintLayer(layer_);
            ++summary_.strokes;
            break;
        }
    }

    DabPlace drawnPlace(double x, double y, double pressure) const {
        return dabsAlong({{x, y, pressure}}, size_, spacing_).front();
    }

    void selectLayer(const Instruction& in) {
        const int32_t index = in.ints[0];
        if (!layers_.count(index)) {
            if (!DRO_CreateLayer(index, canvas_.width(), canvas_.height()))
                throw CommandError("cannot create layer " + std::to_string(index));
            DRO_SetLayerOptions(index, 1, 0, 100, "Normal");
            layers_.insert(index);
        }
        if (in.ints.size() > 1) DRO_SetLayerOptions(index, 1, 0, in.ints[1], in.text.c_str());
        DRO_SetLayer(index);
        layer_ = index;
    }

    // The brush as the engine needs it before a stroke: size first, since the tool
    // builds its grain and shape for the size in force.
    void applyTool() {
        if (toolDirty_) {
            DRO_SetRandomSeed(seed_);
            DRO_SetSize(size_);
            drawn_ = size_;
            ToolSetup t = tool_;
            if (!imageBrushPath_.empty()) {
                // The dab paints the picture the blend buffer carries, untinted.
                t.blendStrength = 256;
                t.blendPrimaryColorStrength = 0;
                t.blendRemix = 0;
            }
            DRO_SetTool(t.shapeGain, t.grainCellSize, t.grainCellThreshold, t.grainFillThreshold, t.edgeSoftness,
                        t.colorVary, t.grainInterval, t.blendStrength, t.blendPrimaryColorStrength, t.blendRemix, 0,
                        t.invertShape, 0, grainPath_.c_str(), shapePath_.c_str(), t.shapeParam);
            DRO_SetMixMode(mixMode_, mixAmount_);
            toolDirty_ = false;
        }
        DRO_SetAlpha(alpha_);
        DRO_SetDensity(density_);
        DRO_SetColor(red_, green_, blue_);
    }

    // The picture goes into the blend buffer once a stroke, turned by the angle in force.
    void loadImageBrush() {
        DRO_SetImageBrushMode(imageBrushPath_.empty() ? 0 : 1);
        if (imageBrushPath_.empty()) return;
        if (imageBrushDirty_) {
            DRO_SetBlendBufferCount(1);
            DRO_LoadImageBrush(imageBrushPath_.c_str());
            imageBrushDirty_ = false;
        }
        if (imageAngle_ == 0) {
            DRO_CopyFromImageBrush(0);
            return;
        }
        DRO_SizeImageBrush();
        DRO_RotateImageBrush(imageAngle_);
        DRO_CopyFromImageBrushRotate(0);
    }

    void beginStroke(const Instruction& in) {
        applyTool();
        loadImageBrush();
        DRO_CreatePaintLayer(in.ints[0], in.ints[1], in.text.c_str());
        firstDab_ = true;
    }

    void line(const Instruction& in) {
        std::vector<PathPoint> points;
        const size_t per = in.pressured ? 3 : 2;
        for (size_t i = 0; i + per <= in.reals.size(); i += per)
            points.push_back({in.reals[i], in.reals[i + 1], in.pressured ? in.reals[i + 2] : 1.0});
        for (const DabPlace& place : dabsAlong(points, size_, spacing_)) dab(place);
    }

    void dab(const DabPlace& place) {
        if (place.drawnSize != drawn_) {
            DRO_SetScaleSize(place.drawnSize);
            drawn_ = place.drawnSize;
        }
        if (smudge_) {
            // The brush loads the colour under its first dab, then keeps taking in
            // the layer it passes over.
            if (firstDab_) DRO_CopyBlendBufferSurface(place.x, place.y, smudgeShare_, 0);
            else if (smudgeMix_ > 0) DRO_MixBlendBufferSurface(place.x, place.y, smudgeMix_);
        }
        firstDab_ = false;
        DRO_DecDrawingLength();
        DRO_DrawDabGrit(place.x, place.y, red_ << 8, green_ << 8, blue_ << 8);
        ++summary_.dabs;
    }

    const Canvas& canvas_;
    ReplaySummary summary_;
    std::set<int32_t> layers_{1};
    int32_t layer_ = 1;
    int32_t size_ = 16;
    int32_t drawn_ = 16;
    int32_t red_ = 0, green_ = 0, blue_ = 0;
    int32_t alpha_ = 100;
    int32_t density_ = 256;
    double spacing_ = 0.25;
    uint32_t seed_ = 1;
    ToolSetup tool_;
    int32_t mixMode_ = 32;
    int32_t mixAmount_ = 256;
    bool smudge_ = false;
    int32_t smudgeShare_ = 0;
    int32_t smudgeMix_ = 0;
    std::string shapePath_;
    std::string grainPath_;
    std::string imageBrushPath_;
    bool imageBrushDirty_ = false;
    int32_t imageAngle_ = 0;
    bool toolDirty_ = true;
    bool firstDab_ = true;
};

}  // namespace

ReplaySummary replayStrokes(const StrokeScript& script, const Canvas& canvas) {
    DRO_SetLayer(1);
    return Replay(canvas).run(script);
}

}  // namespace cli
