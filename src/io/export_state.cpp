#include "io/export_state.h"

#include "io/avi_writer.h"
#include "io/clip_cache.h"
#include "io/gif_animation.h"
#include "io/pdf_document.h"
#include "platform/platform.h"

namespace dro::io {

void resetClipboardAndExport() noexcept {
    clearClipCache();
    platform::resetClipboard();
    resetAviWriter();
    resetGifWriter();
    resetPdfImages();
}

}  // namespace dro::io
