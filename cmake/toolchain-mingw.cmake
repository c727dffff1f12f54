# Cross build for Windows with Debian's MinGW-w64 (the posix thread model, for
# std::thread and OpenMP). Included by toolchain-windows-<arch>.cmake, which sets
# DROVANE_MINGW_TRIPLE and DROVANE_WINDOWS_ARCH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${DROVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DROVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DROVANE_MINGW_TRIPLE}-windres)
# GCC cannot keep the stack 32-byte aligned on Windows, so AVX spills and aligned
# locals may sit at 16-byte addresses; the assembler makes every vector move unaligned.
set(CMAKE_C_FLAGS_INIT "${DROVANE_TARGET_FLAGS} -Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "${DROVANE_TARGET_FLAGS} -Wa,-muse-unaligned-vector-move")

# The static third-party libraries scripts/build-windows-deps.sh leaves in its cache.
if(NOT DROVANE_WINDOWS_DEPS)
  if(DEFINED ENV{DROVANE_WINDOWS_DEPS})
    set(DROVANE_WINDOWS_DEPS $ENV{DROVANE_WINDOWS_DEPS})
  elseif(DEFINED ENV{DROVANE_WINDOWS_DEPS_CACHE})
    set(DROVANE_WINDOWS_DEPS $ENV{DROVANE_WINDOWS_DEPS_CACHE}/${DROVANE_WINDOWS_ARCH})
  else()
    set(DROVANE_WINDOWS_DEPS $ENV{HOME}/.cache/drovane-windows-deps/${DROVANE_WINDOWS_ARCH})
  endif()
endif()
get_filename_component(DROVANE_WINDOWS_DEPS "${DROVANE_WINDOWS_DEPS}" REALPATH)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DROVANE_WINDOWS_DEPS DROVANE_MINGW_TRIPLE DROVANE_WINDOWS_ARCH)

set(CMAKE_FIND_ROOT_PATH /usr/${DROVANE_MINGW_TRIPLE} ${DROVANE_WINDOWS_DEPS})
set(CMAKE_PREFIX_PATH ${DROVANE_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the cross libraries only.
set(ENV{PKG_CONFIG_LIBDIR} ${DROVANE_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
