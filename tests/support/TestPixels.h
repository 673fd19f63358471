// Pixels for the drawing tests: .bmp files written and read byte by byte, and a memory
// canvas that a window paints into and whose pixels are read back.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// An uncompressed 24-bit bottom-up .bmp file of w x h pixels, each pixel's colour given.
std::string BmpFileBytes(int w, int h, const std::function<COLORREF(int x, int y)>& colourAt);

// A 32-bit top-down device-independent section selected into a memory device context.
class CDibCanvas {
public:
    CDibCanvas(int w, int h, COLORREF fill);
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;
    ~CDibCanvas();

    HDC Dc() const { return m_hdc; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    COLORREF Pixel(int x, int y) const;

private:
    int m_nWidth;
    int m_nHeight;
    HDC m_hdc = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    const DWORD* m_pBits = nullptr;
};

// Pixels of a picture, top row first, as COLORREF values.
struct CPixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours;
    COLORREF At(int x, int y) const { return colours[static_cast<size_t>(y) * width + x]; }
};
// The pixels of a canvas.
CPixels PixelsOf(const CDibCanvas& canvas);
// The screen's pixels inside a rectangle of the screen.
CPixels CaptureScreen(const RECT& rc);
// What the window paints into an empty width x height picture (white) on WM_ERASEBKGND.
CPixels PaintErase(HWND hwnd, int width, int height);
// The pixels of a .bmp file; empty when it cannot be loaded.
CPixels LoadBitmapPixels(const std::string& path);
