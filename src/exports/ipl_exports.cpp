// Image-processing working buffers, library start and stop, and the effect command.
#include "drovane.h"
#include "exports/guarded.h"
#include "imaging/effects/image_process.h"
#include "imaging/effects/photo_pop.h"
#include "imaging/geometry/displacement_bump.h"
#include "imaging/library_modules.h"
#include "imaging/working_buffer_ops.h"

using namespace dro;

extern "C" {

DRO_API void DRO_CALL DRO_IPLInit(int32_t /*unused*/) { initialiseImagingLibraries(); }
DRO_API void DRO_CALL DRO_IPLExit(void) { shutDownImagingLibraries(); }

DRO_API void DRO_CALL DRO_IPLAllocSrcBuffer32(void) {
    guarded("IPLAllocSrcBuffer32 Excpt", [] { allocateSourceBuffer(workingBuffers().iplSource32, 4); });
}
DRO_API void DRO_CALL DRO_IPLAllocDstBuffer32(void) {
    guarded("IPLAllocDstBuffer32 Excpt", [] { allocateDestinationBuffer(workingBuffers().iplDestination32, 4); });
}
DRO_API void DRO_CALL DRO_IPLAllocSrcBuffer24(void) {
    guarded("IPLAllocSrcBuffer24 Excpt", [] { allocateSourceBuffer(workingBuffers().iplSource24, 3); });
}
DRO_API void DRO_CALL DRO_IPLAllocDstBuffer24(void) {
    guarded("IPLAllocDstBuffer24 Excpt", [] { allocateDestinationBuffer(workingBuffers().iplDestination24, 3); });
}
DRO_API void DRO_CALL DRO_ToolAllocSrcBuffer32(void) {
    guarded("ToolAllocSrcBuffer32 Excpt", [] { allocateSourceBuffer(workingBuffers().toolSource32, 4); });
}
DRO_API void DRO_CALL DRO_ToolAllocDstBuffer32(void) {
    guarded("ToolAllocDstBuffer32 Excpt", [] { allocateDestinationBuffer(workingBuffers().toolDestination32, 4); });
}

DRO_API void DRO_CALL DRO_IPLFreeSrcBuffer32(void) {
    guarded("IPLFreeSrcBuffer32 Excpt", [] { workingBuffers().iplSource32.release(); });
}
DRO_API void DRO_CALL DRO_IPLFreeDstBuffer32(void) {
    guarded("IPLFreeDstBuffer32 Excpt", [] { workingBuffers().iplDestination32.release(); });
}
DRO_API void DRO_CALL DRO_IPLFreeSrcBuffer24(void) {
    guarded("IPLFreeSrcBuffer24 Excpt", [] { workingBuffers().iplSource24.release(); });
}
DRO_API void DRO_CALL DRO_IPLFreeDstBuffer24(void) {
    guarded("IPLFreeDstBuffer24 Excpt", [] { workingBuffers().iplDestination24.release(); });
}
DRO_API void DRO_CALL DRO_ToolFreeSrcBuffer32(void) {
    guarded("ToolFreeSrcBuffer32 Excpt", [] { workingBuffers().toolSource32.release(); });
}
DRO_API void DRO_CALL DRO_ToolFreeDstBuffer32(void) {
    guarded("ToolFreeDstBuffer32 Excpt", [] { workingBuffers().toolDestination32.release(); });
}

DRO_API void DRO_CALL DRO_IPLSetSrcBuffer32(const uint8_t* block) { setBuffer32(workingBuffers().iplSource32, block); }
DRO_API void DRO_CALL DRO_IPLSetDstBuffer32(const uint8_t* block) {
    setBuffer32(workingBuffers().iplDestination32, block);
}
DRO_API void DRO_CALL DRO_IPLUpdateSrcBuffer32(void) { updateIplSource32(); }
DRO_API void DRO_CALL DRO_ApplyMaskToAlpha_IPLSrcRGBA(void) { applyMaskToAlphaIplSource(); }

DRO_API void DRO_CALL DRO_IPLImageProcess(int32_t /*unused*/, const char* effect, int32_t variant, int32_t slider1,
                                          int32_t slider2, int32_t slider3, int32_t slider4, int32_t slider5,
                                          int32_t slider6, int32_t style1, int32_t style2, uint8_t flag1,
                                          uint8_t flag2, uint8_t flag3, uint8_t flag4, uint8_t flag5, uint8_t flag6,
                                          int32_t red, int32_t green, int32_t blue, const char* path) {
    guarded("IPLImageProc Excpt", [&] {
        EffectArgs args;
        args.name = effect ? std::string_view(effect) : std::string_view();
        args.variant = variant;
        args.slider = {slider1, slider2, slider3, slider4, slider5, slider6};
        args.style = {style1, style2};
        args.flag = {flag1, flag2, flag3, flag4, flag5, flag6};
        args.red = red;
        args.green = green;
        args.blue = blue;
        args.path = path;
        imageProcess(args);
    });
}

DRO_API void DRO_CALL DRO_IPLDisplacementBummp(const char* scriptPath, double strength, uint32_t background) {
    guarded("IPLDisplacementBump Excpt", [&] { displacementBump(scriptPath, strength, background); });
}

DRO_API void DRO_CALL DRO_IPLPhotoPop(int32_t amount, double saturation, uint8_t preContrast) {
    guarded("IPLPhotoPop Excpt", [&] { photoPopCommand(amount, saturation, preContrast); });
}

DRO_API int32_t DRO_CALL DRO_DescribeEffect(int32_t index, char* buffer, int32_t bufferSize) {
    return guarded(kNoFailureText, int32_t{-1}, [&] { return describeEffectInto(index, buffer, bufferSize); });
}

}  // extern "C"
