#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/isolated_call.h"
#include "platform/isolated_worker.h"
#include "platform/win32/win32_module.h"
#include "platform/win32/win32_runtime_library.h"

namespace dro::platform {
namespace {

// Windows cannot copy a process, so the job runs in the worker program beside our own
// module (the DLL, or a program the engine is linked into). Input and reply travel
// through two temporary files the worker inherits as its standard input and output:
// files, unlike pipes, cannot fill up and leave the two processes waiting on each other.

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    bool valid() const { return h && h != INVALID_HANDLE_VALUE; }
};

std::wstring folderOfThisModule() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(thisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring widened(const char* text) {
    std::wstring wide;
    for (; *text; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

// A temporary file the worker inherits; the system removes it when the last handle closes.
Handle inheritableTemporaryFile() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"dro", 0, name) == 0) return {};
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return Handle(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

bool writeAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>((std::min<size_t>)(size, 1u << 24));
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool readAll(HANDLE file, std::vector<uint8_t>& bytes) {
    uint8_t chunk[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return GetLastError() == ERROR_BROKEN_PIPE;
        if (got == 0) return true;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

bool rewind(HANDLE file) { return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER; }

std::string endingOf(DWORD status) {
    char words[64];
    if (status >= 0xC0000000u)
        std::snprintf(words, sizeof words, "ended by exception 0x%08lX", static_cast<unsigned long>(status));
    else
        std::snprintf(words, sizeof words, "stopped with status %lu", static_cast<unsigned long>(status));
    return words;
}

// Ends the worker at once with the fault's code as its status, before the system (or
// wine) can start a debugger that would wait for someone to answer it.
LONG WINAPI endOnFault(EXCEPTION_POINTERS* fault) {
    TerminateProcess(GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

std::string systemError(const char* what) { return std::string(what) + " (error " + std::to_string(GetLastError()) + ")"; }

}  // namespace

IsolatedOutcome runIsolated(const IsolatedJob& job, std::span<const uint8_t> input, std::chrono::milliseconds limit) {
    IsolatedOutcome outcome;
    const std::wstring worker = folderOfThisModule() + widened(kIsolatedWorkerName) + L".exe";
    if (GetFileAttributesW(worker.c_str()) == INVALID_FILE_ATTRIBUTES) {
        outcome.detail = std::string(kIsolatedWorkerName) + ".exe is missing beside the engine";
        return outcome;
    }
    Handle in = inheritableTemporaryFile();
    Handle out = inheritableTemporaryFile();
    if (!in.valid() || !out.valid()) {
        outcome.detail = systemError("no temporary file");
        return outcome;
    }
    if (!writeAll(in.h, input.data(), input.size()) || !rewind(in.h)) {
        outcome.detail = systemError("the input could not be written");
        return outcome;
    }

    std::wstring commandLine = L"\"" + worker + L"\" " + widened(job.name);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.h;
    startup.hStdOutput = out.h;
    startup.hStdError = nullptr;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(worker.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        outcome.detail = systemError("the worker did not start");
        return outcome;
    }
    Handle child(process.hProcess);
    CloseHandle(process.hThread);

    const DWORD waitMs = static_cast<DWORD>((std::min<long long>)(limit.count(), 0x7FFFFFFF));
    if (WaitForSingleObject(child.h, waitMs) == WAIT_TIMEOUT) {
        TerminateProcess(child.h, 1);
        WaitForSingleObject(child.h, INFINITE);
        outcome.ended = IsolatedOutcome::Ended::TimedOut;
        outcome.detail = "took longer than " + std::to_string((limit.count() + 999) / 1000) + " s";
        return outcome;
    }
    DWORD status = 0;
    if (!GetExitCodeProcess(child.h, &status) || status != 0) {
        outcome.ended = IsolatedOutcome::Ended::Crashed;
        outcome.detail = endingOf(status);
        return outcome;
    }
    if (!rewind(out.h) || !readAll(out.h, outcome.reply)) {
        outcome.ended = IsolatedOutcome::Ended::Crashed;
        outcome.detail = systemError("the reply could not be read");
        outcome.reply.clear();
        return outcome;
    }
    outcome.ended = IsolatedOutcome::Ended::Returned;
    return outcome;
}

int serveIsolatedJob(int argc, char** argv, std::span<const IsolatedJob* const> jobs) {
    // A fault in the job must end this program quietly, not stop it at a dialog box or a
    // debugger that no one sees while the host waits out the time limit.
    SetErrorMode(kErrorModeQuiet | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endOnFault);
    if (argc != 2) return 2;
    const IsolatedJob* job = nullptr;
    for (const IsolatedJob* candidate : jobs)
        if (std::strcmp(candidate->name, argv[1]) == 0) job = candidate;
    if (!job) return 2;
    std::vector<uint8_t> input;
    if (!readAll(GetStdHandle(STD_INPUT_HANDLE), input)) return 4;
    std::vector<uint8_t> reply;
    try {
        reply = job->run(input);
    } catch (...) {
        return 3;
    }
    return writeAll(GetStdHandle(STD_OUTPUT_HANDLE), reply.data(), reply.size()) ? 0 : 4;
}

}  // namespace dro::platform
