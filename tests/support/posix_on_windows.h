// The few POSIX calls the test helpers use, on the Windows C runtime. Force-included
// into the Windows test program only (cmake/windows_tests.cmake). Shell commands run
// through cmd there, so the helpers that probe for ImageMagick find none and those
// comparisons skip.
#pragma once

#include <direct.h>
#include <io.h>
#include <process.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

inline FILE* popen(const char* command, const char* mode) { return _popen(command, mode); }
inline int setenv(const char* name, const char* value, int /*overwrite*/) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
// Nobody writes over read-only files here, as POSIX's superuser may.
inline int geteuid() { return 1; }
// _pclose returns the command's exit code itself.
#define WIFEXITED(status) ((status) != -1)
#define WEXITSTATUS(status) (status)
inline int pclose(FILE* pipe) { return _pclose(pipe); }

inline char* mkdtemp(char* pattern) {
    if (_mktemp_s(pattern, strlen(pattern) + 1) != 0) return nullptr;
    return _mkdir(pattern) == 0 ? pattern : nullptr;
}
