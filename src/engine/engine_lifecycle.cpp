#include "engine/engine_lifecycle.h"

#include <cstring>
#include <string>

#include "brush/blend_buffers.h"
#include "brush/brush_buffers.h"
#include "brush/brush_services.h"
#include "brush/image_brush_state.h"
#include "brush/paint_layer.h"
#include "brush/stroke_spline.h"
#include "brush/tablet.h"
#include "brush/tool_settings.h"
#include "composite/view_state.h"
#include "core/rect.h"
#include "io/export_state.h"
#include "core/allocation.h"
#include "core/canvas.h"
#include "core/failure.h"
#include "core/frame_state.h"
#include "core/mask_state.h"
#include "core/random_tables.h"
#include "core/texture_map.h"
#include "core/last_error.h"
#include "imaging/filter_params.h"
#include "imaging/effects/upper_effects.h"
#include "imaging/filters/filter_table.h"
#include "imaging/library_modules.h"
#include "imaging/working_buffers.h"
#include "io/clip_fill_effect.h"
#include "io/image_files.h"
#include "io/import_buffer.h"
#include "io/fonts.h"
#include "io/plugins/plugin_list.h"
#include "mask/fill_in_place.h"
#include "script/lua_filter_effect.h"
#include "script/script_state.h"
#include "undo/undo_store.h"

namespace dro {
namespace {

constexpr int32_t kRandomTableLength = 1000000;

int32_t clampCanvasEdge(int32_t edge) noexcept {
    return (edge < 0 || edge > kMaxCanvasEdge) ? 100 : edge;
}

void storeSize(void* window, int32_t width, int32_t height, int32_t maxBrush) noexcept {
    Canvas& c = canvas();
    c.hostWindow = window;
    c.width = width;
    c.height = height;
    c.rowPitch = width * 4;
    c.maxBrushSize = maxBrush;
    c.brushRowPitch = rowBytes(maxBrush, 4);
    viewState().resetForNewCanvas();
}

uint64_t canvasArea() noexcept {
    return static_cast<uint64_t>(canvas().width) * static_cast<uint64_t>(canvas().height);
}

// Steps shared by a new canvas and a new size: brush buffers, blend buffer, mask,
// back buffer, history and random tables.
void buildCanvasBuffers(int32_t maxBrush) {
    const bool brushOk = allocateBrushBuffers(maxBrush);
    setBlendBufferCount(1);
    requireAllocated(brushOk);

    MaskState& mask = maskState();
    mask.plane = adoptBuffer(x_NewShortUndoReduce(canvasArea()));
    mask.rowPitchBytes = canvas().width * 2;
    mask.enabled = 1;
    viewState().tracingMode = 0;
    requireAllocated(mask.plane);
    std::memset(mask.plane.get(), 0xFF, canvasArea() * sizeof(uint16_t));

    const bool backOk = allocateUndoBackBuffer(canvas().width, canvas().height);
    clearUndo();
    setUndoUsedKB(static_cast<int32_t>(canvasArea() * 10 / 1024));
    requireAllocated(backOk);

    MakeRandArrayByte(canvas().randomTableA, 255, kRandomTableLength);
    MakeRandArrayByte(canvas().randomTableB, 254, kRandomTableLength);
}

// What a new size and the end of the canvas both release.
void releaseCanvasBuffers() noexcept {
    maskState().plane.reset();
    deleteTexture();
    releaseUndoMemory();
    setBlendBufferCount(0);
    paintLayer().layer.pixels.reset();
    releaseBrushBuffers();
    resetImageBrush();
    releaseFillScratch();
}

}  // namespace

void createImage(void* window, int32_t width, int32_t height, int32_t maxBrush) {
    // The sizes are still replaced as before; the host learns that they were.
    if (width <= 0 || width > kMaxCanvasEdge || height <= 0 || height > kMaxCanvasEdge) {
        const std::string text = "CreateImage: size " + std::to_string(width) + " x " + std::to_string(height) +
                                 " refused: each side must lie in 1.." + std::to_string(kMaxCanvasEdge) +
                                 " (outside that 100 is used, 0 gives no canvas)";
        setLastError(text.c_str());
    }
    width = clampCanvasEdge(width);
    height = clampCanvasEdge(height);
    storeSize(window, width, height, maxBrush);
    Canvas& c = canvas();
    for (LayerSlot& slot : c.layerSlots) slot.pixels.reset();
    c.currentSlot = nullptr;
    // A canvas that is still open gives its buffers back before new ones are made.
    releaseCanvasBuffers();
    workingBuffers().releaseIplBuffers();
    buildCanvasBuffers(maxBrush);
}

void newSize(void* window, int32_t width, int32_t height, int32_t maxBrush) {
    width = clampCanvasEdge(width);
    height = clampCanvasEdge(height);
    Canvas& c = canvas();
    c.height = height;
    c.hostWindow = window;
    c.width = width;
    releaseCanvasBuffers();
    workingBuffers().releaseIplBuffers();
    storeSize(window, width, height, maxBrush);
    buildCanvasBuffers(maxBrush);
}

void deleteImage() {
    releaseCanvasBuffers();
    for (LayerSlot& slot : canvas().layerSlots) slot.pixels.reset();
    workingBuffers().releaseIplBuffers();
}

namespace {

// Every subsystem's reset, in the order a fresh engine needs: a new subsystem adds
// its one line here.
using SubsystemReset = void (*)() noexcept;
constexpr SubsystemReset kSubsystemResets[] = {
    resetUndoStore,
    resetCanvasState,
    resetMaskState,
    resetViewState,
    resetBrushBuffers,
    resetBlendBuffers,
    resetPaintLayer,
    resetTextureMap,
    resetToolSettings,
    resetWorkingBuffers,
    resetScriptState,
    resetImportBuffer,
    resetFilterParams,
    resetLibraryModules,
    resetSubsystemState<FrameState>,
    []() noexcept { seedRandom(1); },
    resetImageBrush,
    resetTablet,
    resetStrokeSpline,
    resetFontState,
    resetPluginListState,
    io::resetClipboardAndExport,
    releaseFillScratch,
};

// Failed allocations give back undo steps; core reaches the undo store only so.
const bool kRelieverAttached = [] {
    setMemoryReliever({undoHasSteps, reduceUndoForAllocation});
    return true;
}();

// Brush shapes and grains read picture files through io and blur through the filter
// table; brush reaches both only so.
void valueBlurForBrush(uint8_t* source, uint8_t* destination, int32_t width, int32_t height, int32_t slider) {
    FilterSettings settings;
    settings.slider[0] = settings.slider[1] = slider;
    FilterParams params;
    fillFilterParams(params, source, destination, width, height, settings);
    runFilter("Value Blur", params);
}
const bool kBrushServicesAttached = [] {
    attachBrushServices({readImageFileRgba32, valueBlurForBrush});
    return true;
}();

// "Lua Filter" and "Clip Fill" are listed by imaging and done by script and io.
const bool kUpperEffectsAttached = [] {
    attachUpperEffectActions({luaFilterEffect, io::clipFillEffect});
    return true;
}();

}  // namespace

void resetEngine() noexcept {
    for (const SubsystemReset reset : kSubsystemResets) reset();
}

}  // namespace dro
