#include "script/script_recorder.h"

#include <cstdio>
#include <cstring>

#include "core/frame_state.h"
#include "platform/platform.h"
#include "script/script_state.h"

namespace dro {

std::string paintFilePath() {
    const char separator = platform::pathSeparator();
    std::string path = frameState().startDir;
    path += "scripts";
    path += separator;
    path += "luapaint.srp";
    return path;
}

bool openPaintFile() noexcept {
    closePaintFile();
    try {
        // Binary mode: the CR LF is written out, so the file is the same on every platform.
        scriptState().paintFile = std::fopen(paintFilePath().c_str(), "wb");
    } catch (...) {
        scriptState().paintFile = nullptr;
    }
    return scriptState().paintFile != nullptr;
}

void closePaintFile() noexcept {
    std::FILE*& file = scriptState().paintFile;
    if (file) std::fclose(file);
    file = nullptr;
}

bool paintFileOpen() noexcept { return scriptState().paintFile != nullptr; }

void writePaintLine(const char* text, std::size_t length) noexcept {
    std::FILE* file = scriptState().paintFile;
    if (!file) return;
    if (text && length) std::fwrite(text, 1, length, file);
    std::fwrite("\r\n", 1, 2, file);
}

void writePaintLine(const char* text) noexcept { writePaintLine(text, text ? std::strlen(text) : 0); }

}  // namespace dro
