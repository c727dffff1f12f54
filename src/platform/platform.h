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

// A large block just allocated: where the system offers it, it is backed by large pages,
// so filling it costs a page fault per 2 MB instead of per 4 KB. A hint only.
void adviseLargeBlock(void* block, std::size_t bytes) noexcept;

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
// display and power changes reach the engine. Each message it receives is handed to
// handler (message, wParam), on the thread that loaded the library.
using SystemMessageHandler = bool (*)(uint32_t message, uintptr_t wParam) noexcept;
void startSystemEventWindow(SystemMessageHandler handler) noexcept;

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

// A graphics tablet (Wintab on Windows, an evdev pen device on Linux). Packets come
// oldest first: status bits (0x10: the pen's eraser end), x and y in screen pixels
// (on Linux: the device's own units from its axis minimum) and the normal pressure.
struct TabletPacket {
    uint32_t status = 0;
    int32_t x = 0;
    int32_t y = 0;
    uint32_t pressure = 0;
};
struct TabletOpening {
    int32_t result = 0;        // 0: no tablet; else what the host is handed back
    bool contextOpen = false;  // packets can be read
    int32_t pressureMinimum = 0;
    int32_t pressureMaximum = 0;
};
TabletOpening openTablet(void* window) noexcept;
void closeTablet() noexcept;
// Up to capacity queued packets into out; the count read.
int32_t readTabletPackets(TabletPacket* out, int32_t capacity) noexcept;
void discardTabletPackets() noexcept;
// The window's client-area origin in screen coordinates; (0, 0) where none is known.
void clientOriginOnScreen(void* window, int32_t& x, int32_t& y) noexcept;
// A font description, as the system's font dialog fills it: face name, pixel height
// (0 for the default), weight 100..900 (0 for normal) and italic.
struct FontFace {
    char name[32] = {};
    int32_t height = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
};

// The font dialog, started from face when startFromFace is set. Returns nonzero when a
// font was chosen (face updated); 0 with *dialogError 0 when the user cancelled, or with
// the dialog's error code (CDERR_..., CFERR_...). Where no dialog exists a default face
// the system's font service finds is taken; without any font the error is
// CFERR_NOFONTS (0x2001).
int32_t chooseFontDialog(void* owner, FontFace& face, bool startFromFace, uint32_t* dialogError) noexcept;

// The file of the installed font that best matches face, written with its terminator
// into path; false when no font file is found or it does not fit.
bool fontFilePath(const FontFace& face, char* path, std::size_t capacity) noexcept;

// A block of B, G, R, A pixels as a Photoshop-format plug-in sees it.
struct PluginBlock {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;  // bytes from one row to the next
};

// Runs the Photoshop-format filter plug-in (.8bf) at pluginPath from source into
// destination (same size); keepAlpha asks it to leave the alpha channel alone. Null when
// the plug-in reported success, else why it did not run (destination then undefined).
const char* runPhotoshopPlugin(const char* pluginPath, const PluginBlock& source, const PluginBlock& destination,
                               bool keepAlpha) noexcept;

// Image acquisition from a scanner or camera (TWAIN on Windows, SANE elsewhere).
// scannerAvailable: the acquisition layer can be used and offers a device.
bool scannerAvailable() noexcept;
// Chooses the device later acquisitions use; false when there is none or the user
// cancelled. Where no selection dialog exists, the device named by the environment
// variable DROVANE_SCANNER is taken, else the first one found.
bool selectScannerSource() noexcept;
// One image from the chosen device (the first one when none was chosen), false when
// nothing was acquired. A backend hands it over either as packed RGBA32, alpha 255,
// through the allocator given (which returns null to refuse), or as the packed
// device-independent bitmap TWAIN delivers, copied into dib for the caller to convert.
using PixelAllocator = uint8_t* (*)(int32_t width, int32_t height);
bool acquireScannerImage(PixelAllocator allocate, std::vector<uint8_t>& dib) noexcept;
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
