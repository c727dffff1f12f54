#include "imaging/lib/codecs/metafile_codec.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/lib/codecs/byte_reader.h"
#include "imaging/lib/codecs/dib_codec.h"

namespace dro::codecs {
namespace {

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

enum EmfRecord : uint32_t {
    kEmrHeader = 1,
    kEmrEof = 14,
    kEmrSetWindowExt = 9,
    kEmrSetWindowOrg = 10,
    kEmrSetViewportExt = 11,
    kEmrSetViewportOrg = 12,
    kEmrSetMapMode = 17,
    kEmrSaveDc = 33,
    kEmrRestoreDc = 34,
    kEmrBitBlt = 76,
    kEmrStretchBlt = 77,
    kEmrSetDiBitsToDevice = 80,
    kEmrStretchDiBits = 81,
};

enum WmfRecord : uint16_t {
    kMetaEof = 0x0000,
    kMetaSetWindowOrg = 0x020B,
    kMetaSetWindowExt = 0x020C,
    kMetaDibBitBlt = 0x0940,
    kMetaDibStretchBlt = 0x0B41,
    kMetaSetDibToDev = 0x0D33,
    kMetaStretchDib = 0x0F43,
};

constexpr uint32_t kDibRgbColors = 0;

// The reference device our EMFs name: 1920 x 1440 pixels on 508 x 381 mm, 96 dpi.
constexpr int32_t kDeviceWidth = 1920, kDeviceHeight = 1440;
constexpr int32_t kDeviceMmWidth = 508, kDeviceMmHeight = 381;

// No file may make us decode or paint without bound: decoded bitmap pixels across all
// records, and painted pixels as a multiple of the picture.
constexpr uint64_t kMaxDecodedPixels = uint64_t{1} << 28;
constexpr uint64_t kPaintRounds = 64;

struct Point {
    double x = 0, y = 0;
};

// A picture being painted, with the work it may still do.
class Painter {
public:
    Painter(int32_t w, int32_t h, uint32_t colorRef) : width_(w), height_(h) {
        image_.width = w;
        image_.height = h;
        image_.channels = 3;
        image_.pixels.resize(size_t(w) * size_t(h) * 3);
        for (size_t i = 0; i < image_.pixels.size(); i += 3) {
            image_.pixels[i] = static_cast<uint8_t>(colorRef);
            image_.pixels[i + 1] = static_cast<uint8_t>(colorRef >> 8);
            image_.pixels[i + 2] = static_cast<uint8_t>(colorRef >> 16);
        }
        paintBudget_ = kPaintRounds * uint64_t(w) * uint64_t(h);
    }

    bool exhausted() const { return exhausted_; }
    PixelImage take() { return std::move(image_); }

    std::optional<PixelImage> decode(const DibFormat& f, ByteSpan info, ByteSpan bits) {
        const uint64_t pixels = uint64_t(f.width) * uint64_t(f.height);
        if (pixels > kMaxDecodedPixels - decoded_) {
            exhausted_ = true;
            return std::nullopt;
        }
        decoded_ += pixels;
        return decodeDibBits(f, info, bits, DibAlpha::Ignore);
    }

    // Draws the source rectangle (sx, sy, sw, sh; top-down rows of `dib`) into the
    // output-space rectangle from corner a to corner b, nearest neighbour. Negative
    // extents mirror, as GDI's stretching does.
    void draw(const PixelImage& dib, int64_t sx, int64_t sy, int64_t sw, int64_t sh, Point a, Point b, uint32_t rop) {
        if (sw == 0 || sh == 0 || !std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) ||
            !std::isfinite(b.y) || a.x == b.x || a.y == b.y)
            return;
        if (sw < 0) {
            sx += sw;
            sw = -sw;
            std::swap(a.x, b.x);
        }
        if (sh < 0) {
            sy += sh;
            sh = -sh;
            std::swap(a.y, b.y);
        }
        const uint8_t code = static_cast<uint8_t>(rop >> 16);
        // Raster operations that read the brush are drawn as plain copies: no brush is kept.
        const bool brushFree = (code >> 4) == (code & 0x0F);
        const uint8_t op = brushFree ? (code & 0x0F) : 0x0C;
        // Clamped while still floating point: mapped coordinates may lie far outside int64.
        auto clip = [](double v, int32_t limit) { return v <= 0.0 ? int64_t{0} : v >= limit ? int64_t{limit} : int64_t(v); };
        const int64_t x0 = clip(std::floor(std::min(a.x, b.x)), width_);
        const int64_t x1 = clip(std::ceil(std::max(a.x, b.x)), width_);
        const int64_t y0 = clip(std::floor(std::min(a.y, b.y)), height_);
        const int64_t y1 = clip(std::ceil(std::max(a.y, b.y)), height_);
        const uint64_t area = uint64_t(x1 - x0) * uint64_t(y1 - y0);
        if (area > paintBudget_) {
            exhausted_ = true;
            return;
        }
        paintBudget_ -= area;
        std::vector<int64_t> columns(static_cast<size_t>(x1 - x0));
        for (int64_t x = x0; x < x1; ++x) {
            const double u = (x + 0.5 - a.x) / (b.x - a.x);
            columns[size_t(x - x0)] = (u >= 0.0 && u < 1.0) ? sx + int64_t(std::floor(u * double(sw))) : -1;
        }
        for (int64_t y = y0; y < y1; ++y) {
            const double v = (y + 0.5 - a.y) / (b.y - a.y);
            if (v < 0.0 || v >= 1.0) continue;
            const int64_t srcY = sy + int64_t(std::floor(v * double(sh)));
            if (srcY < 0 || srcY >= dib.height) continue;
            for (int64_t x = x0; x < x1; ++x) {
                const int64_t srcX = columns[size_t(x - x0)];
                if (srcX < 0 || srcX >= dib.width) continue;
                const uint8_t* s = &dib.pixels[size_t((srcY * dib.width + srcX) * 4)];
                if (s[3] == 0) continue;  // left out by run-length data: the device keeps its pixel
                uint8_t* d = &image_.pixels[size_t((y * width_ + x) * 3)];
                for (int c = 0; c < 3; ++c) d[c] = combine(op, s[c], d[c]);
            }
        }
    }

private:
    // The two-operand half of a ternary raster code: bit (S << 1 | D) of op.
    static uint8_t combine(uint8_t op, uint8_t s, uint8_t d) {
        if (op == 0x0C) return s;
        uint8_t out = 0;
        if (op & 1) out |= static_cast<uint8_t>(~s & ~d);
        if (op & 2) out |= static_cast<uint8_t>(~s & d);
        if (op & 4) out |= static_cast<uint8_t>(s & ~d);
        if (op & 8) out |= static_cast<uint8_t>(s & d);
        return out;
    }

    PixelImage image_;
    int32_t width_, height_;
    uint64_t decoded_ = 0;
    uint64_t paintBudget_ = 0;
    bool exhausted_ = false;
};

// ---- EMF -------------------------------------------------------------------------

struct EmfFrame {
    double left = 0, top = 0, width = 1, height = 1;  // device pixels
    double pixelsPerMmX = 0, pixelsPerMmY = 0;
};

std::optional<EmfFrame> readEmfFrame(ByteSpan bytes) {
    ByteReader r(bytes);
    const uint32_t type = r.u32le(), size = r.u32le();
    const int32_t bl = r.i32le(), bt = r.i32le(), br = r.i32le(), bb = r.i32le();
    const int32_t fl = r.i32le(), ft = r.i32le(), fr = r.i32le(), fb = r.i32le();
    const uint32_t signature = r.u32le();
    r.skip(4 * 4 + 4 * 3);
    const int32_t devW = r.i32le(), devH = r.i32le(), mmW = r.i32le(), mmH = r.i32le();
    if (!r.ok() || type != kEmrHeader || signature != kEmfSignature || size < 88 || size > bytes.size())
        return std::nullopt;
    EmfFrame f;
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) {
        f.pixelsPerMmX = double(devW) / mmW;
        f.pixelsPerMmY = double(devH) / mmH;
    }
    const double fw = (double(fr) - fl) * f.pixelsPerMmX / 100.0, fh = (double(fb) - ft) * f.pixelsPerMmY / 100.0;
    if (std::lround(fw) >= 1 && std::lround(fh) >= 1) {
        f.left = std::round(fl * f.pixelsPerMmX / 100.0);
        f.top = std::round(ft * f.pixelsPerMmY / 100.0);
        f.width = double(std::lround(fw));
        f.height = double(std::lround(fh));
    } else if (br >= bl && bb >= bt) {  // no usable frame: the bounds, inclusive
        f.left = bl;
        f.top = bt;
        f.width = double(br) - bl + 1;
        f.height = double(bb) - bt + 1;
    } else {
        return std::nullopt;
    }
    if (f.pixelsPerMmX <= 0) f.pixelsPerMmX = f.pixelsPerMmY = 96 / 25.4;
    return f;
}

// Logical to device coordinates, as SetMapMode and the window and viewport set them.
struct Mapping {
    int32_t mode = 1;  // MM_TEXT
    double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
    double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;

    Point toDevice(double x, double y, const EmfFrame& f) const {
        double sx = 1, sy = 1;
        switch (mode) {
        case 2: sx = f.pixelsPerMmX / 10, sy = -f.pixelsPerMmY / 10; break;     // LOMETRIC
        case 3: sx = f.pixelsPerMmX / 100, sy = -f.pixelsPerMmY / 100; break;   // HIMETRIC
        case 4: sx = f.pixelsPerMmX * 0.254, sy = -f.pixelsPerMmY * 0.254; break;  // LOENGLISH
        case 5: sx = f.pixelsPerMmX * 0.0254, sy = -f.pixelsPerMmY * 0.0254; break;  // HIENGLISH
        case 6: sx = f.pixelsPerMmX * 25.4 / 1440, sy = -f.pixelsPerMmY * 25.4 / 1440; break;  // TWIPS
        case 7:
        case 8:
            sx = winExtX != 0 ? vpExtX / winExtX : 1;
            sy = winExtY != 0 ? vpExtY / winExtY : 1;
            break;
        default: break;
        }
        return {(x - winOrgX) * sx + vpOrgX, (y - winOrgY) * sy + vpOrgY};
    }
};

struct Raster {
    int64_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
    int64_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0, rop = 0x00CC0020;
    bool dibOrigin = false;  // source rows counted from the bottom of a bottom-up DIB
    uint32_t startScan = 0, scans = 0;
    bool banded = false;
};

void drawEmfRaster(Painter& painter, ByteSpan record, const Raster& ras, const Mapping& map, const EmfFrame& frame,
                   double scaleX, double scaleY) {
    if (ras.cbBmi == 0 || ras.usage != kDibRgbColors) return;  // no bitmap, or palette indices
    if (ras.offBmi > record.size() || ras.cbBmi > record.size() - ras.offBmi || ras.offBits > record.size() ||
        ras.cbBits > record.size() - ras.offBits)
        return;
    const ByteSpan info = record.subspan(ras.offBmi, ras.cbBmi);
    const ByteSpan bits = record.subspan(ras.offBits, ras.cbBits);
    auto format = parseDibFormat(info);
    if (!format) return;
    int64_t dibRows = format->height;
    if (ras.banded) {  // the bits hold only the scan lines from startScan on
        if (ras.scans == 0 || ras.scans > uint32_t(format->height)) return;
        format->height = static_cast<int32_t>(ras.scans);
        dibRows = int64_t{ras.startScan} + ras.scans;
    }
    const auto dib = painter.decode(*format, info, bits);
    if (!dib) return;
    int64_t sy = ras.ySrc;
    if (ras.dibOrigin && !format->topDown) sy = dibRows - ras.ySrc - ras.cySrc;
    else if (ras.banded) sy = ras.ySrc - ras.startScan;
    const Point a = map.toDevice(double(ras.xDest), double(ras.yDest), frame);
    const Point b = map.toDevice(double(ras.xDest + ras.cxDest), double(ras.yDest + ras.cyDest), frame);
    auto out = [&](Point p) { return Point{(p.x - frame.left) * scaleX, (p.y - frame.top) * scaleY}; };
    painter.draw(*dib, ras.xSrc, sy, ras.cxSrc, ras.cySrc, out(a), out(b), ras.rop);
}

std::optional<PixelImage> renderEmf(ByteSpan bytes, int32_t width, int32_t height, uint32_t colorRef) {
    const auto frame = readEmfFrame(bytes);
    if (!frame) return std::nullopt;
    Painter painter(width, height, colorRef);
    const double scaleX = width / frame->width, scaleY = height / frame->height;
    Mapping map;
    std::vector<Mapping> saved;
    size_t at = 0;
    while (bytes.size() - at >= 8 && !painter.exhausted()) {
        ByteReader head(bytes, at);
        const uint32_t type = head.u32le(), size = head.u32le();
        if (size < 8 || size % 4 != 0 || size > bytes.size() - at) break;
        const ByteSpan record = bytes.subspan(at, size);
        at += size;
        ByteReader r(record, 8);
        Raster ras;
        switch (type) {
        case kEmrEof: return painter.take();
        case kEmrSetMapMode: map.mode = r.i32le(); break;
        case kEmrSetWindowExt: map.winExtX = r.i32le(), map.winExtY = r.i32le(); break;
        case kEmrSetWindowOrg: map.winOrgX = r.i32le(), map.winOrgY = r.i32le(); break;
        case kEmrSetViewportExt: map.vpExtX = r.i32le(), map.vpExtY = r.i32le(); break;
        case kEmrSetViewportOrg: map.vpOrgX = r.i32le(), map.vpOrgY = r.i32le(); break;
        case kEmrSaveDc:
            if (saved.size() < 1024) saved.push_back(map);
            break;
        case kEmrRestoreDc: {
            const int32_t n = r.i32le();  // negative: that many saved states back
            if (n < 0 && uint64_t(-int64_t(n)) <= saved.size()) {
                saved.resize(saved.size() - size_t(-int64_t(n)) + 1);
                map = saved.back();
                saved.pop_back();
            }
            break;
        }
        case kEmrStretchDiBits:
        case kEmrSetDiBitsToDevice:
            r.skip(16);
            ras.xDest = r.i32le(), ras.yDest = r.i32le();
            ras.xSrc = r.i32le(), ras.ySrc = r.i32le(), ras.cxSrc = r.i32le(), ras.cySrc = r.i32le();
            ras.offBmi = r.u32le(), ras.cbBmi = r.u32le(), ras.offBits = r.u32le(), ras.cbBits = r.u32le();
            ras.usage = r.u32le();
            ras.dibOrigin = true;
            if (type == kEmrStretchDiBits) {
                ras.rop = r.u32le();
                ras.cxDest = r.i32le(), ras.cyDest = r.i32le();
            } else {
                ras.startScan = r.u32le(), ras.scans = r.u32le();
                ras.banded = true;
                ras.cxDest = ras.cxSrc, ras.cyDest = ras.cySrc;
            }
            if (r.ok()) drawEmfRaster(painter, record, ras, map, *frame, scaleX, scaleY);
            break;
        case kEmrBitBlt:
        case kEmrStretchBlt:
            r.skip(16);
            ras.xDest = r.i32le(), ras.yDest = r.i32le(), ras.cxDest = r.i32le(), ras.cyDest = r.i32le();
            ras.rop = r.u32le();
            ras.xSrc = r.i32le(), ras.ySrc = r.i32le();
            r.skip(24 + 4);  // source transform, background colour
            ras.usage = r.u32le();
            ras.offBmi = r.u32le(), ras.cbBmi = r.u32le(), ras.offBits = r.u32le(), ras.cbBits = r.u32le();
            ras.cxSrc = ras.cxDest, ras.cySrc = ras.cyDest;
            if (type == kEmrStretchBlt) ras.cxSrc = r.i32le(), ras.cySrc = r.i32le();
            if (r.ok()) drawEmfRaster(painter, record, ras, map, *frame, scaleX, scaleY);
            break;
        default: break;
        }
    }
    return painter.take();
}

// ---- WMF -------------------------------------------------------------------------

struct WmfStart {
    bool placeable = false;
    double left = 0, top = 0, width = 0, height = 0;  // logical units
    uint16_t unitsPerInch = 0;
    size_t records = 0;  // first record
};

std::optional<WmfStart> readWmfStart(ByteSpan bytes) {
    ByteReader r(bytes);
    WmfStart s;
    if (r.u32le() == kPlaceableKey) {
        s.placeable = true;
        r.u16le();
        const int16_t left = r.i16le(), top = r.i16le(), right = r.i16le(), bottom = r.i16le();
        s.unitsPerInch = r.u16le();
        r.skip(6);
        s.left = left;
        s.top = top;
        s.width = double(right) - left;
        s.height = double(bottom) - top;
        if (s.unitsPerInch == 0) s.unitsPerInch = 1440;
    } else {
        r.seek(0);
    }
    const size_t header = r.pos();
    const uint16_t type = r.u16le(), words = r.u16le(), version = r.u16le();
    if (!r.ok() || (type != 1 && type != 2) || words != 9 || (version != 0x0100 && version != 0x0300))
        return std::nullopt;
    s.records = header + 18;
    if (s.records > bytes.size()) return std::nullopt;
    return s;
}

// Calls fn(function, params) for each record until META_EOF or the first broken one.
template <typename Fn>
void forEachWmfRecord(ByteSpan bytes, size_t at, Fn&& fn) {
    while (bytes.size() - at >= 6) {
        ByteReader r(bytes, at);
        const uint64_t size = uint64_t{r.u32le()} * 2;
        const uint16_t function = r.u16le();
        if (size < 6 || size > bytes.size() - at || function == kMetaEof) return;
        if (!fn(function, bytes.subspan(at + 6, static_cast<size_t>(size - 6)))) return;
        at += static_cast<size_t>(size);
    }
}

// The first window origin and extent a plain WMF sets.
void findWindow(ByteSpan bytes, WmfStart& s) {
    bool haveExt = false;
    forEachWmfRecord(bytes, s.records, [&](uint16_t function, ByteSpan p) {
        ByteReader r(p);
        const int16_t y = r.i16le(), x = r.i16le();
        if (!r.ok()) return true;
        if (function == kMetaSetWindowOrg) s.left = x, s.top = y;
        if (function == kMetaSetWindowExt) s.width = x, s.height = y, haveExt = true;
        return !haveExt;
    });
}

std::optional<PixelImage> renderWmf(ByteSpan bytes, int32_t width, int32_t height, uint32_t colorRef) {
    auto start = readWmfStart(bytes);
    if (!start) return std::nullopt;
    Painter painter(width, height, colorRef);
    // The window maps onto the whole picture; the placeable box gives its first value.
    double left = start->placeable ? start->left : 0, top = start->placeable ? start->top : 0;
    double extX = start->placeable ? start->width : width, extY = start->placeable ? start->height : height;
    forEachWmfRecord(bytes, start->records, [&](uint16_t function, ByteSpan p) {
        ByteReader r(p);
        Raster ras;
        size_t dibAt = 0;
        const bool withBitmap = p.size() + 6 != (size_t(function >> 8) + 3) * 2;
        switch (function) {
        case kMetaSetWindowOrg:
            top = r.i16le(), left = r.i16le();
            return true;
        case kMetaSetWindowExt: {
            const int16_t y = r.i16le(), x = r.i16le();
            if (r.ok() && x != 0 && y != 0) extX = x, extY = y;
            return true;
        }
        case kMetaStretchDib:
            ras.rop = r.u32le();
            ras.usage = r.u16le();
            ras.cySrc = r.i16le(), ras.cxSrc = r.i16le(), ras.ySrc = r.i16le(), ras.xSrc = r.i16le();
            ras.cyDest = r.i16le(), ras.cxDest = r.i16le(), ras.yDest = r.i16le(), ras.xDest = r.i16le();
            ras.dibOrigin = true;
            break;
        case kMetaDibStretchBlt:
            if (!withBitmap) return true;
            ras.rop = r.u32le();
            ras.cySrc = r.i16le(), ras.cxSrc = r.i16le(), ras.ySrc = r.i16le(), ras.xSrc = r.i16le();
            ras.cyDest = r.i16le(), ras.cxDest = r.i16le(), ras.yDest = r.i16le(), ras.xDest = r.i16le();
            break;
        case kMetaDibBitBlt:
            if (!withBitmap) return true;
            ras.rop = r.u32le();
            ras.ySrc = r.i16le(), ras.xSrc = r.i16le();
            ras.cyDest = r.i16le(), ras.cxDest = r.i16le(), ras.yDest = r.i16le(), ras.xDest = r.i16le();
            ras.cxSrc = ras.cxDest, ras.cySrc = ras.cyDest;
            break;
        case kMetaSetDibToDev:
            ras.usage = r.u16le();
            ras.scans = r.u16le(), ras.startScan = r.u16le();
            ras.ySrc = r.i16le(), ras.xSrc = r.i16le();
            ras.cySrc = r.i16le(), ras.cxSrc = r.i16le(), ras.yDest = r.i16le(), ras.xDest = r.i16le();
            ras.cxDest = ras.cxSrc, ras.cyDest = ras.cySrc;
            ras.dibOrigin = true;
            ras.banded = true;
            break;
        default: return true;
        }
        dibAt = r.pos();
        if (!r.ok() || ras.usage != kDibRgbColors) return true;
        const ByteSpan dibBytes = p.subspan(dibAt);
        auto format = parseDibFormat(dibBytes);
        if (!format || format->infoBytes > dibBytes.size()) return true;
        const ByteSpan bits = dibBytes.subspan(static_cast<size_t>(format->infoBytes));
        int64_t dibRows = format->height;
        if (ras.banded) {
            if (ras.scans == 0 || ras.scans > uint32_t(format->height)) return true;
            format->height = static_cast<int32_t>(ras.scans);
            dibRows = int64_t{ras.startScan} + ras.scans;
        }
        const auto dib = painter.decode(*format, dibBytes, bits);
        if (!dib) return !painter.exhausted();
        int64_t sy = ras.ySrc;
        if (ras.dibOrigin && !format->topDown) sy = dibRows - ras.ySrc - ras.cySrc;
        else if (ras.banded) sy = ras.ySrc - ras.startScan;
        auto out = [&](double x, double y) { return Point{(x - left) * width / extX, (y - top) * height / extY}; };
        painter.draw(*dib, ras.xSrc, sy, ras.cxSrc, ras.cySrc, out(double(ras.xDest), double(ras.yDest)),
                     out(double(ras.xDest + ras.cxDest), double(ras.yDest + ras.cyDest)), ras.rop);
        return !painter.exhausted();
    });
    return painter.take();
}

}  // namespace

bool isEmf(ByteSpan bytes) { return readEmfFrame(bytes).has_value(); }
bool isWmf(ByteSpan bytes) { return readWmfStart(bytes).has_value(); }

std::optional<PixelImage> renderMetafile(ByteSpan bytes, int32_t width, int32_t height,
                                         uint32_t backgroundColorRef) {
    if (!checkedImageBytes(width, height, 3)) return std::nullopt;
    if (isEmf(bytes)) return renderEmf(bytes, width, height, backgroundColorRef);
    if (isWmf(bytes)) return renderWmf(bytes, width, height, backgroundColorRef);
    return std::nullopt;
}

std::optional<ImageInfo> readMetafileInfo(ByteSpan bytes) {
    ImageInfo info;
    if (const auto frame = readEmfFrame(bytes)) {
        info.width = static_cast<int>(std::min(frame->width, double(kMaxImageDimension)));
        info.height = static_cast<int>(std::min(frame->height, double(kMaxImageDimension)));
        return info;
    }
    auto start = readWmfStart(bytes);
    if (!start) return std::nullopt;
    double w = 0, h = 0;
    if (start->placeable) {
        w = std::abs(start->width) * 96.0 / start->unitsPerInch;
        h = std::abs(start->height) * 96.0 / start->unitsPerInch;
    } else {
        findWindow(bytes, *start);
        w = std::abs(start->width);
        h = std::abs(start->height);
    }
    info.width = static_cast<int>(std::lround(w));
    info.height = static_cast<int>(std::lround(h));
    if (info.width < 1 || info.height < 1) return std::nullopt;
    return info;
}

bool writeEmf(FileDest dest, const uint8_t* rgb24, int32_t width, int32_t height) {
    if (!validWriterInput(dest, rgb24, width, height, 3)) return false;
    const uint64_t stride = ((uint64_t(width) * 24 + 31) / 32) * 4;
    const uint64_t bitsBytes = stride * uint64_t(height);
    constexpr uint32_t kHeaderSize = 108, kStretchFixed = 80, kInfoSize = 40, kEofSize = 20;
    const uint64_t recordSize = kStretchFixed + kInfoSize + bitsBytes;
    const uint64_t total = kHeaderSize + recordSize + kEofSize;
    if (total > UINT32_MAX) return false;
    auto frameOf = [](int32_t pixels, int32_t mm, int32_t device) {
        return static_cast<uint32_t>(std::lround(double(pixels) * mm * 100.0 / device));
    };

    std::vector<uint8_t> out;
    putU32LE(out, kEmrHeader);
    putU32LE(out, kHeaderSize);
    for (uint32_t v : {0u, 0u, uint32_t(width - 1), uint32_t(height - 1)}) putU32LE(out, v);  // bounds
    for (uint32_t v : {0u, 0u, frameOf(width, kDeviceMmWidth, kDeviceWidth), frameOf(height, kDeviceMmHeight, kDeviceHeight)})
        putU32LE(out, v);  // frame, 0.01 mm
    putU32LE(out, kEmfSignature);
    putU32LE(out, 0x10000);
    putU32LE(out, static_cast<uint32_t>(total));
    putU32LE(out, 3);  // records
    putU16LE(out, 1);  // handles: the reserved one
    putU16LE(out, 0);
    putU32LE(out, 0);  // no description
    putU32LE(out, 0);
    putU32LE(out, 0);  // no palette
    for (int32_t v : {kDeviceWidth, kDeviceHeight, kDeviceMmWidth, kDeviceMmHeight}) putU32LE(out, uint32_t(v));
    putU32LE(out, 0);  // no pixel format, no OpenGL
    putU32LE(out, 0);
    putU32LE(out, 0);
    putU32LE(out, uint32_t(kDeviceMmWidth * 1000));
    putU32LE(out, uint32_t(kDeviceMmHeight * 1000));

    putU32LE(out, kEmrStretchDiBits);
    putU32LE(out, static_cast<uint32_t>(recordSize));
    for (uint32_t v : {0u, 0u, uint32_t(width - 1), uint32_t(height - 1)}) putU32LE(out, v);
    for (uint32_t v : {0u, 0u, 0u, 0u, uint32_t(width), uint32_t(height)}) putU32LE(out, v);  // dest, source
    putU32LE(out, kStretchFixed);
    putU32LE(out, kInfoSize);
    putU32LE(out, kStretchFixed + kInfoSize);
    putU32LE(out, static_cast<uint32_t>(bitsBytes));
    putU32LE(out, kDibRgbColors);
    putU32LE(out, 0x00CC0020);  // SRCCOPY
    putU32LE(out, uint32_t(width));
    putU32LE(out, uint32_t(height));
    putU32LE(out, kInfoSize);
    putU32LE(out, uint32_t(width));
    putU32LE(out, uint32_t(height));
    putU16LE(out, 1);
    putU16LE(out, 24);
    putU32LE(out, kBiRgb);
    putU32LE(out, static_cast<uint32_t>(bitsBytes));
    for (int i = 0; i < 4; ++i) putU32LE(out, 0);
    if (!writeBytes(dest, out)) return false;

    std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* s = rgb24 + size_t(y) * size_t(width) * 3;
        for (size_t x = 0; x < size_t(width); ++x) {
            row[x * 3] = s[x * 3 + 2];
            row[x * 3 + 1] = s[x * 3 + 1];
            row[x * 3 + 2] = s[x * 3];
        }
        if (!writeBytes(dest, row)) return false;
    }
    out.clear();
    putU32LE(out, kEmrEof);
    putU32LE(out, kEofSize);
    putU32LE(out, 0);
    putU32LE(out, 16);
    putU32LE(out, kEofSize);
    return writeBytes(dest, out) && finishWrites(dest);
}

}  // namespace dro::codecs
