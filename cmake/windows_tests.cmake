# The test suite as a Windows program (run under wine64 on Linux). GoogleTest is built
# from Debian's source copy (libgtest-dev's /usr/src/googletest) with the same compiler.
set(DROVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows test program")
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${DROVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest)  # GoogleTest 1.11 and later name them itself
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# Tests that load the shared library with dlopen or start the command-line host through
# a POSIX shell check what the Linux build ships; the Windows build checks its DLL with
# scripts/check-windows-dll.sh and its pixels with scripts/windows-pixel-identity.sh.
set(DROVANE_WINDOWS_TEST_EXCLUDES "/tests/exports/export_table_test.cpp$|/tests/exports/export_matrix_test.cpp$|/tests/tools/|/tests/platform/posix/")
# Paths compiled into the tests name Linux folders, which wine shows as drive Z:.
set(DROVANE_TEST_PATH_PREFIX "Z:")

# popen and mkdtemp for the test helpers, from the Windows C runtime.
set(DROVANE_TEST_FORCED_INCLUDE -include ${CMAKE_SOURCE_DIR}/tests/support/posix_on_windows.h)

# A stand-in EZTW32.dll beside the test program, where the engine's TWAIN backend loads
# it from; SANE's scanner tests are the Linux backend's.
add_library(fake_eztwain SHARED ${CMAKE_SOURCE_DIR}/tests/platform/win32/fake_eztwain/fake_eztwain.c
                                ${CMAKE_SOURCE_DIR}/tests/platform/win32/fake_eztwain/EZTW32.def)
set_target_properties(fake_eztwain PROPERTIES OUTPUT_NAME EZTW32 PREFIX "" C_VISIBILITY_PRESET default)
target_link_options(fake_eztwain PRIVATE -static-libgcc -Wl,--kill-at)
set(DROVANE_WINDOWS_TEST_EXCLUDES "${DROVANE_WINDOWS_TEST_EXCLUDES}|/tests/io/scanner_test.cpp$")
