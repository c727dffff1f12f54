#include "imaging/filters/pixel_access.h"

#include <cstring>

#include "core/canvas.h"
#include "core/transfer_load.h"
#include "imaging/filters/filter_functions.h"

namespace dro::filters {

namespace {
bool gFastPath = true;
}  // namespace

bool filterFastPath() noexcept { return gFastPath; }
void testhooks::setFilterFastPath(bool on) noexcept { gFastPath = on; }

void copyDestinationToSource(const FilterParams& p) noexcept {
    if (p.source == p.destination) return;
    std::memcpy(p.source, p.destination, static_cast<size_t>(p.stride) * static_cast<size_t>(p.height));
}

void commitIntermediate(const FilterParams& p) {
    const Canvas& c = canvas();
    loadRGBA32Layer(p.destination, p.stride, c.currentLayer, 0, 0, p.width, p.height, true);
    copyDestinationToSource(p);
}

}  // namespace dro::filters
