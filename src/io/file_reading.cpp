#include "io/file_reading.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>


namespace dro::io {
namespace {

using codecs::FileType;

struct TypeName {
    FileType type;
    const char* name;
};
constexpr std::array kTypeNames{
    TypeName{FileType::Bmp, "BMP"},          TypeName{FileType::Jpeg, "JPEG"},
    TypeName{FileType::Png, "PNG"},          TypeName{FileType::Tiff, "TIFF"},
    TypeName{FileType::WindowsMetafile, "WMF"}, TypeName{FileType::EnhancedMetafile, "EMF"},
    TypeName{FileType::Psd, "PSD"},          TypeName{FileType::Gif, "GIF"},
    TypeName{FileType::Tga, "TGA"},          TypeName{FileType::Pcx, "PCX"},
    TypeName{FileType::WebP, "WebP"},
};

const char* nameOf(FileType type) {
    for (const auto& entry : kTypeNames)
        if (entry.type == type) return entry.name;
    return "image";
}

std::string lowerFirst(std::string text) {
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

}  // namespace

std::optional<codecs::FileBytes> readFileReporting(const char* path) {
    namespace fs = std::filesystem;
    if (!path || !*path) {
        reportFileFailure("no file name");
        return std::nullopt;
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        reportFileFailure(error && error != std::errc::no_such_file_or_directory ? lowerFirst(error.message())
                                                                                : "not found");
        return std::nullopt;
    }
    if (fs::is_directory(status)) {
        reportFileFailure("it is a folder");
        return std::nullopt;
    }
    const auto size = fs::is_regular_file(status) ? fs::file_size(path, error) : 0;
    if (!error && size > codecs::kMaxFileBytes) {
        reportFileFailure("larger than the " + std::to_string(codecs::kMaxFileBytes >> 30) +
                          " GiB files are read up to");
        return std::nullopt;
    }
    errno = 0;
    auto bytes = codecs::readWholeFile(path);
    if (!bytes) {
        reportFileFailure(errno ? lowerFirst(std::generic_category().message(errno)) : "it could not be read");
        return std::nullopt;
    }
    if (bytes->empty()) {
        reportFileFailure("the file is empty");
        return std::nullopt;
    }
    return bytes;
}

void reportDecodeFailure(FileType type) {
    if (type == FileType::Unknown) return reportFileFailure("unknown format: not an image file this engine reads");
    const std::string& note = codecs::decodeNotes().problem;
    if (note.rfind(codecs::kBeyondLimits, 0) == 0) return reportFileFailure(note);
    reportFileFailure(std::string("corrupt or truncated ") + nameOf(type) + " file" + (note.empty() ? "" : ": " + note));
}

}  // namespace dro::io
