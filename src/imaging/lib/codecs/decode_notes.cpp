#include "imaging/lib/codecs/decode_notes.h"

#include "imaging/lib/codecs/codec_types.h"

namespace dro::codecs {

DecodeNotes& decodeNotes() noexcept {
    thread_local DecodeNotes notes;
    return notes;
}

void clearDecodeNotes() noexcept {
    decodeNotes().problem.clear();
    decodeNotes().warning.clear();
}

void noteDecodeProblem(const std::string& text) {
    if (decodeNotes().problem.empty()) decodeNotes().problem = text;
}

void noteDecodeWarning(const std::string& text) {
    if (decodeNotes().warning.empty()) decodeNotes().warning = text;
}

void noteBeyondLimits(int64_t width, int64_t height) {
    noteDecodeProblem(std::string(kBeyondLimits) + ": " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels, where the limit is " + std::to_string(kMaxImageDimension) + " pixels a side and " +
                      std::to_string(kMaxImagePixels) + " in all");
}

}  // namespace dro::codecs
