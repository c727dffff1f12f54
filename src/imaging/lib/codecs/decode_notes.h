// What a decoder has to say beyond its result, kept per thread: why it refused a file
// (its library's own words, where the data ended) or what it could not recover of a
// file it decoded anyway. The caller clears the notes before a decode and reads them
// after it.
#pragma once

#include <string>

namespace dro::codecs {

struct DecodeNotes {
    std::string problem;
    std::string warning;
};

DecodeNotes& decodeNotes() noexcept;
void clearDecodeNotes() noexcept;

// Records the first problem or warning only: later ones usually follow from it.
void noteDecodeProblem(const std::string& text);
void noteDecodeWarning(const std::string& text);

// Problems that start with this are refusals for size, not damage.
inline constexpr const char* kBeyondLimits = "larger than the decoder limit";

}  // namespace dro::codecs
