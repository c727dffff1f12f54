#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "arguments.h"
#include "commands.h"
#include "drovane.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// The engine deletes the images it puts in a document, so it only ever sees copies
// in a folder of our own; the user's files are never handed over.
class CopyFolder {
public:
    // A fresh folder of our own: create_directory is false for a name already taken.
    CopyFolder() {
        std::random_device entropy;
        std::error_code error;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = fs::temp_directory_path(error) / ("drovane-pdf-" + std::to_string(entropy()));
            if (!error && fs::create_directory(path_, error)) return;
        }
        throw CommandError("cannot make a temporary folder for the pages");
    }
    ~CopyFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    CopyFolder(const CopyFolder&) = delete;
    CopyFolder& operator=(const CopyFolder&) = delete;

    std::string copy(const std::string& file, size_t index) const {
        const fs::path target = path_ / (std::to_string(index) + fs::path(file).extension().string());
        std::error_code error;
        fs::copy_file(file, target, error);
        if (error) throw CommandError(file + ": " + error.message());
        return target.string();
    }

private:
    fs::path path_;
};

}  // namespace

int runPdf(const Words& words) {
    const Arguments args(words, {"-o"}, {"--slideshow"});
    const auto& images = args.positional();
    if (images.empty()) throw UsageError("no images given");
    if (!args.has("-o")) throw UsageError("give the document with -o OUT.pdf");
    const std::string output = args.text("-o");

    const CopyFolder copies;
    DRO_I2PDF_Reset();
    for (size_t i = 0; i < images.size(); ++i) DRO_I2PDF_AddImage(copies.copy(images[i], i).c_str());
    DRO_SetLastError("");
    const bool slideShow = args.has("--slideshow");
    std::fprintf(stderr, "writing %zu page%s to %s\n", images.size(), images.size() == 1 ? "" : "s", output.c_str());
    const int32_t written = slideShow ? DRO_I2PDF_MakePDFSlideshow(output.c_str()) : DRO_I2PDF_MakePDF(output.c_str());
    const std::string error = DRO_GetLastError();
    if (!written) throw CommandError(output + ": " + (error.empty() ? "the document could not be written" : error));
    if (!error.empty()) std::fprintf(stderr, "drovane pdf: %s\n", error.c_str());
    return 0;
}

}  // namespace cli
