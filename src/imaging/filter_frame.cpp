#include "imaging/filter_frame.h"

#include <cstring>

#include "core/canvas.h"
#include "imaging/filters/filter_table.h"
#include "imaging/working_buffer_ops.h"

namespace dro {

bool runFilterFrame(std::string_view name, const FilterSettings& settings) {
    WorkingBuffers& buffers = workingBuffers();
    uint8_t* source = canvasBlock(buffers.iplSource32, 4);
    uint8_t* destination = canvasBlock(buffers.iplDestination32, 4);
    if (!source || !destination) return false;
    FilterParams& params = filterParams();
    fillFilterParams(params, source, destination, canvas().width, canvas().height, settings);
    if (!settings.inPlace) std::memcpy(destination, source, buffers.iplSource32.sizeBytes);
    runFilter(name, params);
    return true;
}

}  // namespace dro
