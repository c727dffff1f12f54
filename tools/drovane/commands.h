// The sub-commands of drovane: each takes its words after the command name and returns
// the exit status; UsageError and CommandError carry the one-line failures.
#pragma once

#include <string>
#include <vector>

namespace cli {

using Words = std::vector<std::string>;

struct Command {
    const char* name;
    const char* synopsis;  // one line: the arguments
    const char* help;      // what it does, a few lines
    int (*run)(const Words& words);
};

int runInfo(const Words& words);
int runConvert(const Words& words);
int runFilter(const Words& words);
int runEffects(const Words& words);
int runLua(const Words& words);
int runPaint(const Words& words);
int runRender(const Words& words);
int runDemo(const Words& words);
int runFill(const Words& words);
int runWand(const Words& words);
int runGradient(const Words& words);
int runResize(const Words& words);
int runCrop(const Words& words);
int runRotate(const Words& words);
int runFlip(const Words& words);
int runText(const Words& words);
int runAnim(const Words& words);
int runPdf(const Words& words);
int runScript(const Words& words);

}  // namespace cli
