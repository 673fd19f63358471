#include "flash/FlashPlayerWindow.h"

#include "flash/FlashJpegDecoder.h"
#include "flash/FlashProperties.h"
#include "framework/Gdi.h"
#include "framework/WinHandles.h"
#include "swf/SwfPlayer.h"
#include "swf/SwfRenderer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace {

constexpr UINT_PTR kFrameTimer = 1;

// The movie file's bytes, read through the system rather than the library's streams, whose
// locale machinery would more than double the size of the program.
bool ReadMovieFile(const char* path, std::vector<uint8_t>& data)
{
    CHandle file(::CreateFileA(path ? path : "", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7fffffff)
        return false;
    data.resize(static_cast<size_t>(size.QuadPart));
    DWORD nRead = 0;
    return data.empty() ||
           (::ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &nRead, nullptr) && nRead == data.size());
}

class CFlashPlayerWindow {
public:
    CFlashPlayerWindow(HWND hwnd, const CFlashProperties& props) : m_hWnd(hwnd), m_props(props) {}
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    void LoadMovie(const char* path);
    void SetReadyState(long state);
    void UpdateTimer();
    void OnTimer();
    // Renders the current frame into m_layer at the client's size; returns what changed
    // since the previous rendering (empty when nothing did).
    RECT RenderLayer(int w, int h);
    // Draws the whole client area into a device context, through a back buffer.
    void Draw(HDC hdc);
    void PaintParentBackground(HDC hdc);
    swf::Matrix View(int w, int h) const;
    CFlashState GetState() const;

    HWND m_hWnd;
    CFlashProperties m_props;
    std::unique_ptr<swf::JpegDecoder> m_jpeg;
    std::unique_ptr<swf::Movie> m_movie;
    std::unique_ptr<swf::Player> m_player;
    swf::Renderer m_renderer;
    std::unique_ptr<swf::Canvas> m_layer;  // the movie's pixels, premultiplied, over nothing
    std::unique_ptr<swf::Canvas> m_previous;  // the frame before, to find what changed
    // The back buffer, and what lies under the control, kept while the control keeps its size.
    CBitmap m_bmpBack;
    uint32_t* m_pBackBits = nullptr;
    std::vector<uint32_t> m_background;
    SIZE m_sizeBack{0, 0};
    bool m_bLayerValid = false;
    bool m_bTimer = false;
    long m_nReadyState = 0;
    int m_nFramesDrawn = 0;
};

bool IsExactFit(const CFlashProperties& props)
{
    return ::lstrcmpiA(props.m_strScale.c_str(), "ExactFit") == 0;
}

LRESULT CFlashPlayerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_FLASH_SETMOVIE:
        LoadMovie(reinterpret_cast<const char*>(lParam));
        return 0;
    case WM_FLASH_PLAY:
        if (m_player) {
            m_player->Play();
            UpdateTimer();
        }
        return 0;
    case WM_FLASH_GETSTATE:
        if (lParam)
            *reinterpret_cast<CFlashState*>(lParam) = GetState();
        return 0;
    case WM_TIMER:
        if (wParam == kFrameTimer)
            OnTimer();
        return 0;
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
        m_bLayerValid = false;
        m_background.clear();
        return 0;
    case WM_DESTROY:
        if (m_bTimer)
            ::KillTimer(m_hWnd, kFrameTimer);
        m_bTimer = false;
        return 0;
    default:
        return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
    }
}

void CFlashPlayerWindow::LoadMovie(const char* path)
{
    if (m_bTimer)
        ::KillTimer(m_hWnd, kFrameTimer);
    m_bTimer = false;
    m_player.reset();
    m_movie.reset();
    m_bLayerValid = false;
    m_nFramesDrawn = 0;
    SetReadyState(1);
    // A movie that is missing or refused shows nothing and says nothing.
    try {
        std::vector<uint8_t> data;
        if (ReadMovieFile(path, data)) {
            if (!m_jpeg)
                m_jpeg = CreateWicJpegDecoder();
            m_movie = swf::Movie::Load(data.data(), data.size(), m_jpeg.get());
        }
    } catch (const swf::FormatError&) {
        m_movie.reset();
    } catch (const std::bad_alloc&) {
        m_movie.reset();
    }
    if (m_movie) {
        m_player = std::make_unique<swf::Player>(*m_movie, m_props.m_bLoop);
        m_player->Advance();  // the first frame shows at once, playing or not
        m_background.clear();  // a new movie may have a new background colour
        if (!m_props.m_bPlay)
            m_player->Stop();
        SetReadyState(2);
        SetReadyState(3);
    }
    SetReadyState(4);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateTimer();
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

// One timer while something can still change; none once the movie has stopped.
void CFlashPlayerWindow::UpdateTimer()
{
    const bool bWant = m_player && m_player->IsAnimating();
    if (bWant && !m_bTimer) {
        const double fps = std::clamp(m_movie->frameRate, 1.0, 120.0);
        m_bTimer = ::SetTimer(m_hWnd, kFrameTimer, static_cast<UINT>(std::lround(1000 / fps)), nullptr) != 0;
    } else if (!bWant && m_bTimer) {
        ::KillTimer(m_hWnd, kFrameTimer);
        m_bTimer = false;
    }
}

void CFlashPlayerWindow::OnTimer()
{
    if (m_player && m_player->Advance()) {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        if (rc.right > 0 && rc.bottom > 0 && rc.right <= swf::kMaxCanvasSide && rc.bottom <= swf::kMaxCanvasSide) {
            // A frame that changes no pixel is not painted. One that does is painted whole, so
            // that the band stays over the siblings it overlaps (the title, with wide fonts).
            const RECT changed = RenderLayer(rc.right, rc.bottom);
            if (!::IsRectEmpty(&changed))
                ::InvalidateRect(m_hWnd, nullptr, FALSE);
        }
    }
    UpdateTimer();
}

RECT CFlashPlayerWindow::RenderLayer(int w, int h)
{
    std::swap(m_layer, m_previous);
    if (!m_layer || m_layer->width != w || m_layer->height != h)
        m_layer = std::make_unique<swf::Canvas>(w, h);
    else
        std::fill(m_layer->pixels.begin(), m_layer->pixels.end(), 0);
    m_renderer.Render(*m_player, *m_layer, View(w, h));
    m_bLayerValid = true;
    ++m_nFramesDrawn;
    if (!m_previous || m_previous->width != w || m_previous->height != h)
        return {0, 0, w, h};
    RECT changed{w, h, 0, 0};
    for (int y = 0; y < h; ++y) {
        const uint32_t* now = &m_layer->pixels[static_cast<std::size_t>(y) * w];
        const uint32_t* before = &m_previous->pixels[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            if (now[x] != before[x]) {
                changed.left = std::min<LONG>(changed.left, x);
                changed.right = std::max<LONG>(changed.right, x + 1);
                changed.top = std::min<LONG>(changed.top, y);
                changed.bottom = y + 1;
            }
        }
    }
    return changed.right > changed.left ? changed : RECT{0, 0, 0, 0};
}

swf::Matrix CFlashPlayerWindow::View(int w, int h) const
{
    const swf::Rect& stage = m_movie->stage;
    if (IsExactFit(m_props))
        return swf::ExactFitView(stage, w, h);
    // Any other scale mode shows the whole stage, centred, without distortion.
    const double sw = stage.xMax - stage.xMin, sh = stage.yMax - stage.yMin;
    const double scale = std::min(w / sw, h / sh);
    return swf::Matrix::Translate((w - sw * scale) / 2, (h - sh * scale) / 2) * swf::Matrix::Scale(scale, scale) *
           swf::Matrix::Translate(-stage.xMin, -stage.yMin);
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
            const swf::Rgba bg = m_movie ? m_movie->background : swf::Rgba{255, 255, 255, 255};
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

    if (m_player) {
        if (!m_bLayerValid || m_layer->width != w || m_layer->height != h)
            RenderLayer(w, h);
        // The movie over the background: premultiplied source over an opaque destination.
        for (LONG y = clip.top; y < clip.bottom; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * w;
            for (std::size_t i = row + clip.left; i < row + clip.right; ++i) {
                const uint32_t src = m_layer->pixels[i];
                const uint32_t inv = 255 - (src >> 24);
                if (inv == 255)
                    continue;
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
    CFlashState state;
    state.nReadyState = m_nReadyState;
    state.bMovieLoaded = m_player != nullptr;
    state.nFrame = m_player ? m_player->CurrentFrame() : 0;
    state.bPlaying = m_player && m_player->IsPlaying();
    state.bTimer = m_bTimer;
    state.nFramesDrawn = m_nFramesDrawn;
    state.bTransparent = m_props.IsTransparent();
    state.bExactFit = IsExactFit(m_props);
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
