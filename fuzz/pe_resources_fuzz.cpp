// Plug-in files from anywhere: the PE resource reader and the PiPL reader only ever
// hand back bytes that lie inside the file.
#include <cstddef>
#include <cstdint>

#include "io/plugins/pe_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const dro::codecs::ByteSpan file(data, size);
    for (const auto resource : dro::plugins::namedTypeResources(file, "PIPL")) {
        if (resource.data() < data || resource.data() + resource.size() > data + size) __builtin_trap();
        (void)dro::plugins::readPiPL(resource);
    }
    (void)dro::plugins::readPiPL(file);
    return 0;
}
