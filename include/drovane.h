/* drovane: the painting and imaging engine, C interface.
 *
 * One canvas per process: 272 layer slots of 16-bit RGBA pixels, a 16-bit selection
 * mask and an undo history. The host passes its own pixel blocks for every transfer;
 * every pointer the engine returns stays owned by the engine.
 *
 * Pixel blocks: RGBA32 = bytes R, G, B, A; RGB24 = bytes R, G, B; RGBA64 = four
 * unsigned 16-bit values R, G, B, A. Pitches are in bytes unless stated.
 */
#ifndef DROVANE_H
#define DROVANE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(DROVANE_BUILDING)
#    define DRO_API __declspec(dllexport)
#  else
#    define DRO_API __declspec(dllimport)
#  endif
#  define DRO_CALL __stdcall
#else
#  define DRO_API __attribute__((visibility("default")))
#  define DRO_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An opaque window handle of the host (HWND on Windows). */
typedef void* DRO_Window;

/* ---- Engine frame ------------------------------------------------------------ */

DRO_API void DRO_CALL DRO_SetLastError(const char* text);
DRO_API const char* DRO_CALL DRO_GetLastError(void);
DRO_API void* DRO_CALL DRO_Alloc(int32_t size);
DRO_API void DRO_CALL DRO_Free(void* block);
DRO_API void DRO_CALL DRO_Memcpy(void* destination, const void* source, int32_t count);
DRO_API intptr_t DRO_CALL BankAdrs(intptr_t value);
DRO_API void DRO_CALL DRO_SetStartDir(const char* directory);
DRO_API void DRO_CALL DRO_SetRandomSeed(uint32_t seed);
DRO_API int32_t DRO_CALL DRO_RenameFile(const char* oldPath, const char* newPath);
DRO_API int32_t DRO_CALL DRO_IsDisplayChanged(void);
DRO_API int32_t DRO_CALL DRO_IsCompositionEnabled(void);
DRO_API const char* DRO_CALL DRO_GetDirInfo(void);
DRO_API int32_t DRO_CALL DRO_SetWindowBasePos(int32_t left, int32_t top, int32_t right, int32_t bottom);
DRO_API uint32_t DRO_CALL DRO_GetWindowBackgroundColor(void);
DRO_API uint32_t DRO_CALL DRO_GetWindowTextColor(void);
DRO_API int32_t DRO_CALL DRO_GetWindowCaptionSize(void);
DRO_API int32_t DRO_CALL DRO_GetWindowSmallCaptionSize(void);
DRO_API int32_t DRO_CALL DRO_GetWindowFixedFrameSize(void);
DRO_API int32_t DRO_CALL DRO_GetTotalPhyMemory(void);
DRO_API int32_t DRO_CALL DRO_GetAvailPhyMemory(void);
DRO_API int32_t DRO_CALL DRO_GetTotalPgMemory(void);
DRO_API int32_t DRO_CALL DRO_GetAvailPgMemory(void);
DRO_API int32_t DRO_CALL DRO_GetTotalVirMemory(void);
DRO_API int32_t DRO_CALL DRO_GetAvailVirMemory(void);

/* ---- Canvas and layer slots -------------------------------------------------- */

DRO_API void DRO_CALL DRO_CreateImage(DRO_Window window, int32_t width, int32_t height,
                                      int32_t maxBrushSize, int32_t ignored);
DRO_API void DRO_CALL DRO_NewSize(DRO_Window window, int32_t width, int32_t height,
                                  int32_t maxBrushSize, int32_t ignored);
DRO_API void DRO_CALL DRO_DeleteImage(void);
DRO_API int32_t DRO_CALL DRO_CreateLayer(int32_t index, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_DeleteLayer(int32_t index);
DRO_API void DRO_CALL DRO_SwapLayers(int32_t a, int32_t b);
DRO_API void DRO_CALL DRO_SetLayer(int32_t index);
DRO_API int32_t DRO_CALL DRO_GetLayerNum(void);
DRO_API int32_t DRO_CALL DRO_GetLayerCount(void);
DRO_API void DRO_CALL DRO_SetLayerOptions(int32_t index, uint8_t visible, uint8_t alphaLocked,
                                          int32_t opacityPercent, const char* modeName);
DRO_API void DRO_CALL DRO_SetAlphaLayerOpacity(int32_t percent);
DRO_API void DRO_CALL DRO_GetLayerData(uint16_t* destination, int32_t index);
DRO_API void DRO_CALL DRO_SetLayerData(const uint16_t* source, int32_t index);
DRO_API void DRO_CALL DRO_CopyLayerData(int32_t sourceIndex, int32_t destinationIndex);
DRO_API void DRO_CALL DRO_FindDataExtentsLayer(int32_t index, int32_t* left, int32_t* top,
                                               int32_t* right, int32_t* bottom);
DRO_API int32_t DRO_CALL DRO_IsLayerTransparent(int32_t index);
DRO_API int32_t DRO_CALL DRO_IsSingleColor(int32_t index);
DRO_API void DRO_CALL DRO_InvertAlpha(int32_t index);
DRO_API void DRO_CALL DRO_SetLayerAlpha(int32_t index, int32_t alpha16);
DRO_API void DRO_CALL DRO_NormalizeLayerAlpha(int32_t index);
DRO_API void DRO_CALL DRO_SetColorAlpha(int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_CreateBlobFromImage(int32_t index, int32_t style);
DRO_API void DRO_CALL DRO_InvertAlpha_RGBA32(uint8_t* block);
DRO_API void DRO_CALL DRO_SetColorAlphaRGBABuf(uint8_t* block, int32_t width, int32_t height,
                                               int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_SetColorRGBABuf(uint8_t* block, int32_t width, int32_t height,
                                          int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_SetAlphaFromRGBAImageColor(uint8_t* block, int32_t red, int32_t green,
                                                     int32_t blue);

/* ---- Pixel transfer and conversion ------------------------------------------- */

DRO_API void DRO_CALL DRO_LoadRGBA32Layer(const uint8_t* block, int32_t pitch, int32_t layer,
                                          int32_t x, int32_t y, int32_t width, int32_t height,
                                          uint8_t useMask);
DRO_API void DRO_CALL DRO_LoadRGBA32Into(const uint8_t* block, int32_t pitch, int32_t layer,
                                         int32_t x, int32_t y, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_LoadRGBA32(const uint8_t* block, int32_t pitch, uint8_t useMask);
DRO_API void DRO_CALL DRO_LoadRGB24(const uint8_t* block, int32_t pitch, uint8_t useMask);
DRO_API void DRO_CALL DRO_LoadRGB24ToAlpha(const uint8_t* block, int32_t pitch, uint8_t useMask);
/* The block's bytes are blue, green, red. */
DRO_API void DRO_CALL DRO_Load(const uint8_t* block, int32_t pitch, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_SetRGBA64Layer(const uint16_t* block, int32_t pitch, int32_t layer);

DRO_API void DRO_CALL DRO_GetRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t layer);
DRO_API void DRO_CALL DRO_GetRGBA32(uint8_t* destination, int32_t pitch);
DRO_API void DRO_CALL DRO_GetRGB24Layer(uint8_t* destination, int32_t pitch, int32_t layer);
DRO_API void DRO_CALL DRO_GetRGB24(uint8_t* destination, int32_t pitch);
DRO_API void DRO_CALL DRO_GetRGB24FromAlpha(uint8_t* destination, int32_t pitch);
DRO_API void DRO_CALL DRO_GetRGBA64Layer(uint16_t* destination, int32_t pitch, int32_t layer);
DRO_API void DRO_CALL DRO_GetRGBA64LayerRect(uint16_t* destination, int32_t destinationPitch,
                                             int32_t layer, int32_t x, int32_t y, int32_t width,
                                             int32_t height);
DRO_API void DRO_CALL DRO_RGBA64RectToRGBA32(const uint16_t* block, int32_t x, int32_t y,
                                             int32_t width, int32_t height, int32_t blockWidth,
                                             int32_t ignored, uint8_t* destination);
DRO_API void DRO_CALL DRO_RGBA64RectToRGBA24(const uint16_t* block, int32_t x, int32_t y,
                                             int32_t width, int32_t height, int32_t blockWidth,
                                             int32_t ignored, uint8_t* destination);
DRO_API void DRO_CALL DRO_GetRGBA32FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                                  const uint16_t* source, int32_t sourcePitch,
                                                  int32_t x, int32_t y, int32_t width,
                                                  int32_t height);
DRO_API void DRO_CALL DRO_GetRGB24FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                                 const uint16_t* source, int32_t sourcePitch,
                                                 int32_t x, int32_t y, int32_t width,
                                                 int32_t height);
DRO_API void DRO_CALL DRO_GetRGBA32FromRGBA64(uint8_t* destination, int32_t destinationPitch,
                                              int32_t width, int32_t height,
                                              const uint16_t* source, int32_t sourcePitch);
DRO_API void DRO_CALL DRO_GetRGB24FromRGBA64(uint8_t* destination, int32_t destinationPitch,
                                             const uint16_t* source, int32_t sourcePitch);

DRO_API int32_t DRO_CALL DRO_GetRed64(int32_t x, int32_t y);
DRO_API int32_t DRO_CALL DRO_GetGreen64(int32_t x, int32_t y);
DRO_API int32_t DRO_CALL DRO_GetBlue64(int32_t x, int32_t y);
DRO_API int32_t DRO_CALL DRO_GetAlpha64(int32_t x, int32_t y);
DRO_API int32_t DRO_CALL DRO_GetMask64(int32_t x, int32_t y);
DRO_API void DRO_CALL DRO_SetPixelRGB24(uint8_t* block, int32_t pitch, int32_t x, int32_t y,
                                        int32_t red16, int32_t green16, int32_t blue16);
/* The composited colour at (x, y) packed as A << 24 | R << 16 | G << 8 | B (high
 * bytes); 0x00FFFFFF outside the canvas. */
DRO_API uint32_t DRO_CALL DRO_GetColorAtMerged(int32_t x, int32_t y);

DRO_API void DRO_CALL DRO_Clear(int32_t red, int32_t green, int32_t blue, int32_t alpha);
DRO_API void DRO_CALL DRO_ClearMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha);
DRO_API void DRO_CALL DRO_ClearMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha);
DRO_API void DRO_CALL DRO_ClearRGBA64(uint16_t* block, int32_t pitch, int32_t red16, int32_t green16,
                                      int32_t blue16, int32_t alpha16);
DRO_API void DRO_CALL DRO_ClearRGBA32(uint8_t* block, int32_t pitch, int32_t red, int32_t green,
                                      int32_t blue, int32_t alpha);
DRO_API void DRO_CALL DRO_ClearRGBA32Buf(uint8_t* block, int32_t width, int32_t height, int32_t red,
                                         int32_t green, int32_t blue, int32_t alpha);

DRO_API void DRO_CALL DRO_GetMaskData16(uint16_t* destination);
DRO_API void DRO_CALL DRO_SetMaskData16(const uint16_t* source);

/* ---- Compressed rows and layers --------------------------------------------------
 * Row codes keep the high byte of each value: RGBA records of 5 bytes (run 1..255,
 * R, G, B, A) and mask records of 2 bytes (run, value). Encoding needs 5 x count
 * (RGBA) or 2 x count (mask) bytes of output. */

DRO_API int32_t DRO_CALL DRO_RLECompressRGBA64ToRGBA32(const uint16_t* pixels, uint8_t* output, int32_t count);
DRO_API void DRO_CALL DRO_RLEUncompressRGBA32ToRGBA64(const uint8_t* code, uint16_t* pixels, int32_t count);
DRO_API int32_t DRO_CALL DRO_RLECompressG16ToG8(const uint16_t* values, uint8_t* output, int32_t count);
DRO_API void DRO_CALL DRO_RLEUncompressG8ToG16(const uint8_t* code, uint16_t* values, int32_t count);
DRO_API int32_t DRO_CALL DRO_GetRGBA32LayerLineRLE(uint8_t* output, int32_t layer, int32_t row);
DRO_API void DRO_CALL DRO_PutRGBA32LayerLineRLE(const uint8_t* code, int32_t layer, int32_t row);
DRO_API int32_t DRO_CALL DRO_GetMaskLineRLE(uint8_t* output, int32_t row);
DRO_API void DRO_CALL DRO_PutMaskLineRLE(const uint8_t* code, int32_t row);
DRO_API int32_t DRO_CALL DRO_GetRGBA32LayerCompressed(uint8_t* output, int32_t ignored, int32_t capacity,
                                                      int32_t layer, int32_t level);
DRO_API void DRO_CALL DRO_LoadRGBA32LayerCompressed(const uint8_t* input, int32_t ignored, int32_t size,
                                                    int32_t layer);
/* Clears the layer through the mask, then merges the canvas-sized block onto it
 * (after scaling its alpha by texture and mask when adjust is non-zero; the block is
 * width x height for that step). */
DRO_API void DRO_CALL DRO_LoadRGBA32Layer_BAD(uint8_t* block, int32_t ignored, int32_t layer, int32_t width,
                                              int32_t height, uint8_t adjust);

/* ---- Mask -------------------------------------------------------------------------
 * One G16 value per canvas pixel: 65535 fully editable, 0 protected. As a picture the
 * mask is inverted (black editable). Image blocks are canvas-sized and tightly packed
 * unless a stride is given; the builders give matching pixels (65535 - amount) * 256
 * kept to 16 bits and leave the rest; tolerances are in percent. */

DRO_API void DRO_CALL DRO_EnableMask(uint8_t flag);
DRO_API void DRO_CALL DRO_DisplayMask(uint8_t flag);
DRO_API void DRO_CALL DRO_SetMaskOptions(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                                         int32_t fullRange);
DRO_API void DRO_CALL DRO_SetMaskMakerOn(void);
DRO_API void DRO_CALL DRO_SetEraseModeOn(void);

DRO_API void DRO_CALL DRO_InvertMask(void);
DRO_API void DRO_CALL DRO_ClearMask(int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_SaveMask(uint8_t* out, int32_t stride);
/* The part of the width x height picture beyond the canvas is ignored. */
DRO_API void DRO_CALL DRO_LoadMask(const uint8_t* data, int32_t stride, int32_t width, int32_t height);
/* operation: "Add", "Subtract" or "Replace"; any other text adds. */
DRO_API void DRO_CALL DRO_CombineMask(const uint8_t* data, int32_t stride, uint8_t black, int32_t amount,
                                      const char* operation);
DRO_API void DRO_CALL DRO_CreateMaskFromImage(void);
DRO_API void DRO_CALL DRO_CreateMaskFromImageLuma(void);
DRO_API void DRO_CALL DRO_CreateMaskFromAlpha(void);
DRO_API void DRO_CALL DRO_CreateMaskFromDiff_RGBA32(const uint8_t* a, const uint8_t* b, int32_t value);
DRO_API void DRO_CALL DRO_CreateMaskFromFloodMask(const uint8_t* map, int32_t amount);
DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageColor(const uint8_t* data, int32_t red, int32_t green,
                                                       int32_t blue, int32_t amount);
DRO_API void DRO_CALL DRO_CreateMaskFromRGB24ImageColor(const uint8_t* data, int32_t red, int32_t green,
                                                        int32_t blue, int32_t amount);
DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageColorRange(const uint8_t* data, int32_t red, int32_t green,
                                                            int32_t blue, int32_t tolerance, int32_t amount);
DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageAlphaRange(const uint8_t* data, int32_t alpha, int32_t tolerance,
                                                            int32_t amount);
DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageLuminanceRange(const uint8_t* data, int32_t red, int32_t green,
                                                                int32_t blue, int32_t tolerance, int32_t amount);
/* tolerance 100 is 180 degrees. */
DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageHueRange(const uint8_t* data, int32_t red, int32_t green,
                                                          int32_t blue, int32_t tolerance, int32_t amount);
/* Tolerances as fractions: hue of 180 degrees, saturation and lightness of 0..1. */
DRO_API void DRO_CALL DRO_CreateMaskFromRGBAImageHSLRange(const uint8_t* data, int32_t red, int32_t green,
                                                          int32_t blue, double hueTolerance,
                                                          double saturationTolerance, double lightnessTolerance,
                                                          int32_t amount);

DRO_API void DRO_CALL DRO_CreateImageFromMask(void);
/* kind 0: alpha = mask; 1: alpha + mask; 2: alpha - mask (both saturating). */
DRO_API void DRO_CALL DRO_CreateAlphaFromMask(int32_t kind);
/* Inclusive canvas rectangle; block row 0, column 0 at (x0, y0). Only the part on the
 * canvas is changed. */
DRO_API void DRO_CALL DRO_ApplyMaskToAlphaRect_RGBA32(uint8_t* data, int32_t stride, int32_t x0, int32_t y0,
                                                      int32_t x1, int32_t y1);
DRO_API void DRO_CALL DRO_ApplyMaskToAlpha_RGBA32(uint8_t* data);
DRO_API void DRO_CALL DRO_ColorRGBA32FromFloodMask(uint8_t* out, const uint8_t* map, int32_t red, int32_t green,
                                                   int32_t blue, int32_t alpha);
DRO_API void DRO_CALL DRO_ReplaceFromRGBAImageAlphaRange(uint8_t* data, int32_t alpha, int32_t tolerance,
                                                         int32_t red, int32_t green, int32_t blue,
                                                         int32_t newAlpha);

/* Tightly packed width x height blocks; nothing is clipped. */
DRO_API void DRO_CALL DRO_RGBAlphaToRGB(uint8_t* out, int32_t width, int32_t height, const uint8_t* in);
DRO_API void DRO_CALL DRO_RGBToRGBAlpha(uint8_t* out, int32_t width, int32_t height, const uint8_t* in);
DRO_API void DRO_CALL DRO_RGBToRGBA(uint8_t* out, int32_t width, int32_t height, const uint8_t* in);
DRO_API void DRO_CALL DRO_RGBAToRGB(uint8_t* out, int32_t width, int32_t height, const uint8_t* in);

/* ---- Tool settings, brush shapes and grain ----------------------------------- */

/* The current tool. Every value starts at 0 when the library loads and survives the
 * canvas. Colours: 8-bit setters store value << 8 (255 -> 65280); alpha is 65535. */
DRO_API void DRO_CALL DRO_SetColor(int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_SetColor16(int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1,
                                        int32_t r2, int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3);
DRO_API void DRO_CALL DRO_SetShapeBlur(int32_t value);
DRO_API void DRO_CALL DRO_SetBlendStrength(int32_t value);
DRO_API void DRO_CALL DRO_SetBlendPrimaryColorStrength(int32_t value);
DRO_API void DRO_CALL DRO_SetBlendRemix(int32_t flag);
DRO_API void DRO_CALL DRO_SetDensity(int32_t value);
DRO_API void DRO_CALL DRO_SetAlpha(int32_t percent);
DRO_API void DRO_CALL DRO_SetColorVary(int32_t value);
DRO_API void DRO_CALL DRO_SetAlphaLocked(int32_t flag);
DRO_API void DRO_CALL DRO_SetColorLocked(int32_t flag);
DRO_API void DRO_CALL DRO_SetBlobLocked(int32_t flag);
DRO_API void DRO_CALL DRO_SetAlphaLevel(int32_t value);
DRO_API void DRO_CALL DRO_SetImageBrushMode(int32_t flag);
DRO_API void DRO_CALL DRO_SetSolidBrushMode(int32_t flag);
DRO_API void DRO_CALL DRO_SetRotateBrushMode(int32_t mode, int32_t degrees);
/* Brush size in pixels, kept to 0..1000 and, once a canvas exists, to its maxBrushSize.
 * The scale size is the drawn side: 1..999, never above the size. */
DRO_API void DRO_CALL DRO_SetSize(int32_t size);
DRO_API void DRO_CALL DRO_SetScaleSize(int32_t size);
DRO_API void DRO_CALL DRO_SetPixColorVary(int32_t value);
DRO_API void DRO_CALL DRO_SetPixLumVary(int32_t value);
DRO_API void DRO_CALL DRO_SetMixMode(int32_t mode, int32_t amount);
DRO_API void DRO_CALL DRO_DecDrawingLength(void);
DRO_API void DRO_CALL DRO_TempDisableBlend(void);
/* Stores the tool, rebuilds the 20 grain buffers (random cells when grainCellSize is
 * not 0, then from grainSource when it names a grain image) and the brush shape
 * (shapeSource, turned by shapeParam degrees), and clears the one-shot flags and the
 * mask maker. Paths of "" or one character mean none. */
DRO_API void DRO_CALL DRO_SetTool(float shapeGain, int32_t grainCellSize, int32_t grainCellThreshold,
                                  int32_t grainFillThreshold, int32_t edgeSoftness, int32_t colorVary,
                                  int32_t grainInterval, int32_t blendStrength, int32_t blendPrimaryColorStrength,
                                  int32_t blendRemix, int32_t unused11, int32_t invertShape, int32_t unused13,
                                  const char* grainSource, const char* shapeSource, int32_t shapeParam);
/* Rebuilds the shape for the current size: from the image file at path (cached with
 * shapeParam) or, when the path is "" or one character or unreadable, round. */
DRO_API void DRO_CALL DRO_SetBrushShape(const char* path, int32_t shapeParam);
DRO_API void DRO_CALL DRO_SetBrushShape_ORIGINAL(const char* path, int32_t shapeParam);
DRO_API void DRO_CALL DRO_UnloadBrushShape(void);

/* ---- Dabs and blend buffers ------------------------------------------------------ */

/* A dab of the current brush centred at (x, y) into the paint layer (else the current
 * layer); r, g, b are 16-bit and only their high bytes count. While the mask maker is
 * on the dab goes into the mask. */
DRO_API void DRO_CALL DRO_DrawDabGrit(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b);
DRO_API void DRO_CALL DRO_DrawDabGritMask(int32_t x, int32_t y);

/* Blend buffers: up to 20 maxBrushSize-square RGBA64 images; every operation works on
 * the selected one. Copy, mix and colour do nothing while the blend strength is 0.
 * Source blocks are canvas-sized RGBA64 planes; share and amount are 0..256. */
DRO_API void DRO_CALL DRO_SetBlendBufferCount(int32_t count);
DRO_API void DRO_CALL DRO_SelectBlendBuffer(int32_t index);
DRO_API void DRO_CALL DRO_ClearBlendBuffer(void);
DRO_API void DRO_CALL DRO_FillBlendBuffer(int32_t a1, int32_t a2, int32_t a3, int32_t a4);
/* kind 289 grey, 290 invert, 291 values below level % to 0, 292 values above to 65280. */
DRO_API void DRO_CALL DRO_FilterBlendBuffer(int32_t kind, int32_t level);
DRO_API void DRO_CALL DRO_DoCopyBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t colorShare,
                                            uint8_t keepColorOutside);
DRO_API void DRO_CALL DRO_CopyBlendBufferSurface(int32_t x, int32_t y, int32_t colorShare, uint8_t keepColorOutside);
DRO_API void DRO_CALL DRO_CopyBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t colorShare);
DRO_API void DRO_CALL DRO_CopyBlendBufferUnderLayer(int32_t x, int32_t y, int32_t colorShare);
DRO_API void DRO_CALL DRO_CopyBlendBufferHistory(int32_t x, int32_t y, int32_t colorShare);
DRO_API void DRO_CALL DRO_CopyBlendBufferTrace(int32_t x, int32_t y, int32_t colorShare);
DRO_API void DRO_CALL DRO_DoCopyBlendBufferMask(int32_t x, int32_t y, int32_t colorShare);
DRO_API void DRO_CALL DRO_DoMixBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t amount);
DRO_API void DRO_CALL DRO_MixBlendBufferSurface(int32_t x, int32_t y, int32_t amount);
DRO_API void DRO_CALL DRO_MixBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t amount);
DRO_API void DRO_CALL DRO_MixBlendBufferUnderLayer(int32_t x, int32_t y, int32_t amount);
DRO_API void DRO_CALL DRO_MixBlendBufferHistory(int32_t x, int32_t y, int32_t amount);
DRO_API void DRO_CALL DRO_MixBlendBufferTrace(int32_t x, int32_t y, int32_t amount);
DRO_API void DRO_CALL DRO_DoColorBlendBuffer(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t ignored,
                                             int32_t amount);
/* Point readers: RGBAAt gives 0xRRGGBBAA with (x, y) clamped into the canvas; ColorAt
 * gives 0xAARRGGBB and 0x00FFFFFF outside it; both 0 without the source. */
DRO_API uint32_t DRO_CALL DRO_GetRGBAAt(int32_t x, int32_t y, const uint16_t* source);
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtSurface(int32_t x, int32_t y);
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtUnderLayer(int32_t x, int32_t y);
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtTrace(int32_t x, int32_t y);
DRO_API uint32_t DRO_CALL DRO_GetRGBAAtLayer(int32_t x, int32_t y, int32_t layer);
DRO_API uint32_t DRO_CALL DRO_GetColorAt(int32_t x, int32_t y, const uint16_t* source);
DRO_API uint32_t DRO_CALL DRO_GetColorAtSurface(int32_t x, int32_t y);
DRO_API uint32_t DRO_CALL DRO_GetColorAtUnderLayer(int32_t x, int32_t y);
DRO_API uint32_t DRO_CALL DRO_GetColorAtTrace(int32_t x, int32_t y);
DRO_API uint32_t DRO_CALL DRO_GetColorAtHistory(int32_t x, int32_t y);
DRO_API uint32_t DRO_CALL DRO_GetColorAtLayer(int32_t x, int32_t y, int32_t layer);

/* ---- Blend modes and merges ------------------------------------------------- */

/* Merges one source pixel into the destination pixel in place under a blend mode id
 * (0..53). Channels 0..65535; opacity 0..255 (255 = full); alphaLock non-zero keeps
 * the destination alpha. Null destination pointers: nothing is done. */
DRO_API void DRO_CALL DRO_MergePixel(uint32_t* dR, uint32_t* dG, uint32_t* dB, uint32_t* dA, uint32_t sR,
                                     uint32_t sG, uint32_t sB, uint32_t sA, int32_t mode, int32_t opacity,
                                     uint8_t alphaLock);

/* Layer merges: RGBA64 buffers are packed (w x 4 values per row). */
DRO_API void DRO_CALL DRO_MergeLayer(int32_t sourceLayer, int32_t destinationLayer);
DRO_API void DRO_CALL DRO_MergeLayerIntoRect(int32_t layer, uint16_t* buffer, int32_t x, int32_t y, int32_t width,
                                             int32_t height);
DRO_API void DRO_CALL DRO_MergeLayerInto(int32_t layer, uint16_t* buffer);
DRO_API void DRO_CALL DRO_MergeRect(uint16_t* buffer, int32_t x, int32_t y, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_Merge(uint16_t* buffer);
DRO_API void DRO_CALL DRO_MergeRGBA32Layer(const uint8_t* data, int32_t layer, int32_t mode, int32_t opacity);

/* ---- Premultiply around neighbourhood filters ----------------------------------- */

/* Row stride is width pixels; a null block or a non-positive size does nothing. */
DRO_API void DRO_CALL DRO_AdjustRGBA32PreFilter(uint8_t* block, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_AdjustRGBA32PostFilter(uint8_t* block, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_AdjustRGBA64PreFilter(uint16_t* block, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_AdjustRGBA64PostFilter(uint16_t* block, int32_t width, int32_t height);

/* ---- Hue, saturation, lightness / value shifts of RGBA32 blocks ------------------- */

/* Stride width x 4, in place, alpha kept; hue in degrees, the other shifts in hundredths. */
DRO_API void DRO_CALL DRO_ProcessBuffer_HSLAdjust(uint8_t* block, int32_t width, int32_t height, int32_t hueShift,
                                                  int32_t saturationShift, int32_t lightnessShift);
DRO_API void DRO_CALL DRO_ProcessBuffer_HSVAdjust(uint8_t* block, int32_t width, int32_t height, int32_t hueShift,
                                                  int32_t saturationShift, int32_t valueShift);

/* ---- Texture and mask adjustment of host blocks ----------------------------------- */

DRO_API void DRO_CALL DRO_AdjustRGBA32RectByMaskAndTexture(uint8_t* block, int32_t left, int32_t top,
                                                           int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_AdjustRGBA32ByMaskAndTexture(uint8_t* block, int32_t width, int32_t height);
/* flag non-zero: unpremultiplies a canvas-sized RGBA32 block in place. */
DRO_API void DRO_CALL DRO_AdjustRGBA32ForAlphaComp(uint8_t flag, uint8_t* block);

/* ---- Paint layer, texture map and fade ------------------------------------------- */

/* The paint layer holds the stroke in progress: dabs go into it, the render shows it
 * inside the current layer, and the merge lays it into a layer with its mode and
 * opacities (percent 0..100) and clears it. Returns the mode id of modeName. */
DRO_API int32_t DRO_CALL DRO_CreatePaintLayer(int32_t opacityPercent, int32_t secondPercent, const char* modeName);
DRO_API void DRO_CALL DRO_ClearPaintLayer(void);
DRO_API void DRO_CALL DRO_ClearPaintLayer_old(void);
DRO_API void DRO_CALL DRO_DeletePaintLayer(void);
/* Extents are left, top inclusive and right, bottom one past the painted area. */
DRO_API void DRO_CALL DRO_SetPaintLayerExtents(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY);
DRO_API void DRO_CALL DRO_SwapPaintLayer(int32_t layer);
DRO_API void DRO_CALL DRO_MergePaintLayer(int32_t layer);
DRO_API void DRO_CALL DRO_BlurPaintLayerAlpha(void);
/* The texture map (4..250 per canvas pixel) from a layer's grey level. */
DRO_API void DRO_CALL DRO_CreateTexture(int32_t layer);
DRO_API void DRO_CALL DRO_DeleteTexture(void);
/* With a step undone, exchanges the pixels of the step the next undo would take back. */
DRO_API void DRO_CALL DRO_StartFade(void);
DRO_API void DRO_CALL DRO_UpdateFade(int32_t amount);
DRO_API void DRO_CALL DRO_EndFade(void);

/* ---- Display render and view ------------------------------------------------------ */

/* Composites the visible layers (with the stroke in progress) of the canvas rectangle
 * x, y, w, h into 24-bit pixels, bytes blue, green, red; output row k starts at
 * out + k * stride bytes, stride may be negative. The scale path follows SetScale:
 * scale equal to zoom renders 1:1, below it zooms in by zoom, above it zooms out by
 * scale. Nothing is written before SetViewSize or without a current layer. */
DRO_API void DRO_CALL DRO_Render(uint8_t* out, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h);
DRO_API void DRO_CALL DRO_SetScale(int32_t zoom, float scale);
DRO_API void DRO_CALL DRO_SetOffset(int32_t x, int32_t y);
DRO_API void DRO_CALL DRO_SetViewSize(int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_SetAOI(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
DRO_API void DRO_CALL DRO_SetTracingMode(uint8_t mode);
DRO_API void DRO_CALL DRO_SetGrid(uint32_t value);
DRO_API void DRO_CALL DRO_SetGridSpacing(uint32_t value);
DRO_API intptr_t DRO_CALL DRO_SetWindowRedraw(DRO_Window window, int32_t flag);
DRO_API int32_t DRO_CALL DRO_RedrawWindow(DRO_Window window);

/* ---- Image files and the import buffer ------------------------------------------ */

DRO_API int32_t DRO_CALL DRO_ReadFromFile(const char* path);
DRO_API int32_t DRO_CALL DRO_ReadFromFileRAW(const char* path);
DRO_API int32_t DRO_CALL DRO_ReadFromFileRGB24(uint8_t* destination, int32_t width, int32_t height,
                                               const char* path);
DRO_API int32_t DRO_CALL DRO_ReadFromFileRGBA32(uint8_t* destination, int32_t width, int32_t height,
                                                const char* path);
DRO_API int32_t DRO_CALL DRO_WriteToFileRGB24(const uint8_t* block, int32_t width, int32_t height,
                                              const char* path, const char* extension, int32_t dpi);
DRO_API int32_t DRO_CALL DRO_WriteToFileRGBA32(const uint8_t* block, int32_t width, int32_t height,
                                               const char* path, const char* extension, int32_t dpi);
DRO_API void DRO_CALL DRO_SavePageToFileRGB24(const char* path, const char* extension, int32_t dpi);
DRO_API void DRO_CALL DRO_SavePageToFileRGB32(const char* path, const char* extension, int32_t dpi);
DRO_API int32_t DRO_CALL DRO_GetDPIFromFile(const char* path);
DRO_API int32_t DRO_CALL DRO_GetWidthFromPNG(const char* path);
DRO_API int32_t DRO_CALL DRO_GetHeightFromPNG(const char* path);
DRO_API int32_t DRO_CALL DRO_MakeThumbnail(const char* source, const char* destination, int32_t edge);
DRO_API int32_t DRO_CALL DRO_MakeWebPic(const char* source, const char* destination, int32_t maxWidth,
                                        int32_t maxHeight);
DRO_API int32_t DRO_CALL DRO_GetNewRGBAWidth(void);
DRO_API int32_t DRO_CALL DRO_GetNewRGBAHeight(void);
DRO_API void DRO_CALL DRO_GetNewRGBA32(uint8_t* destination);
DRO_API void DRO_CALL DRO_GetNewRGBA24(uint8_t* destination);
DRO_API void DRO_CALL DRO_GetResizedNewRGBA24(uint8_t* destination, int32_t width, int32_t height);
DRO_API int32_t DRO_CALL DRO_IsNewRGBA32Transparent(void);
DRO_API void DRO_CALL DRO_SetInNewRGBA(void);
DRO_API void DRO_CALL DRO_DeleteNewRGBA(void);

/* ---- Image-processing working buffers and effects ------------------------------ */

/* Starts (and stops) the imaging library's modules; the argument is not used. */
DRO_API void DRO_CALL DRO_IPLInit(int32_t unused);
DRO_API void DRO_CALL DRO_IPLExit(void);
/* Canvas-sized working copies of the current layer: sources are (re)filled from it on
 * every allocation call, destinations keep their contents while the size holds. */
DRO_API void DRO_CALL DRO_IPLAllocSrcBuffer32(void);
DRO_API void DRO_CALL DRO_IPLAllocDstBuffer32(void);
DRO_API void DRO_CALL DRO_IPLAllocSrcBuffer24(void);
DRO_API void DRO_CALL DRO_IPLAllocDstBuffer24(void);
DRO_API void DRO_CALL DRO_ToolAllocSrcBuffer32(void);
DRO_API void DRO_CALL DRO_ToolAllocDstBuffer32(void);
DRO_API void DRO_CALL DRO_IPLFreeSrcBuffer32(void);
DRO_API void DRO_CALL DRO_IPLFreeDstBuffer32(void);
DRO_API void DRO_CALL DRO_IPLFreeSrcBuffer24(void);
DRO_API void DRO_CALL DRO_IPLFreeDstBuffer24(void);
DRO_API void DRO_CALL DRO_ToolFreeSrcBuffer32(void);
DRO_API void DRO_CALL DRO_ToolFreeDstBuffer32(void);
/* Copies a canvas-sized RGBA32 block (stride width x 4) into the buffer, if both exist. */
DRO_API void DRO_CALL DRO_IPLSetSrcBuffer32(const uint8_t* block);
DRO_API void DRO_CALL DRO_IPLSetDstBuffer32(const uint8_t* block);
DRO_API void DRO_CALL DRO_IPLUpdateSrcBuffer32(void);
DRO_API void DRO_CALL DRO_ApplyMaskToAlpha_IPLSrcRGBA(void);
/* Runs the named effect on the current layer through the IPL RGBA32 buffers (both must
 * be allocated); sliders 0..1000, flags 0/1, colour 0..255 per channel; path names the
 * script or plug-in of the effects that take one. */
DRO_API void DRO_CALL DRO_IPLImageProcess(int32_t unused, const char* effect, int32_t variant, int32_t slider1,
                                          int32_t slider2, int32_t slider3, int32_t slider4, int32_t slider5,
                                          int32_t slider6, int32_t style1, int32_t style2, uint8_t flag1,
                                          uint8_t flag2, uint8_t flag3, uint8_t flag4, uint8_t flag5, uint8_t flag6,
                                          int32_t red, int32_t green, int32_t blue, const char* path);
/* The "Photo Pop" chain on the current layer (the IPL RGBA32 buffers must be
 * allocated): sharpen, then with preContrast = 1 a mild hyper contrast, then hyper
 * contrast with slider amount (0..1000), then saturation: 50 keeps it, 0 gives a factor
 * of -2, 100 of 3. Marks the whole canvas changed; failures record "IPLPhotoPop Excpt". */
DRO_API void DRO_CALL DRO_IPLPhotoPop(int32_t amount, double saturation, uint8_t preContrast);
/* background: bytes R, G, B, A in memory order (R | G << 8 | B << 16 | A << 24). */
DRO_API void DRO_CALL DRO_IPLDisplacementBummp(const char* scriptPath, double strength, uint32_t background);
/* Extension: describes effect number index (0..187, in dispatch order) as text, cut to
 * fit bufferSize (always terminated when bufferSize > 0). First line: name, family,
 * "built" or "not built", summary, separated by tabs; then one line per control:
 * control ("slider1".."slider6", "style1", "style2", "flag1".."flag6", "color",
 * "variant", "path"), default, minimum, maximum, meaning. Returns the full length without
 * the terminator, or -1 for an index out of range. An effect that is not built makes
 * DRO_IPLImageProcess record "IPLImageProc: effect not built: NAME" as the last error. */
DRO_API int32_t DRO_CALL DRO_DescribeEffect(int32_t index, char* buffer, int32_t bufferSize);

/* ---- Undo store ---------------------------------------------------------------- */

DRO_API void DRO_CALL DRO_SaveUndoBuffer(uint8_t savePixels, uint8_t saveMask);
DRO_API void DRO_CALL DRO_SaveUndoBackBuffer(int32_t index);
DRO_API void DRO_CALL DRO_Undo(void);
DRO_API void DRO_CALL DRO_Redo(void);
DRO_API int32_t DRO_CALL DRO_CanUndo(void);
DRO_API int32_t DRO_CALL DRO_CanRedo(void);
DRO_API int32_t DRO_CALL DRO_GetRedoCount(void);
DRO_API int32_t DRO_CALL DRO_GetUndoCount(void);
DRO_API void DRO_CALL DRO_ClearUndo(void);
DRO_API void DRO_CALL DRO_ReduceUndo(int32_t kilobytes);
DRO_API void DRO_CALL DRO_SetUndoLevels(int32_t levels);
DRO_API void DRO_CALL DRO_SetUndoMB(int32_t megabytes);
DRO_API int32_t DRO_CALL DRO_GetTotalUndoMemory(void);
DRO_API int32_t DRO_CALL DRO_GetCurrentUndoMemory(void);
DRO_API void DRO_CALL DRO_PauseUndo(void);
DRO_API void DRO_CALL DRO_ResumeUndo(void);
DRO_API void DRO_CALL DRO_InvalidateDirtyUndoCanvas(void);

/* ---- Lua filter scripts ----------------------------------------------------------- */

/* Runs the Lua script at path over the current layer through the IPL RGBA32 buffers
 * (both must be allocated). Sliders 0..1000, styles 0-based, flags 0/1. Load and run
 * errors are shown once in a message box captioned "Lua Script Error"; Escape (see
 * docs/api.md) ends a running script the same way. */
DRO_API void DRO_CALL DRO_LuaFilterRun(const char* path, int32_t variant, int32_t slider1, int32_t slider2,
                                       int32_t slider3, int32_t slider4, int32_t slider5, int32_t slider6,
                                       int32_t style1, int32_t style2, uint8_t flag1, uint8_t flag2, uint8_t flag3,
                                       uint8_t flag4, uint8_t flag5, uint8_t flag6);

/* Extension: message boxes (script errors, "message_box") go to the host's callback
 * instead of the system's box (on Linux: one line "caption: text" on stderr). Null
 * restores the default. */
typedef void (DRO_CALL* DRO_MessageCallback)(const char* text, const char* caption, void* user);
DRO_API void DRO_CALL DRO_SetMessageCallback(DRO_MessageCallback callback, void* user);
/* Extension: the host reports an Escape key-down (where no keyboard reaches the engine,
 * as on Linux); the next Escape check (a running script's stop check, "is_escape") sees
 * it once. Safe to call from another thread while a script runs. */
DRO_API void DRO_CALL DRO_PressEscape(void);
/* Extension: DRO_LuaFilterRun in a sandbox: the script has no io, no os beyond
 * os.time, os.clock and os.date, and no require, dofile or loadfile. */
DRO_API void DRO_CALL DRO_LuaFilterRunSandboxed(const char* path, int32_t variant, int32_t slider1,
                                                int32_t slider2, int32_t slider3, int32_t slider4,
                                                int32_t slider5, int32_t slider6, int32_t style1,
                                                int32_t style2, uint8_t flag1, uint8_t flag2, uint8_t flag3,
                                                uint8_t flag4, uint8_t flag5, uint8_t flag6);

/* ---- Fill, shape and selection tools ---------------------------------------------- */

/* Tolerance 0..50000 (50000 = 100 %); opacity and strength in percent. Each marks the
 * whole canvas changed (a fill or wand clicked outside the canvas does nothing). */
DRO_API void DRO_CALL DRO_IPLFloodFill(int32_t red, int32_t green, int32_t blue, int32_t x, int32_t y,
                                       int32_t tolerance, const char* mode);
DRO_API void DRO_CALL DRO_IPLRectangle(int32_t red, int32_t green, int32_t blue, int32_t x0, int32_t y0, int32_t x1,
                                       int32_t y1, int32_t opacity);
DRO_API void DRO_CALL DRO_IPLEllipse(int32_t red, int32_t green, int32_t blue, int32_t x0, int32_t y0, int32_t x1,
                                     int32_t y1, int32_t opacity);
DRO_API void DRO_CALL DRO_IPLGradient(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                                      int32_t r3, int32_t g3, int32_t b3, int32_t r4, int32_t g4, int32_t b4,
                                      int32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                      const char* type);
DRO_API void DRO_CALL DRO_IPLMaskRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strength,
                                           int32_t black, const char* operation);
DRO_API void DRO_CALL DRO_IPLMaskEllipse(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t strength,
                                         int32_t black, const char* operation);
DRO_API void DRO_CALL DRO_IPLMaskWand(int32_t x, int32_t y, int32_t tolerance, int32_t strength, const char* mode);

/* ---- Image brushes ---------------------------------------------------------------- */

/* The master picture fits the brush box (maxBrushSize) on both sides; positions of a
 * strip run 0.0..1.0 (beyond, NaN and infinities take the nearer end frame). */
DRO_API void DRO_CALL DRO_FillImageBrush(int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_ColorImageBrush(int32_t red, int32_t green, int32_t blue);
DRO_API void DRO_CALL DRO_CopyToImageBrush(void);
DRO_API void DRO_CALL DRO_LoadImageBrush(const char* path);
DRO_API void DRO_CALL DRO_LoadImageBrushFromRGBA32(const uint8_t* pixels, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_LoadImageBrushArray(const char* path);
DRO_API void DRO_CALL DRO_CopyFromImageBrushArray(float position);
DRO_API void DRO_CALL DRO_SizeImageBrush(void);
DRO_API void DRO_CALL DRO_RotateImageBrush(int32_t angle);
DRO_API void DRO_CALL DRO_CopyFromImageBrush(int32_t keepPercent);
DRO_API void DRO_CALL DRO_CopyFromImageBrushRotate(int32_t keepPercent);
DRO_API void DRO_CALL DRO_SaveImageBrush(const char* path);

/* ---- Tablet input and stroke geometry ---------------------------------------------- */

/* DRO_InitTablet returns 0 when there is no tablet. Packet functions take an index
 * below the count of the last DRO_ReadTabletPackets; others give 0. On Linux the first
 * evdev pen device is read (positions in its own units). */
DRO_API int32_t DRO_CALL DRO_InitTablet(void* window);
DRO_API void DRO_CALL DRO_SetTabletOrigin(void);
DRO_API void DRO_CALL DRO_CloseTablet(void);
DRO_API void DRO_CALL DRO_ResetTabletPressure(void);
DRO_API void DRO_CALL DRO_ReadTabletPackets(void);
DRO_API int32_t DRO_CALL DRO_ReadTabletPressure(int32_t index);
DRO_API int32_t DRO_CALL DRO_ReadRawTabletPressure(int32_t index);
DRO_API int32_t DRO_CALL DRO_IsPacketInvert(int32_t index);
DRO_API int32_t DRO_CALL DRO_PacketStatus(int32_t index);
DRO_API int32_t DRO_CALL DRO_ReadTabletX(int32_t index);
DRO_API int32_t DRO_CALL DRO_ReadTabletY(int32_t index);
/* 100 points through the three (point 0, 49 and 99); the last argument is ignored. */
DRO_API void DRO_CALL DRO_CalcSpline3(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, uint32_t x2, uint32_t y2,
                                      int32_t unused);
DRO_API int32_t DRO_CALL DRO_GetSplinePointCount(void);
DRO_API int32_t DRO_CALL DRO_GetSplinePointX(int32_t index);
DRO_API int32_t DRO_CALL DRO_GetSplinePointY(int32_t index);
/* Pushes the current layer's content at (x0, y0) to (x1, y1); needs the IPL source and
 * destination (32) buffers. */
DRO_API void DRO_CALL DRO_WarpPointToPoint(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

/* ---- Canvas geometry ---------------------------------------------------------------- */

/* Each gives every layer slot with pixels (1 and up) the new size; the canvas size
 * follows with the host's DRO_NewSize. Between the two, every export stays inside each
 * layer's own plane. Alpha lock is lifted for the write and restored. */
/* filter: "Area Average", "Nearest Neighbor", "Bilinear", "Bicubic", "Box", "Triangle",
 * "Hamming", "Gaussian", "Bell", "B-Spline", "Cubic 1", "Cubic 2", "Lanczos3",
 * "Mitchell", "Sinc", "Hermite", "Hanning", "Catrom"; anything else is Lanczos3. */
DRO_API void DRO_CALL DRO_IPLResize(int32_t newWidth, int32_t newHeight, const char* filter);
/* Content-aware: seams of least energy removed or doubled; the mask, when enabled,
 * protects what it covers (0 protected). */
DRO_API void DRO_CALL DRO_IPLSeamCarvingRGBA(int32_t newWidth, int32_t newHeight, int32_t unused);
/* anchor "TL" "TC" "TR" "ML" "MC" "MR" "BL" "BC" "BR"; slot 1 gets an opaque page of the
 * colour, slots 2-253 a clear one, 254 and up opaque white. */
DRO_API void DRO_CALL DRO_IPLResizePage(int32_t newWidth, int32_t newHeight, const char* anchor, int32_t red,
                                        int32_t green, int32_t blue);
/* right and bottom exclusive; corners in any order, clipped to the canvas. */
DRO_API void DRO_CALL DRO_IPLCrop(int32_t left, int32_t top, int32_t right, int32_t bottom);
DRO_API void DRO_CALL DRO_IPLRotateLeft(void);
DRO_API void DRO_CALL DRO_IPLRotateRight(void);
/* Mirror every layer in place; alpha lock stays in force. The vertical flip's failure
 * text is "IPLVlipVertical Excpt". */
DRO_API void DRO_CALL DRO_IPLFlipHorizontal(void);
DRO_API void DRO_CALL DRO_IPLFlipVertical(void);
/* Moves the IPL source (32) by (dx, dy) into the current layer, replacing its content.
 * edgeMode: 0 transparent, 1 wrap around, 3 repeat the edge pixel, others the
 * background colour. applyMaskAndTexture: write through the mask and texture. */
DRO_API void DRO_CALL DRO_IPLPan(int32_t dx, int32_t dy, int32_t edgeMode, int32_t red, int32_t green, int32_t blue,
                                 int32_t alpha, uint8_t applyMaskAndTexture);
/* Blurs an RGB24 block (stride width * 3) in place: radius / 5 pixels, strength percent. */
DRO_API void DRO_CALL DRO_BlurMoreBufferRGB24(uint8_t* block, int32_t width, int32_t height, int32_t radius,
                                              int32_t strength);

/* ---- Text and fonts ------------------------------------------------------------------ */

/* Draws text into the current layer at (x, y) in the colour, through the IPL source (32)
 * and the mask, in the font chosen with DRO_ChooseFont; smoothAlpha draws on
 * premultiplied colour. Only the text's rectangle is touched; an empty text draws
 * nothing. */
DRO_API void DRO_CALL DRO_IPLText(int32_t red, int32_t green, int32_t blue, int32_t x, int32_t y, int32_t unused1,
                                  int32_t unused2, int32_t unused3, int32_t unused4, const char* text,
                                  uint8_t smoothAlpha);
/* Choose the font of DRO_IPLText and of the text brush: the face the host set with
 * DRO_SetFontFace when it set one; else the system's font dialog (Windows), or a default
 * face where there is no dialog a library can show (Linux). Nonzero when a font was chosen. */
DRO_API int32_t DRO_CALL DRO_ChooseFont(void);
DRO_API int32_t DRO_CALL DRO_ChooseTextBrushFont(void);
/* Writes one PNG per character of text into folder: clip0.png, clip1.png ... (100 dpi). */
DRO_API void DRO_CALL DRO_BuildTextBrushClips(int32_t red, int32_t green, int32_t blue, const char* text,
                                              const char* folder);
/* Extension: the font the next DRO_ChooseFont / DRO_ChooseTextBrushFont picks: a face
 * name (fontconfig pattern on Linux, at most 31 bytes used), pixel height (0: 16),
 * weight (100-900, 0: 400) and italic (0/1). A null face forgets the choice. */
DRO_API void DRO_CALL DRO_SetFontFace(const char* face, int32_t pixelHeight, int32_t weight, uint8_t italic);

/* ---- Scanners and plug-ins ------------------------------------------------------------ */

/* Scanners and cameras: TWAIN on Windows, SANE on Linux. DRO_TwainSelectSource picks the
 * device DRO_TwainAcquire uses: the system's selection dialog where there is one; on
 * Linux the SANE device named by the environment variable DROVANE_SCANNER, else the
 * first one found. DRO_TwainAcquire puts one image into the import buffer (NewRGBA). */
DRO_API int32_t DRO_CALL DRO_IsTwain(void);
DRO_API int32_t DRO_CALL DRO_TwainSelectSource(void);
DRO_API int32_t DRO_CALL DRO_TwainAcquire(void);
/* Walks folder (and its subfolders) for Photoshop-format filter plug-ins (.8bf) and
 * lists each by the category and name of its PiPL resource; returns how many were
 * found. Corrupt files are skipped. */
DRO_API int32_t DRO_CALL DRO_PhotoshopPluginScan(const char* folder);
/* The newest listed plug-in as "category :: name :: path" (at most 1023 bytes), removed
 * from the list; an empty text when the list is empty. */
DRO_API const char* DRO_CALL DRO_PhotoshopPluginNextName(void);

/* Extension: why the calling thread's last image-file read or write failed ("not found",
 * "permission denied", "unknown format", "corrupt or truncated PNG: ..."), or what a read
 * that succeeded could not recover (a truncated JPEG); "" after a clean success. The text
 * stays valid until that thread's next file call. */
DRO_API const char* DRO_CALL DRO_GetFileMessage(void);

/* ---- Clipboard and screen capture ----------------------------------------------- */

/* Images travel through the clipboard as CF_DIB: a packed DIB (BITMAPINFOHEADER,
 * masks, colour table, bits); the engine writes 32-bit BGRA, bottom row first. Incoming
 * images land in the import buffer (DRO_GetNewRGBA32 and friends). */
DRO_API void DRO_CALL DRO_ToClipboard(void);
/* Any two opposite corners; the larger edge is excluded; cut to the canvas. */
DRO_API void DRO_CALL DRO_ToClipboardRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
DRO_API void DRO_CALL DRO_RGBA32ToClipboardRect(const uint8_t* block, int32_t x, int32_t y, int32_t width,
                                                int32_t height, uint8_t applyMask);
DRO_API int32_t DRO_CALL DRO_FromClipboard(void);
DRO_API int32_t DRO_CALL DRO_FromClipboardInto(int32_t x, int32_t y, int32_t centre);
/* angle in hundredths of a degree; opacity 0..256. Always returns 0. */
DRO_API int32_t DRO_CALL DRO_FromClipboardIntoEX2(int32_t x, int32_t y, int32_t size, int32_t angle, int32_t centre,
                                                  int32_t filtered, int32_t opacity);
DRO_API void DRO_CALL DRO_ClearClipEX2Cache(void);
/* direction 1 mirrors left to right, anything else top to bottom. */
DRO_API void DRO_CALL DRO_ClipboardFlip(int32_t direction);
/* The writer's result (nonzero on success); 0 when the clipboard holds no image. */
DRO_API int32_t DRO_CALL DRO_FromClipboardToFile(const char* path, const char* extension, int32_t dpi);
DRO_API void DRO_CALL DRO_ToClipboardFromFile(const char* path);
DRO_API void DRO_CALL DRO_FromClipboardToImageBrush(int32_t size);
DRO_API void DRO_CALL DRO_FromClipboardToImageBrushFile(const char* path, int32_t size);
DRO_API void DRO_CALL DRO_FromClipboardToShapeFile(const char* path, int32_t size, int32_t angle);
/* 1 when the screen is in the import buffer; 0 when no screen can be reached (on Linux:
 * no X display). */
DRO_API int32_t DRO_CALL DRO_ScreenCapture(void);
DRO_API int32_t DRO_CALL DRO_ScreenCaptureInto(void);

/* Extension: bridges the clipboard to the host's toolkit (on Linux the engine's own
 * clipboard only lives inside the process). get returns the size in bytes of the
 * clipboard's CF_DIB (0: none) and, when buffer is not null, copies at most capacity
 * bytes of it; set returns nonzero when it took the bytes (copy them: the block is the
 * engine's). Null for either keeps that direction in the process. See docs/api.md. */
typedef int32_t (DRO_CALL* DRO_ClipboardGetDib)(uint8_t* buffer, int32_t capacity, void* user);
typedef int32_t (DRO_CALL* DRO_ClipboardSetDib)(const uint8_t* dib, int32_t size, void* user);
DRO_API void DRO_CALL DRO_SetClipboardCallbacks(DRO_ClipboardGetDib get, DRO_ClipboardSetDib set, void* user);

/* ---- Animation and document export ------------------------------------------------ */

/* One AVI writer: frames are the canvas size at DRO_CreateAVI; periodMs milliseconds
 * per frame. Creating while one is open finishes the open one first. Frames of another
 * size, and frames after a failure (a write error, the 1 GB limit of an AVI file), are
 * refused; the reason is in DRO_GetLastError. The file appears at its path on
 * DRO_CloseAVI, and only when it was written whole. */
DRO_API void DRO_CALL DRO_CreateAVI(const char* path, int32_t periodMs);
DRO_API void DRO_CALL DRO_WriteAVI(const char* bmpPath);
DRO_API void DRO_CALL DRO_WriteAVI_RGB24(const uint8_t* block, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_CloseAVI(void);
/* Extension: the compression of the next AVI's frames, taken at its first frame (where
 * Windows asks with its compression dialog): "DIB " or null uncompressed, "MJPG" MJPEG
 * at quality 1..100. 0 for any other handler (the choice is kept). */
DRO_API int32_t DRO_CALL DRO_SetAVICompression(const char* handler, int32_t quality);
/* palette: 256 x (blue, green, red, unused), or null. Returns the delay in hundredths. */
DRO_API int32_t DRO_CALL DRO_CreateGIF(const char* path, int32_t frameMs, const uint8_t* palette);
/* Extension: palette quality 1..100 and play count (0 forever) of GIF writers created next. */
DRO_API int32_t DRO_CALL DRO_SetGIFOptions(int32_t quality, int32_t plays);
DRO_API void DRO_CALL DRO_WriteGIF_RGB24(const uint8_t* block, int32_t width, int32_t height);
DRO_API void DRO_CALL DRO_CloseGIF(void);
/* PDF: one page per added image. The added image files are DELETED once they are in a
 * written document (see docs/api.md). MakePDF returns 1 when the document was written. */
DRO_API void DRO_CALL DRO_I2PDF_Reset(void);
DRO_API void DRO_CALL DRO_I2PDF_AddImage(const char* path);
DRO_API int32_t DRO_CALL DRO_I2PDF_MakePDF(const char* path);
DRO_API int32_t DRO_CALL DRO_I2PDF_MakePDFSlideshow(const char* path);

/* ---- Procedural image scripts (extension) ------------------------------------------ */
/* The size of the picture the script at path generates (docs/procedural-scripts.md).
 * 0 when the file is not a script or is broken; DRO_GetLastError then says why, naming
 * the line ("line 4: unknown effect ..."). */
DRO_API int32_t DRO_CALL DRO_ProceduralScriptSize(const char* path, int32_t* width, int32_t* height);
/* Renders the script into an RGBA32 block (stride width * 4) of exactly its size.
 * 1 on success; 0 with the reason in DRO_GetLastError. */
DRO_API int32_t DRO_CALL DRO_RenderProceduralScript(const char* path, uint8_t* rgba, int32_t width, int32_t height);

#ifdef __cplusplus
}
#endif

#endif /* DROVANE_H */
