// Compressed rows and layers for the host's documents.
#include "core/compressed_layer.h"
#include "composite/layer_load_merged.h"
#include "core/row_codecs.h"
#include "drovane.h"
#include "exports/guarded.h"

using namespace dro;

extern "C" {

DRO_API int32_t DRO_CALL DRO_RLECompressRGBA64ToRGBA32(const uint16_t* pixels, uint8_t* output, int32_t count) {
    return encodeRGBA64Row(pixels, output, count);
}

DRO_API void DRO_CALL DRO_RLEUncompressRGBA32ToRGBA64(const uint8_t* code, uint16_t* pixels, int32_t count) {
    decodeRGBA32Row(code, kUnboundedCode, pixels, count);
}

DRO_API int32_t DRO_CALL DRO_RLECompressG16ToG8(const uint16_t* values, uint8_t* output, int32_t count) {
    return encodeG16Row(values, output, count);
}

DRO_API void DRO_CALL DRO_RLEUncompressG8ToG16(const uint8_t* code, uint16_t* values, int32_t count) {
    decodeG8Row(code, kUnboundedCode, values, count);
}

DRO_API int32_t DRO_CALL DRO_GetRGBA32LayerLineRLE(uint8_t* output, int32_t layer, int32_t row) {
    return getLayerLineRLE(output, layer, row);
}

DRO_API void DRO_CALL DRO_PutRGBA32LayerLineRLE(const uint8_t* code, int32_t layer, int32_t row) {
    putLayerLineRLE(code, layer, row);
}

DRO_API int32_t DRO_CALL DRO_GetMaskLineRLE(uint8_t* output, int32_t row) { return getMaskLineRLE(output, row); }

DRO_API void DRO_CALL DRO_PutMaskLineRLE(const uint8_t* code, int32_t row) { putMaskLineRLE(code, row); }

DRO_API int32_t DRO_CALL DRO_GetRGBA32LayerCompressed(uint8_t* output, int32_t, int32_t capacity, int32_t layer,
                                                      int32_t level) {
    return guarded("GetRGBA32Layer Excpt", 0, [&] { return getRGBA32LayerCompressed(output, capacity, layer, level); });
}

DRO_API void DRO_CALL DRO_LoadRGBA32LayerCompressed(const uint8_t* input, int32_t, int32_t size, int32_t layer) {
    guarded("LoadRGBA32LayerCompressed Excpt", [&] { loadRGBA32LayerCompressed(input, size, layer); });
}

DRO_API void DRO_CALL DRO_LoadRGBA32Layer_BAD(uint8_t* block, int32_t, int32_t layer, int32_t width, int32_t height,
                                              uint8_t adjust) {
    guarded("LoadRGBA32Layer Excpt", [&] { loadRGBA32LayerMerged(block, layer, width, height, adjust != 0); });
}

}  // extern "C"
