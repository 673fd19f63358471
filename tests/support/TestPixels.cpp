#include "tests/support/TestPixels.h"

#include "formats/BitmapFileWriter.h"
#include "tests/support/TestEnvironment.h"

#include <cstring>
#include <stdexcept>

std::string BmpFileBytes(int w, int h, const std::function<COLORREF(int x, int y)>& colourAt)
{
    return nb::bmp::BitmapFileBytes(w, h, 24, [&colourAt](int x, int y) {
        const COLORREF c = colourAt(x, y);
        return static_cast<std::uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
    });
}

CDibCanvas::CDibCanvas(int w, int h, COLORREF fill) : m_nWidth(w), m_nHeight(h)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hdc = ::CreateCompatibleDC(nullptr);
    m_hBitmap = ::CreateDIBSection(m_hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_hdc || !m_hBitmap)
        throw std::runtime_error("cannot create a canvas");
    m_pBits = static_cast<const DWORD*>(bits);
    m_hOld = ::SelectObject(m_hdc, m_hBitmap);
    HBRUSH brush = ::CreateSolidBrush(fill);
    RECT rc{0, 0, w, h};
    ::FillRect(m_hdc, &rc, brush);
    ::DeleteObject(brush);
}

CDibCanvas::~CDibCanvas()
{
    ::SelectObject(m_hdc, m_hOld);
    ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hdc);
}

COLORREF CDibCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        throw std::out_of_range("pixel outside the canvas");
    ::GdiFlush();
    DWORD bgr = m_pBits[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth) + static_cast<std::size_t>(x)];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

CPixels PixelsOf(const CDibCanvas& canvas)
{
    ::GdiFlush();
    CPixels pixels;
    pixels.width = canvas.Width();
    pixels.height = canvas.Height();
    pixels.colours.reserve(static_cast<size_t>(pixels.width) * pixels.height);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            pixels.colours.push_back(canvas.Pixel(x, y));
    return pixels;
}

CPixels CaptureScreen(const RECT& rc)
{
    CDibCanvas canvas(rc.right - rc.left, rc.bottom - rc.top, RGB(0, 0, 0));
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), screen, rc.left, rc.top, SRCCOPY | CAPTUREBLT);
    ::ReleaseDC(nullptr, screen);
    return PixelsOf(canvas);
}

CPixels PaintErase(HWND hwnd, int width, int height)
{
    CDibCanvas canvas(width, height, RGB(255, 255, 255));
    ::SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
    return PixelsOf(canvas);
}

CPixels LoadBitmapPixels(const std::string& path)
{
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap)
        return {};
    BITMAP bm{};
    ::GetObjectA(bitmap, sizeof(bm), &bm);
    CDibCanvas canvas(bm.bmWidth, bm.bmHeight, RGB(255, 255, 255));
    HDC source = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(source, bitmap);
    ::BitBlt(canvas.Dc(), 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    ::DeleteObject(bitmap);
    return PixelsOf(canvas);
}
