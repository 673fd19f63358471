#include "flash/FlashPlayerWindow.h"

#include "flash/FlashBandWorker.h"
#include "flash/FlashProperties.h"
#include "framework/Gdi.h"

#include <algorithm>
#include <memory>

namespace {

class CFlashPlayerWindow {
public:
    CFlashPlayerWindow(HWND hwnd, const CFlashProperties& props) : m_hWnd(hwnd), m_props(props) {}
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Starts loading a movie on the band's worker; the ready state follows when it is done.
    void LoadMovie(const char* path);
    void OnMovieLoaded(bool bLoaded);
    void SetReadyState(long state);
    SIZE ClientSize() const;
    // Draws the whole client area into a device context, through a back buffer.
    void Draw(HDC hdc);
    void PaintParentBackground(HDC hdc);
    CFlashState GetState() const;

    HWND m_hWnd;
    CFlashProperties m_props;
    std::unique_ptr<CFlashBandWorker> m_worker;
    std::unique_ptr<swf::Canvas> m_layer;  // the newest frame, premultiplied, over nothing
    // The back buffer, and what lies under the control, kept while the control keeps its size.
    CBitmap m_bmpBack;
    uint32_t* m_pBackBits = nullptr;
    std::vector<uint32_t> m_background;
    SIZE m_sizeBack{0, 0};
    long m_nReadyState = 0;
};

LRESULT CFlashPlayerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_FLASH_SETMOVIE:
        LoadMovie(reinterpret_cast<const char*>(lParam));
        return 0;
    case WM_FLASH_PLAY:
        if (m_worker)
            m_worker->Play();
        return 0;
    case WM_FLASH_GETSTATE:
        if (lParam)
            *reinterpret_cast<CFlashState*>(lParam) = GetState();
        return 0;
    case WM_FLASH_LOADED:
        if (m_worker && lParam == m_worker->Id())
            OnMovieLoaded(wParam != FALSE);
        return 0;
    case WM_FLASH_FRAME: {
        // Only what changed is painted again.
        RECT changed;
        if (m_worker && m_worker->TakeFrame(m_layer, changed))
            ::InvalidateRect(m_hWnd, &changed, FALSE);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // painting covers everything, from a back buffer
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        Draw(dc.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        Draw(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
        if (m_worker)
            m_worker->Resize(ClientSize());
        m_background.clear();
        return 0;
    case WM_DESTROY:
        m_worker.reset();
        return 0;
    default:
        return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
    }
}

void CFlashPlayerWindow::LoadMovie(const char* path)
{
    m_worker.reset();
    m_layer.reset();
    SetReadyState(1);
    CBandOptions options;
    options.strPath = path ? path : "";
    options.bPlay = m_props.m_bPlay;
    options.bLoop = m_props.m_bLoop;
    options.scale = swf::ScaleModeNamed(m_props.m_strScale);
    options.strAlign = m_props.m_strSAlign;
    m_worker = std::make_unique<CFlashBandWorker>(m_hWnd, std::move(options), ClientSize());
}

void CFlashPlayerWindow::OnMovieLoaded(bool bLoaded)
{
    if (bLoaded) {
        m_background.clear();  // a new movie may have a new background colour
        SetReadyState(2);
        SetReadyState(3);
    } else {
        m_worker.reset();
    }
    SetReadyState(4);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

SIZE CFlashPlayerWindow::ClientSize() const
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    return {rc.right, rc.bottom};
}

void CFlashPlayerWindow::SetReadyState(long state)
{
    m_nReadyState = state;
    NMFLASHREADYSTATE nm{};
    nm.hdr.hwndFrom = m_hWnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    nm.hdr.code = kFlashReadyStateChange;
    nm.nReadyState = state;
    ::SendMessageA(::GetParent(m_hWnd), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

void CFlashPlayerWindow::PaintParentBackground(HDC hdc)
{
    HWND parent = ::GetParent(m_hWnd);
    POINT origin{0, 0};
    ::MapWindowPoints(m_hWnd, parent, &origin, 1);
    POINT old;
    ::SetViewportOrgEx(hdc, -origin.x, -origin.y, &old);
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    ::SetViewportOrgEx(hdc, old.x, old.y, nullptr);
}

void CFlashPlayerWindow::Draw(HDC hdc)
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    const int w = rc.right, h = rc.bottom;
    if (w <= 0 || h <= 0 || w > swf::kMaxCanvasSide || h > swf::kMaxCanvasSide)
        return;

    // Only what the device context lets through.
    RECT clip;
    if (::GetClipBox(hdc, &clip) == NULLREGION || !::IntersectRect(&clip, &clip, &rc))
        return;
    CMemoryDC memory(hdc);
    if (!m_bmpBack || m_sizeBack.cx != w || m_sizeBack.cy != h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* pvBits = nullptr;
        m_bmpBack.DeleteObject();
        m_bmpBack.Attach(::CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &pvBits, nullptr, 0));
        m_pBackBits = static_cast<uint32_t*>(pvBits);
        m_sizeBack = {w, h};
        m_background.clear();
        if (!m_bmpBack || !m_pBackBits)
            return;
    }
    CSelectObject select(memory.Get(), m_bmpBack.GetSafeHandle());
    const std::size_t count = static_cast<std::size_t>(w) * h;
    if (m_background.size() != count) {
        // What shows where the movie is empty: the parent's background in transparent mode
        // (it does not change under the control), else the movie's background colour.
        if (m_props.IsTransparent()) {
            PaintParentBackground(memory.Get());
        } else {
            const swf::Rgba bg = m_worker ? m_worker->Status().background : swf::Rgba{255, 255, 255, 255};
            CGdiObject<HBRUSH> brush;
            brush.Attach(::CreateSolidBrush(RGB(bg.r, bg.g, bg.b)));
            ::FillRect(memory.Get(), &rc, brush.GetSafeHandle());
        }
        ::GdiFlush();
        m_background.assign(m_pBackBits, m_pBackBits + count);
    } else {
        ::GdiFlush();
        for (LONG y = clip.top; y < clip.bottom; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * w;
            std::copy(m_background.begin() + row + clip.left, m_background.begin() + row + clip.right,
                      m_pBackBits + row + clip.left);
        }
    }

    if (m_worker && m_layer && m_layer->width == w && m_layer->height == h) {
        // The movie over the background: premultiplied source over an opaque destination.
        for (LONG y = clip.top; y < clip.bottom; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * w;
            for (std::size_t i = row + clip.left; i < row + clip.right; ++i) {
                const uint32_t src = m_layer->pixels[i];
                const uint32_t inv = 255 - (src >> 24);
                if (inv == 255)
                    continue;
                if (inv == 0) {
                    m_pBackBits[i] = src & 0x00FFFFFF;  // opaque: the movie's pixel as it is
                    continue;
                }
                const uint32_t d = m_pBackBits[i];
                auto ch = [&](int shift) {
                    return std::min<uint32_t>(255, (src >> shift & 255) + ((d >> shift & 255) * inv + 127) / 255)
                           << shift;
                };
                m_pBackBits[i] = ch(16) | ch(8) | ch(0);
            }
        }
    }
    ::BitBlt(hdc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, memory.Get(), clip.left,
             clip.top, SRCCOPY);
}

CFlashState CFlashPlayerWindow::GetState() const
{
    const CBandStatus band = m_worker ? m_worker->Status() : CBandStatus{};
    CFlashState state;
    state.nReadyState = m_nReadyState;
    state.bMovieLoaded = band.bLoaded;
    state.nFrame = band.nFrame;
    state.bPlaying = band.bPlaying;
    state.bTimer = band.bAnimating;
    state.nFramesDrawn = band.nFramesDrawn;
    state.nFramesOverBudget = band.nFramesOverBudget;
    state.bTransparent = m_props.IsTransparent();
    state.bExactFit = swf::ScaleModeNamed(m_props.m_strScale) == swf::ScaleMode::ExactFit;
    return state;
}

// The stored properties that the dialog template gives the control: its creation data, a
// 16-bit byte count followed by the stream.
CFlashProperties ReadCreationData(const void* pCreateParams)
{
    const uint8_t* p = static_cast<const uint8_t*>(pCreateParams);
    if (!p)
        return CFlashProperties{};
    const std::size_t size = p[0] | p[1] << 8;
    return CFlashProperties::Read(p + 2, size);
}

}  // namespace

LRESULT CALLBACK FlashPlayerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* window = new CFlashPlayerWindow(hwnd, ReadCreationData(cs->lpCreateParams));
        ::SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<CFlashPlayerWindow*>(::GetWindowLongPtrA(hwnd, 0));
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, 0, 0);
        delete window;
        window = nullptr;
    }
    if (!window)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    return window->Handle(message, wParam, lParam);
}
