// Reading image files with reasons: each step that can fail says why in the thread's
// file message (io/file_message.h).
#pragma once

#include <optional>

#include "imaging/lib/codecs/codec_types.h"
#include "imaging/lib/codecs/decode_notes.h"
#include "imaging/lib/codecs/file_bytes.h"
#include "io/file_message.h"

namespace dro::io {

// The file's bytes; nullopt after reporting why there are none (not found, permission
// denied, a folder, empty, larger than files are read).
std::optional<codecs::FileBytes> readFileReporting(const char* path);

// Why a decoder of the file's type returned nothing: an unknown format, a picture beyond
// the decoder limits (its size and the limits), or corrupt data with the decoder's words.
void reportDecodeFailure(codecs::FileType type);

// Runs decode(bytes) and reports its failure, or the damage it decoded around.
template <class Decode>
auto decodeReporting(codecs::ByteSpan bytes, codecs::FileType type, Decode&& decode) {
    codecs::clearDecodeNotes();
    auto result = decode(bytes);
    if (!result) reportDecodeFailure(type);
    else reportFileWarning(codecs::decodeNotes().warning);
    return result;
}

}  // namespace dro::io
