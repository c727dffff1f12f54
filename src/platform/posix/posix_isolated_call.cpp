#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/isolated_call.h"

namespace dro::platform {
namespace {

bool writeAll(int fd, const uint8_t* data, size_t size) noexcept {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The child: runs the work, sends its length-prefixed reply and leaves without running
// the parent's exit handlers (they belong to the host's copy of the process).
[[noreturn]] void runChild(const IsolatedJob& job, std::span<const uint8_t> input, int replyFd) noexcept {
    // The parent's reading end is not ours; the work's own complaints go nowhere.
    if (const int quiet = ::open("/dev/null", O_WRONLY); quiet >= 0) ::dup2(quiet, STDERR_FILENO);
    std::vector<uint8_t> reply;
    try {
        reply = job.run(input);
    } catch (...) {
        ::_exit(3);
    }
    const uint64_t length = reply.size();
    const bool sent = writeAll(replyFd, reinterpret_cast<const uint8_t*>(&length), sizeof length) &&
                      writeAll(replyFd, reply.data(), reply.size());
    ::_exit(sent ? 0 : 4);
}

using Clock = std::chrono::steady_clock;

// Reads until the child closes its end or the deadline passes; false on the deadline.
bool readUntilClosed(int fd, std::vector<uint8_t>& bytes, Clock::time_point deadline) {
    uint8_t chunk[1 << 16];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd watch{fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) return true;
        if (ready <= 0) continue;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

// How the child ended, in words; empty when it exited cleanly.
std::string endingOf(pid_t child) {
    int status = 0;
    pid_t waited;
    do waited = ::waitpid(child, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (waited < 0) return {};  // reaped by the host (SIGCHLD ignored): judge by the reply
    if (WIFSIGNALED(status)) return std::string("ended by signal ") + std::to_string(WTERMSIG(status));
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return "stopped with status " + std::to_string(WEXITSTATUS(status));
    return {};
}

}  // namespace

IsolatedOutcome runIsolated(const IsolatedJob& job, std::span<const uint8_t> input, std::chrono::milliseconds limit) {
    IsolatedOutcome outcome;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        outcome.detail = std::string("no pipe: ") + std::strerror(errno);
        return outcome;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        outcome.detail = std::string("no process: ") + std::strerror(errno);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return outcome;
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        runChild(job, input, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    std::vector<uint8_t> bytes;
    const bool inTime = readUntilClosed(pipeEnds[0], bytes, Clock::now() + limit);
    ::close(pipeEnds[0]);
    if (!inTime) ::kill(child, SIGKILL);
    const std::string ending = endingOf(child);

    uint64_t length = 0;
    const bool whole = bytes.size() >= sizeof length &&
                       (std::memcpy(&length, bytes.data(), sizeof length), bytes.size() - sizeof length == length);
    if (!inTime) {
        outcome.ended = IsolatedOutcome::Ended::TimedOut;
        outcome.detail = "took longer than " + std::to_string((limit.count() + 999) / 1000) + " s";
    } else if (!ending.empty() || !whole) {
        outcome.ended = IsolatedOutcome::Ended::Crashed;
        outcome.detail = ending.empty() ? "ended without a whole reply" : ending;
    } else {
        outcome.ended = IsolatedOutcome::Ended::Returned;
        outcome.reply.assign(bytes.begin() + sizeof length, bytes.end());
    }
    return outcome;
}

}  // namespace dro::platform
