// Independent readers of what the exporters write: ffprobe and ffmpeg for AVI, qpdf and
// pdftoppm for PDF. Tests that need one skip when it is not installed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

inline bool haveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// stdout of a shell command (stderr dropped) and its exit status.
struct ToolRun {
    int status = -1;
    std::string output;
};

inline ToolRun runTool(const std::string& command) {
    ToolRun run;
    std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    run.status = pclose(pipe);
    return run;
}
