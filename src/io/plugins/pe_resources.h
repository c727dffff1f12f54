// Reading resources out of a Windows PE file (a DLL such as a .8bf plug-in), with every
// offset and size checked against the file: corrupt or truncated files yield nothing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "imaging/lib/codecs/codec_types.h"

namespace dro::plugins {

// The data of every resource whose type is named typeName (compared without regard to
// ASCII case), in directory order. Empty for anything that is not a well-formed PE.
std::vector<codecs::ByteSpan> namedTypeResources(codecs::ByteSpan file, const std::string& typeName);

// A plug-in's texts from its PiPL property list.
struct PluginDescription {
    std::string category;  // 'catg'
    std::string name;      // 'name'
};
std::optional<PluginDescription> readPiPL(codecs::ByteSpan resource);

}  // namespace dro::plugins
