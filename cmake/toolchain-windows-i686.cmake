# 32-bit Windows, the engine's first target.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(DROVANE_MINGW_TRIPLE i686-w64-mingw32)
set(DROVANE_WINDOWS_ARCH i686)
# SSE2 arithmetic, not the x87 unit's 80-bit intermediates, so float results (and the
# pixels made from them) equal the 64-bit builds'.
set(DROVANE_TARGET_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
