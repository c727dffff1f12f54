#include "io/pdf_document.h"

#include <hpdf.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/last_error.h"
#include "io/image_files.h"
#include "io/output_file.h"

namespace dro::io {
namespace {

// The page settings the document is made with: pictures at 96 dpi, a 20-point border
// in light grey; slide shows turn pages with a box-in transition of 1 s every 4 s.
constexpr double kPicturesDpi = 96.0;
constexpr double kBorder = 20.0;
constexpr double kBorderGrey = 196.0 / 255.0;
constexpr HPDF_TransitionStyle kTransition = HPDF_TS_BOX_IN;
constexpr double kTransitionSeconds = 1.0;
constexpr double kDisplaySeconds = 4.0;
constexpr double kMaxPageSide = 14400.0;  // points: the largest page PDF readers take

std::vector<std::string> gImages;

struct Document {
    HPDF_Doc doc = HPDF_New(nullptr, nullptr);
    ~Document() {
        if (doc) HPDF_Free(doc);
    }
};

// RGB24 of the picture laid on white where it is transparent.
std::vector<uint8_t> onWhite(const codecs::PixelImage& image) {
    std::vector<uint8_t> rgb(static_cast<size_t>(image.width) * image.height * 3);
    const uint8_t* in = image.pixels.data();
    for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i, in += 4)
        for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = static_cast<uint8_t>((in[c] * in[3] + 255 * (255 - in[3]) + 127) / 255);
    return rgb;
}

bool addPage(HPDF_Doc doc, const codecs::PixelImage& image, bool slideShow) {
    const std::vector<uint8_t> rgb = onWhite(image);
    HPDF_Image picture = HPDF_LoadRawImageFromMem(doc, rgb.data(), static_cast<HPDF_UINT>(image.width),
                                                  static_cast<HPDF_UINT>(image.height), HPDF_CS_DEVICE_RGB, 8);
    if (!picture) return false;
    double w = image.width * 72.0 / kPicturesDpi;
    double h = image.height * 72.0 / kPicturesDpi;
    const double fit = std::min(1.0, (kMaxPageSide - 2 * kBorder) / std::max(w, h));
    w *= fit;
    h *= fit;
    HPDF_Page page = HPDF_AddPage(doc);
    if (!page) return false;
    HPDF_Page_SetWidth(page, static_cast<HPDF_REAL>(w + 2 * kBorder));
    HPDF_Page_SetHeight(page, static_cast<HPDF_REAL>(h + 2 * kBorder));
    HPDF_Page_SetRGBFill(page, kBorderGrey, kBorderGrey, kBorderGrey);
    HPDF_Page_Rectangle(page, 0, 0, static_cast<HPDF_REAL>(w + 2 * kBorder), static_cast<HPDF_REAL>(h + 2 * kBorder));
    HPDF_Page_Fill(page);
    HPDF_Page_DrawImage(page, picture, kBorder, kBorder, static_cast<HPDF_REAL>(w), static_cast<HPDF_REAL>(h));
    if (slideShow) HPDF_Page_SetSlideShow(page, kTransition, kDisplaySeconds, kTransitionSeconds);
    return HPDF_GetError(doc) == HPDF_OK;
}

bool save(HPDF_Doc doc, const char* path) {
    if (HPDF_SaveToStream(doc) != HPDF_OK) return false;
    std::vector<uint8_t> bytes(HPDF_GetStreamSize(doc));
    HPDF_UINT32 size = static_cast<HPDF_UINT32>(bytes.size());
    if (!bytes.empty() && HPDF_ReadFromStream(doc, bytes.data(), &size) != HPDF_OK && size != bytes.size())
        return false;
    OutputFile file(path);
    return file.isOpen() && file.commit(std::fwrite(bytes.data(), 1, size, file.dest().file) == size);
}

int32_t writeDocument(const std::vector<std::string>& images, const char* path, bool slideShow) {
    if (!path || !*path) return 0;
    Document document;
    if (!document.doc) return 0;
    HPDF_SetCompressionMode(document.doc, HPDF_COMP_ALL);
    std::vector<const std::string*> converted;
    for (const std::string& image : images) {
        const auto picture = readImageFileRgba32(image.c_str());
        if (!picture || picture->empty()) {
            setLastError("I2PDF_MakePDF: an image could not be read and was left out");
            continue;
        }
        if (!addPage(document.doc, *picture, slideShow)) return 0;
        converted.push_back(&image);
    }
    if (converted.empty() || !save(document.doc, path)) {
        setLastError("I2PDF_MakePDF: the document could not be written");
        return 0;
    }
    for (const std::string* image : converted) std::remove(image->c_str());
    return 1;
}

}  // namespace

void resetPdfImages() noexcept { gImages.clear(); }

void addPdfImage(const char* path) {
    if (path && *path) gImages.emplace_back(path);
}

int32_t makePdf(const char* path, bool slideShow) {
    const std::vector<std::string> images = std::move(gImages);
    gImages.clear();
    return writeDocument(images, path, slideShow);
}

}  // namespace dro::io
