#include "imaging/filter_params.h"

namespace dro {

void fillFilterParams(FilterParams& params, uint8_t* source, uint8_t* destination, int32_t width, int32_t height,
                      const FilterSettings& settings) noexcept {
    params.source = source;
    params.destination = destination;
    params.boundX0 = 0;
    params.boundY0 = 0;
    params.boundX1 = width - 1;
    params.boundY1 = height - 1;
    params.width = width;
    params.height = height;
    params.stride = width * 4;
    params.variant = settings.variant;
    for (int i = 0; i < 6; ++i) params.slider[i] = settings.slider[i] * 0.001;
    params.style = settings.style;
    params.flag = settings.flag;
    constexpr double kByte = 1.0 / 255.0;
    params.red = settings.red * kByte;
    params.green = settings.green * kByte;
    params.blue = settings.blue * kByte;
    params.inPlace = settings.inPlace;
}

}  // namespace dro
