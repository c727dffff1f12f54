#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <system_error>

#include "platform/file_replacement.h"

namespace dro::platform {
namespace {

std::string systemReason(int error) {
    std::string text = std::generic_category().message(error);
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// Temporary files in progress, for the signal handler. A slot is claimed by one writer
// at a time; the handler reads only slots marked ready, whose text no longer changes.
constexpr int kPendingSlots = 32;
constexpr int kFree = 0;
constexpr int kFilling = 1;
constexpr int kReady = 2;
struct PendingSlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
std::array<PendingSlot, kPendingSlots> pendingSlots;

struct sigaction previousInterrupt;
struct sigaction previousTerminate;

// Runs only where the signal would have ended the process: removes what is pending,
// then ends it as the signal would have.
void removePendingAndEnd(int signal) {
    for (PendingSlot& slot : pendingSlots)
        if (slot.state.load(std::memory_order_acquire) == kReady) ::unlink(slot.path);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The handlers go in once, and only for signals still at their default action: a host
// that handles or ignores SIGINT or SIGTERM itself keeps its own behaviour.
void installSignalCleanup() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = removePendingAndEnd;
        sigemptyset(&action.sa_mask);
        for (auto [signal, previous] : {std::pair{SIGINT, &previousInterrupt}, std::pair{SIGTERM, &previousTerminate}}) {
            if (::sigaction(signal, nullptr, previous) == 0 && previous->sa_handler == SIG_DFL &&
                !(previous->sa_flags & SA_SIGINFO))
                ::sigaction(signal, &action, nullptr);
        }
    });
}

int claimSlot(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kPendingSlots; ++i) {
        int expected = kFree;
        if (pendingSlots[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel)) {
            std::memcpy(pendingSlots[i].path, path.c_str(), path.size() + 1);
            pendingSlots[i].state.store(kReady, std::memory_order_release);
            return i;
        }
    }
    return -1;  // more writes at once than slots: that one is not cleaned on a signal
}

void releaseSlot(int slot) {
    if (slot >= 0) pendingSlots[slot].state.store(kFree, std::memory_order_release);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to path lands in: links followed to their end, also a link whose
// target does not exist yet (the shell creates that target).
std::string resolveLinks(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat s {};
        if (::lstat(current.c_str(), &s) != 0 || !S_ISLNK(s.st_mode)) return current;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
        if (n <= 0) return current;
        const std::string link(buffer, static_cast<size_t>(n));
        current = link[0] == '/' ? link : folderOf(current) + "/" + link;
    }
    return current;
}

// Creates a new file with O_EXCL under a random name; never opens anything that exists.
int createExclusive(const std::string& folder, const std::string& name, std::string& created, int& error) {
    static std::mutex generatorLock;
    static std::mt19937_64 generator{std::random_device{}()};
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(10, 'x');
        {
            std::lock_guard lock(generatorLock);
            for (char& c : suffix) c = kLetters[generator() % (sizeof kLetters - 1)];
        }
        created = folder + "/." + name + "." + suffix + ".partial";
        const int fd = ::open(created.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        error = errno;
        if (error != EEXIST) return -1;
    }
    return -1;
}

}  // namespace

FileReplacement::FileReplacement(const char* destination) {
    if (!destination || !*destination) {
        problem_ = "no file name";
        return;
    }
    target_ = resolveLinks(destination);
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        fail("it is a folder");
        return;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        fail("it is not a regular file");
        return;
    }
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        fail(systemReason(errno));
        return;
    }

    installSignalCleanup();
    int error = 0;
    const int fd = createExclusive(folderOf(target_), nameOf(target_), temporary_, error);
    if (fd < 0) {
        temporary_.clear();
        fail(error == ENOENT ? "its folder does not exist" : systemReason(error));
        return;
    }
    slot_ = claimSlot(temporary_);
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
        // Keeps the group where the user may; a file of another owner becomes theirs,
        // as any program that replaces files makes it.
        [[maybe_unused]] const int kept = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
    file_ = ::fdopen(fd, "w+b");
    if (!file_) {
        ::close(fd);
        fail(systemReason(errno));
    }
}

void FileReplacement::discard() noexcept {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    releaseSlot(slot_);
    slot_ = -1;
}

bool FileReplacement::commit() {
    if (!file_) return false;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        fail(systemReason(errno ? errno : EIO));
        return false;
    }
    // The data reaches the disk before the name does, so a crash leaves the old file or
    // the new one, never an empty one.
    if (::fsync(::fileno(file_)) != 0 && errno != EINVAL) {
        fail(systemReason(errno));
        return false;
    }
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) {
        fail(systemReason(errno));
        return false;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(systemReason(errno));
        return false;
    }
    temporary_.clear();
    releaseSlot(slot_);
    slot_ = -1;
    return true;
}

}  // namespace dro::platform
