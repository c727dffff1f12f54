// Runs the command-line host as a user runs it and reads the pictures it writes.
#pragma once

#if __has_include(<sys/wait.h>)
#include <sys/wait.h>
#endif

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "drovane.h"

struct CliRun {
    int status;
    std::string output;  // stdout and stderr together
};

inline CliRun runDrovane(const std::string& arguments) {
    const std::string command = std::string(DROVANE_CLI) + " " + arguments + " 2>&1";
    CliRun run{-1, {}};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

inline int lineCount(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// A picture read through the engine: RGBA32, rows top first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

inline Picture readPicture(const std::string& file) {
    Picture p;
    if (!DRO_ReadFromFile(file.c_str())) return p;
    p.width = DRO_GetNewRGBAWidth();
    p.height = DRO_GetNewRGBAHeight();
    p.rgba.resize(static_cast<size_t>(p.width) * p.height * 4);
    DRO_GetNewRGBA32(p.rgba.data());
    DRO_DeleteNewRGBA();
    return p;
}
