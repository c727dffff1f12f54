// Runs a Lua filter script on a picture: the picture becomes the current layer, the
// working buffers are allocated, the script runs, and the page is saved. The script is
// sandboxed unless --allow-system is given. Ctrl-C and the time limit press Escape;
// a run that Escape ended, or that failed with "Lua Script Error", writes nothing.
// Boxes the script shows itself ("message_box") are printed and the run goes on.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"
#include "effect_settings.h"
#include "image_file.h"

namespace cli {
namespace {

constexpr const char* kScriptErrorCaption = "Lua Script Error";
constexpr int kDefaultTimeoutSeconds = 60;
// How long a run may go on after Escape before the tool gives up on it (a script
// stuck inside one long library call never looks at Escape).
constexpr std::chrono::seconds kStopGrace{5};

struct Messages {
    int errors = 0;
    std::string firstError;
};

void DRO_CALL collectMessage(const char* text, const char* caption, void* user) {
    auto* messages = static_cast<Messages*>(user);
    const std::string what = text ? text : "";
    const std::string title = caption ? caption : "message";
    std::fprintf(stderr, "%s: %s\n", title.c_str(), what.c_str());
    if (title == kScriptErrorCaption && messages->errors++ == 0) messages->firstError = what;
}

std::atomic<bool> interrupted{false};

extern "C" void pressEscapeOnInterrupt(int) {
    interrupted.store(true);
    DRO_PressEscape();
}

// Presses Escape when the time is up, and ends the process if the run still has not
// ended kStopGrace later. Stopped (joined) when the run returns.
class Watchdog {
public:
    explicit Watchdog(int seconds) : thread_([this, seconds] { watch(seconds); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    bool timedOut() const { return timedOut_.load(); }

private:
    void watch(int seconds) {
        const auto start = std::chrono::steady_clock::now();
        std::optional<std::chrono::steady_clock::time_point> stopAsked;
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return done_; })) {
            const auto now = std::chrono::steady_clock::now();
            if (!stopAsked && seconds > 0 && now - start >= std::chrono::seconds(seconds)) {
                timedOut_.store(true);
                DRO_PressEscape();
                stopAsked = now;
            }
            if (!stopAsked && interrupted.load()) stopAsked = now;
            if (stopAsked && now - *stopAsked > kStopGrace) {
                std::fprintf(stderr, "drovane: the script did not stop; giving up\n");
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<bool> timedOut_{false};
    std::thread thread_;
};

}  // namespace

int runLua(const Words& words) {
    auto flags = effectFlagOptions();
    flags.push_back("--allow-system");
    auto values = effectValueOptions();
    values.push_back("--timeout");
    const Arguments args(words, values, flags);
    if (args.positional().size() != 3) throw UsageError("give a script, an input and an output");
    const std::string& script = args.positional()[0];
    const std::string& input = args.positional()[1];
    const std::string& output = args.positional()[2];
    if (std::FILE* f = std::fopen(script.c_str(), "rb")) std::fclose(f);
    else throw CommandError("cannot open script '" + script + "'");
    const EffectSettings s = readEffectSettings(args);
    const int timeout = args.integer("--timeout", kDefaultTimeoutSeconds, 0, 86400);
    auto* run = args.has("--allow-system") ? DRO_LuaFilterRun : DRO_LuaFilterRunSandboxed;

    const Image picture = readImage(input);
    const int32_t dpi = DRO_GetDPIFromFile(input.c_str());
    Canvas canvas(picture);
    Messages messages;
    DRO_SetMessageCallback(collectMessage, &messages);
    DRO_IPLAllocSrcBuffer32();
    DRO_IPLAllocDstBuffer32();
    const auto previous = std::signal(SIGINT, pressEscapeOnInterrupt);
    bool timedOut = false;
    {
        Watchdog watchdog(timeout);
        run(script.c_str(), s.variant, s.sliders[0], s.sliders[1], s.sliders[2], s.sliders[3], s.sliders[4],
            s.sliders[5], s.styles[0], s.styles[1], s.flags[0], s.flags[1], s.flags[2], s.flags[3], s.flags[4],
            s.flags[5]);
        timedOut = watchdog.timedOut();
    }
    std::signal(SIGINT, previous);
    DRO_IPLFreeSrcBuffer32();
    DRO_IPLFreeDstBuffer32();
    DRO_SetMessageCallback(nullptr, nullptr);
    if (messages.errors > 0) {
        if (timedOut) throw CommandError("the script ran past the " + std::to_string(timeout) + " s time limit");
        if (interrupted.load()) throw CommandError("the script was stopped by Ctrl-C");
        throw CommandError("the script failed: " + messages.firstError);
    }
    canvas.savePage(output, dpi);
    return 0;
}

}  // namespace cli
