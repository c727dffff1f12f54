# 64-bit Windows: the same DLL, and the test program run under wine64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(DROVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(DROVANE_WINDOWS_ARCH x64)
set(DROVANE_TARGET_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
