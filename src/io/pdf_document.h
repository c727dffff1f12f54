// PDF documents from image files: one page per image, the picture inside a coloured
// border, and a slide-show form whose pages advance by themselves with a transition.
// As hosts of this engine expect, the image files are deleted once they are in a
// written document.
#pragma once

#include <cstdint>

namespace dro::io {

void resetPdfImages() noexcept;
void addPdfImage(const char* path);
// 1 when the document was written; the image list is cleared either way.
int32_t makePdf(const char* path, bool slideShow);

}  // namespace dro::io
