// Fonts on Windows: the common font dialog, and the font file found through the
// system's table of installed fonts.
#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace dro::platform {
namespace {

constexpr int32_t kDefaultHeight = 16;

void toLogFont(const FontFace& face, LOGFONTA& font) {
    std::memset(&font, 0, sizeof font);
    // Both names are 32-byte arrays: 31 bytes copied, the last stays the cleared zero.
    static_assert(sizeof font.lfFaceName == sizeof face.name);
    std::memcpy(font.lfFaceName, face.name, sizeof font.lfFaceName - 1);
    font.lfHeight = -face.height;
    font.lfWeight = face.weight;
    font.lfItalic = face.italic;
}

void fromLogFont(const LOGFONTA& font, FontFace& face) {
    face = FontFace{};
    std::memcpy(face.name, font.lfFaceName, sizeof face.name - 1);
    face.height = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    face.weight = font.lfWeight;
    face.italic = font.lfItalic ? 1 : 0;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && _strnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

}  // namespace

int32_t chooseFontDialog(void* owner, FontFace& face, bool startFromFace, uint32_t* dialogError) noexcept {
    LOGFONTA font;
    toLogFont(face, font);
    CHOOSEFONTA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(owner);
    dialog.lpLogFont = &font;
    dialog.Flags = CF_SCREENFONTS | (startFromFace ? CF_INITTOLOGFONTSTRUCT : 0);
    const BOOL chosen = ChooseFontA(&dialog);
    if (dialogError) *dialogError = chosen ? 0 : CommDlgExtendedError();
    if (chosen) fromLogFont(font, face);
    return chosen ? 1 : 0;
}

// "Arial Bold (TrueType)" = "arialbd.ttf" under HKLM\...\Fonts: the first entry whose
// name is the face, with " Bold" / " Italic" when asked, names the file.
bool fontFilePath(const FontFace& face, char* path, std::size_t capacity) noexcept {
    if (!path || capacity == 0) return false;
    std::string wanted = face.name[0] ? face.name : "Arial";
    if (face.weight >= 600) wanted += " Bold";
    if (face.italic) wanted += " Italic";
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return false;
    std::string file;
    for (DWORD i = 0; file.empty(); ++i) {
        char name[256];
        BYTE data[MAX_PATH];
        DWORD nameLength = sizeof name, dataLength = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        data[dataLength] = 0;
        const std::string entry(name, nameLength);
        if (startsWith(entry, wanted + " (") || _stricmp(entry.c_str(), wanted.c_str()) == 0)
            file = reinterpret_cast<const char*>(data);
    }
    RegCloseKey(key);
    if (file.empty()) return false;
    if (file.find('\\') == std::string::npos) {
        char windows[MAX_PATH];
        const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return false;
        file = std::string(windows) + "\\Fonts\\" + file;
    }
    if (file.size() + 1 > capacity) return false;
    std::memcpy(path, file.c_str(), file.size() + 1);
    return true;
}

}  // namespace dro::platform
