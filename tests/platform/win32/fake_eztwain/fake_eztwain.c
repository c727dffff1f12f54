/* A stand-in for EZTW32.dll with the four entries the engine calls by ordinal: a
 * scanner that is always there and delivers one 3 x 2 picture as a 24-bit bottom-up
 * packed DIB in global memory, as the real one does. FreedCount tells the test how many
 * delivered bitmaps came back through the release entry. */
#include <string.h>
#include <windows.h>

static LONG freed;

int WINAPI IsAvailable(void) { return 1; }

int WINAPI SelectImageSource(HWND owner) {
    (void)owner;
    return 1;
}

/* Pixel (x, y) of the picture, x 0..2, y 0..1 from the top, in B, G, R order. */
static void pictureBgr(int x, int y, BYTE* out) {
    out[0] = (BYTE)(10 + x);
    out[1] = (BYTE)(100 + 10 * y);
    out[2] = (BYTE)(200 + x + 3 * y);
}

HANDLE WINAPI AcquireNative(HWND owner, unsigned pixelTypes) {
    enum { width = 3, height = 2, rowBytes = 12 };
    (void)owner;
    (void)pixelTypes;
    HGLOBAL bitmap = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + rowBytes * height);
    BYTE* bytes = bitmap ? (BYTE*)GlobalLock(bitmap) : NULL;
    if (!bytes) return NULL;
    BITMAPINFOHEADER header;
    memset(&header, 0, sizeof header);
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    memcpy(bytes, &header, sizeof header);
    BYTE* rows = bytes + sizeof header;
    memset(rows, 0, rowBytes * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pictureBgr(x, y, rows + (height - 1 - y) * rowBytes + 3 * x);
    GlobalUnlock(bitmap);
    return bitmap;
}

void WINAPI FreeNative(HANDLE bitmap) {
    GlobalFree(bitmap);
    ++freed;
}

LONG WINAPI FreedCount(void) { return freed; }
