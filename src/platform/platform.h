// Everything the engine asks of the operating system. One interface, a backend per
// OS (posix/, win32/); nothing else in the engine includes an OS header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dro::platform {

struct MemoryStatus {
    uint64_t totalPhysical = 0;  // bytes
    uint64_t availPhysical = 0;
    uint64_t totalPageFile = 0;  // commit limit: physical memory plus swap
    uint64_t availPageFile = 0;
    uint64_t totalVirtual = 0;   // the process's address space
    uint64_t availVirtual = 0;
};

MemoryStatus memoryStatus() noexcept;

// Desktop composition (DWM) is on.
bool compositionEnabled() noexcept;

// The system directory the host treats as the Windows directory; written with its
// terminator into buffer (truncated to capacity). On Linux: "/usr/share", whose
// "fonts" folder holds the system fonts as the Windows directory's does.
void systemDirectory(char* buffer, std::size_t capacity) noexcept;

// Sets the restored rectangle of the host window (right and bottom inclusive).
bool setWindowRestoredRect(void* window, int32_t left, int32_t top, int32_t right, int32_t bottom) noexcept;

enum class SystemColor { ButtonFace, ButtonText };
uint32_t systemColor(SystemColor color) noexcept;  // 0x00BBGGRR

enum class SystemMetric { CaptionHeight, SmallCaptionHeight, DialogFrameHeight };
int32_t systemMetric(SystemMetric metric) noexcept;

// Called once when the library is loaded: creates the hidden window through which
// display and power changes reach the engine (see core/system_events.h).
void startSystemEventWindow() noexcept;

// A modal message box with an OK button and no owner window. A host may take the
// messages over with setMessageCallback (null restores the system's own box; on
// Linux that is one line "caption: text" on stderr).
using MessageCallback = void (*)(const char* text, const char* caption, void* user);
void setMessageCallback(MessageCallback callback, void* user) noexcept;
void messageBox(const char* text, const char* caption) noexcept;

// True when the Escape key went down since the last query (the query consumes it).
bool escapePressed() noexcept;
// Records an Escape key-down for the next query, where no keyboard reaches the engine
// (tests, and hosts that bridge their own key events). Safe from any thread.
void pressEscape() noexcept;

// Text for the debugger's output window.
void debugOutput(const char* text) noexcept;

// The character that separates the directories of a path ('\\' or '/').
char pathSeparator() noexcept;

// The clipboard, for images in the CF_DIB form: a packed device-independent bitmap
// (header, masks, colour table, bits). Reading fills dib and is false when the
// clipboard cannot be opened or holds no CF_DIB; writing is false when the clipboard
// did not take the bytes. On Linux the clipboard is an in-process store unless the
// host bridges it to its toolkit with setClipboardCallbacks.
bool readClipboardDib(std::vector<uint8_t>& dib);
bool writeClipboardDib(const uint8_t* dib, std::size_t size);
// get returns the size of the clipboard's DIB (0: none) and copies at most capacity
// bytes of it into buffer when buffer is not null; set returns nonzero when it took
// the bytes. Either may be null: that direction stays with the in-process store.
using ClipboardGetCallback = int32_t (*)(uint8_t* buffer, int32_t capacity, void* user);
using ClipboardSetCallback = int32_t (*)(const uint8_t* dib, int32_t size, void* user);
void setClipboardCallbacks(ClipboardGetCallback get, ClipboardSetCallback set, void* user) noexcept;
// Empties the in-process store and forgets the callbacks.
void resetClipboard() noexcept;

// The whole screen as RGBA32 (alpha 255), rows top first; false when no screen can be
// reached (on Linux: no X display).
bool captureScreen(int32_t& width, int32_t& height, std::vector<uint8_t>& rgba);

}  // namespace dro::platform
