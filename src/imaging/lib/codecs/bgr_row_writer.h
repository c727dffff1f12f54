// The row half of the BMP and TGA writers: both store each pixel as B, G, R (and A at
// 32 bits) in a row buffer the format sizes, and write the rows as they arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/lib/codecs/byte_reader.h"

namespace dro::codecs {

class BgrRowWriter : public RowWriter {
public:
    // `bits` is 24 or 32; `channels` (3 or 4) is the layout of the rows handed in.
    BgrRowWriter(FileDest dest, int32_t width, int32_t height, int32_t channels, int32_t bits)
        : dest_(dest), width_(width), height_(height), channels_(channels), bits_(bits) {}

    bool writeRow(const uint8_t* row) override {
        if (!ok_ || row == nullptr || rows_ >= height_) return ok_ = false;
        const size_t step = bits_ == 32 ? 4 : 3;
        for (size_t x = 0; x < static_cast<size_t>(width_); ++x) {
            const uint8_t* s = row + x * static_cast<size_t>(channels_);
            uint8_t* d = &row_[x * step];
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            if (step == 4) d[3] = channels_ == 4 ? s[3] : 255;
        }
        ++rows_;
        return ok_ = writeBytes(dest_, row_.data(), row_.size());
    }

protected:
    // Writes the file's header and sizes the row buffer (zeroed, so any padding past the
    // pixels stays 0); the writer is usable only when this succeeded.
    bool startRows(const std::vector<uint8_t>& header, size_t rowBytes) {
        row_.assign(rowBytes, 0);
        return ok_ = writeBytes(dest_, header);
    }
    bool allRowsWritten() const noexcept { return ok_ && rows_ == height_; }

    FileDest dest_;
    int32_t width_, height_, channels_, bits_;

private:
    int32_t rows_ = 0;
    std::vector<uint8_t> row_;
    bool ok_ = false;
};

}  // namespace dro::codecs
