#include "image_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <cstdio>

#include "arguments.h"
#include "drovane.h"

namespace cli {
namespace {

constexpr std::array kAlphaExtensions{".png", ".tga", ".tif", ".webp"};
// Extensions the engine writes a row at a time straight from the layers.
constexpr std::array kPageRgb32Extensions{".png", ".tga", ".tif"};
constexpr std::array kPageRgb24Extensions{".bmp", ".jpg"};

template <size_t N>
bool listed(const std::array<const char*, N>& list, const std::string& extension) {
    return std::find(list.begin(), list.end(), extension) != list.end();
}

// The page savers report nothing; a write that happened replaced the file with a new
// one (the engine writes beside the target and renames), so its inode changes where
// the system has inodes (Windows reports 0), and so does its modification time.
struct FileStamp {
    bool exists = false;
    ino_t inode = 0;
    std::filesystem::file_time_type modified{};
};

FileStamp stampOf(const std::string& path) {
    struct stat s {};
    if (stat(path.c_str(), &s) != 0) return {};
    std::error_code error;
    return {true, s.st_ino, std::filesystem::last_write_time(path, error)};
}

bool replaced(const FileStamp& before, const FileStamp& after) {
    return after.exists &&
           (!before.exists || after.inode != before.inode || after.modified != before.modified);
}

std::vector<uint8_t> dropAlpha(const Image& image) {
    std::vector<uint8_t> rgb(static_cast<size_t>(image.width) * image.height * 3);
    DRO_RGBAToRGB(rgb.data(), image.width, image.height, image.rgba.data());
    return rgb;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

std::string extensionOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

bool writesAlpha(const std::string& extension) { return listed(kAlphaExtensions, extension); }

std::string fileMessage() { return DRO_GetFileMessage(); }

void warnAboutFile(const std::string& path) {
    const std::string message = fileMessage();
    if (!message.empty()) std::fprintf(stderr, "drovane: warning: '%s': %s\n", path.c_str(), message.c_str());
}

Image readImage(const std::string& path) {
    if (!DRO_ReadFromFile(path.c_str())) throw CommandError("cannot read '" + path + "': " + fileMessage());
    warnAboutFile(path);
    Image image;
    image.width = DRO_GetNewRGBAWidth();
    image.height = DRO_GetNewRGBAHeight();
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    DRO_GetNewRGBA32(image.rgba.data());
    DRO_DeleteNewRGBA();
    return image;
}

void writeImage(const Image& image, const std::string& path, int32_t dpi) {
    const std::string extension = extensionOf(path);
    int32_t written = 0;
    if (writesAlpha(extension)) {
        written = DRO_WriteToFileRGBA32(image.rgba.data(), image.width, image.height, path.c_str(),
                                        extension.c_str(), dpi);
    } else {
        const auto rgb = dropAlpha(image);
        written = DRO_WriteToFileRGB24(rgb.data(), image.width, image.height, path.c_str(), extension.c_str(), dpi);
    }
    if (!written) throw CommandError("cannot write '" + path + "': " + fileMessage());
    warnAboutFile(path);
}

Canvas::Canvas(int32_t width, int32_t height) : width_(width), height_(height) {
    DRO_CreateImage(nullptr, width, height, kCanvasMaxBrushSize, 0);
    if (!DRO_CreateLayer(1, width, height)) {
        DRO_DeleteImage();
        throw CommandError("cannot create a " + std::to_string(width) + " x " + std::to_string(height) + " canvas");
    }
    DRO_SetLayerOptions(1, 1, 0, 100, "Normal");
    DRO_SetLayer(1);
}

Canvas::Canvas(const Image& picture) : Canvas(picture.width, picture.height) {
    DRO_LoadRGBA32Layer(picture.rgba.data(), picture.width * 4, 1, 0, 0, picture.width, picture.height, 0);
}

Canvas::~Canvas() { DRO_DeleteImage(); }

void Canvas::savePage(const std::string& path, int32_t dpi) const {
    const std::string extension = extensionOf(path);
    const bool rgb32 = listed(kPageRgb32Extensions, extension);
    if (rgb32 || listed(kPageRgb24Extensions, extension)) {
        const FileStamp before = stampOf(path);
        if (rgb32) DRO_SavePageToFileRGB32(path.c_str(), extension.c_str(), dpi);
        else DRO_SavePageToFileRGB24(path.c_str(), extension.c_str(), dpi);
        if (!replaced(before, stampOf(path))) throw CommandError("cannot write '" + path + "': " + fileMessage());
        warnAboutFile(path);
        return;
    }
    writeImage(flatten(), path, dpi);
}

Image Canvas::flatten() const {
    std::vector<uint16_t> wide(static_cast<size_t>(width_) * height_ * 4);
    DRO_MergeRect(wide.data(), 0, 0, width_, height_);
    Image image{width_, height_, std::vector<uint8_t>(wide.size())};
    DRO_GetRGBA32FromRGBA64(image.rgba.data(), width_ * 4, width_, height_, wide.data(), width_ * 8);
    return image;
}

}  // namespace cli
