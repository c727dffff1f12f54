// The few POSIX calls the test helpers use, on the Windows C runtime. Force-included
// into the Windows test program only (cmake/windows_tests.cmake). Shell commands run
// through cmd there, so the helpers that probe for ImageMagick find none and those
// comparisons skip.
#pragma once

#include <direct.h>
#include <io.h>
#include <process.h>
#include <stdio.h>
#include <string.h>

inline FILE* popen(const char* command, const char* mode) { return _popen(command, mode); }
inline int pclose(FILE* pipe) { return _pclose(pipe); }

inline char* mkdtemp(char* pattern) {
    if (_mktemp_s(pattern, strlen(pattern) + 1) != 0) return nullptr;
    return _mkdir(pattern) == 0 ? pattern : nullptr;
}
