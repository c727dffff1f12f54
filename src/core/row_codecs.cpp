#include "core/row_codecs.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/canvas.h"
#include "core/pixel_format.h"
#include "core/mask_state.h"

namespace dro {
namespace {

constexpr int32_t kLongestRun = 255;

// Shared run finder: Item is what a record stores (high bytes), emit writes one record.
template <class ItemAt, class Emit>
int32_t encodeRuns(int32_t count, ItemAt itemAt, Emit emit) {
    int32_t written = 0;
    auto run = itemAt(0);
    int32_t length = 1;
    for (int32_t i = 1; i < count; ++i) {
        const auto item = itemAt(i);
        if (item == run && length < kLongestRun) {
            ++length;
            continue;
        }
        written += emit(length, run);
        run = item;
        length = 1;
    }
    return written + emit(length, run);
}

template <size_t RecordBytes, class Write>
void decodeRuns(const uint8_t* code, size_t codeBytes, int32_t count, Write write) {
    int32_t done = 0;
    for (size_t at = 0; done < count && at <= codeBytes && codeBytes - at >= RecordBytes; at += RecordBytes) {
        // Runs are 1..255: a 0 is not a record but the end of a code that is shorter
        // than the row (often the zeros of a host's block), so nothing past it is read.
        if (code[at] == 0) return;
        const int32_t length = std::min<int32_t>(code[at], count - done);
        for (int32_t k = 0; k < length; ++k) write(done + k, code + at + 1);
        done += length;
    }
}

}  // namespace

int32_t encodeRGBA64Row(const uint16_t* pixels, uint8_t* out, int32_t count) noexcept {
    if (!pixels || !out) return 0;
    auto itemAt = [pixels](int32_t i) {
        const uint16_t* p = pixels + static_cast<size_t>(i) * 4;
        return std::array<uint8_t, 4>{narrow16(p[0]), narrow16(p[1]), narrow16(p[2]), narrow16(p[3])};
    };
    return encodeRuns(count, itemAt, [&out](int32_t length, const std::array<uint8_t, 4>& v) {
        out[0] = static_cast<uint8_t>(length);
        std::memcpy(out + 1, v.data(), 4);
        out += 5;
        return 5;
    });
}

int32_t encodeG16Row(const uint16_t* values, uint8_t* out, int32_t count) noexcept {
    if (!values || !out) return 0;
    return encodeRuns(count, [values](int32_t i) { return narrow16(values[i]); },
                      [&out](int32_t length, uint8_t v) {
                          out[0] = static_cast<uint8_t>(length);
                          out[1] = v;
                          out += 2;
                          return 2;
                      });
}

void decodeRGBA32Row(const uint8_t* code, size_t codeBytes, uint16_t* pixels, int32_t count) noexcept {
    if (!code || !pixels || count < 1) return;
    decodeRuns<5>(code, codeBytes, count, [pixels](int32_t i, const uint8_t* v) {
        uint16_t* p = pixels + static_cast<size_t>(i) * 4;
        for (int k = 0; k < 4; ++k) p[k] = widen8(v[k]);
    });
}

void decodeG8Row(const uint8_t* code, size_t codeBytes, uint16_t* values, int32_t count) noexcept {
    if (!code || !values || count < 1) return;
    decodeRuns<2>(code, codeBytes, count, [values](int32_t i, const uint8_t* v) { values[i] = widen8(*v); });
}

namespace {

// Row r of a canvas-sized plane, or null when r is outside it.
template <class T>
T* canvasRow(T* plane, int32_t valuesPerPixel, int32_t row, const LayerSlot* slot) noexcept {
    const Canvas& c = canvas();
    if (!plane || row < 0 || row >= c.height) return nullptr;
    // A layer of another size has no canvas row there.
    if (slot && (slot->width != c.width || row >= slot->height)) return nullptr;
    return plane + static_cast<size_t>(row) * c.width * valuesPerPixel;
}

}  // namespace

int32_t getLayerLineRLE(uint8_t* out, int32_t layer, int32_t row) noexcept {
    const LayerSlot* slot = filledSlotAt(layer);
    if (!slot) return 0;
    const uint16_t* pixels = canvasRow<const uint16_t>(slot->pixels.get(), 4, row, slot);
    return pixels ? encodeRGBA64Row(pixels, out, canvas().width) : 0;
}

void putLayerLineRLE(const uint8_t* code, int32_t layer, int32_t row) noexcept {
    LayerSlot* slot = filledSlotAt(layer);
    if (!slot) return;
    decodeRGBA32Row(code, kUnboundedCode, canvasRow<uint16_t>(slot->pixels.get(), 4, row, slot), canvas().width);
}

int32_t getMaskLineRLE(uint8_t* out, int32_t row) noexcept {
    const uint16_t* values = canvasRow<const uint16_t>(maskState().plane.get(), 1, row, nullptr);
    return values ? encodeG16Row(values, out, canvas().width) : 0;
}

void putMaskLineRLE(const uint8_t* code, int32_t row) noexcept {
    decodeG8Row(code, kUnboundedCode, canvasRow<uint16_t>(maskState().plane.get(), 1, row, nullptr),
                canvas().width);
}

}  // namespace dro
