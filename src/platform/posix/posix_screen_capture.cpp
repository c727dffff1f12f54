// Screen capture on Linux: the root window of the X display named by DISPLAY. Without
// a reachable display there is no screen to capture and the capture fails.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

#include "platform/platform.h"

namespace dro::platform {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const noexcept { XCloseDisplay(d); }
};
struct ImageDestroyer {
    void operator()(XImage* image) const noexcept { XDestroyImage(image); }
};

// The 8-bit value of a channel under mask in a pixel, whatever the mask's width.
uint8_t channel(unsigned long pixel, unsigned long mask) noexcept {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    const unsigned long value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

// A connection whose errors end the request instead of the process (Xlib's default
// handler exits).
int ignoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool captureScreen(int32_t& width, int32_t& height, std::vector<uint8_t>& rgba) {
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
    if (!display) return false;
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    const int screen = DefaultScreen(display.get());
    const Window root = RootWindow(display.get(), screen);
    XWindowAttributes attributes{};
    std::unique_ptr<XImage, ImageDestroyer> image;
    if (XGetWindowAttributes(display.get(), root, &attributes))
        image.reset(XGetImage(display.get(), root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap));
    XSetErrorHandler(previous);
    if (!image || image->width <= 0 || image->height <= 0) return false;

    const Visual* visual = attributes.visual;
    if (!visual || visual->red_mask == 0 || visual->green_mask == 0 || visual->blue_mask == 0) return false;
    width = image->width;
    height = image->height;
    rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 255);
    uint8_t* out = rgba.data();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x, out += 4) {
            const unsigned long pixel = XGetPixel(image.get(), x, y);
            out[0] = channel(pixel, visual->red_mask);
            out[1] = channel(pixel, visual->green_mask);
            out[2] = channel(pixel, visual->blue_mask);
        }
    return true;
}

}  // namespace dro::platform
