// The state of clipboard and export: the clip cache, the in-process clipboard and the
// open animation writers and PDF list. One reset for all of it, so tests start clean.
#pragma once

namespace dro::io {

// Empties the clip cache and the clipboard, drops any open AVI or GIF writer without
// finishing its file, and clears the PDF image list.
void resetClipboardAndExport() noexcept;

}  // namespace dro::io
