#include "flash/FlashBandWorker.h"

#include "framework/WinHandles.h"
#include "swf/avm1/Scripts.h"
#include "swf/render/Renderer.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace {

using Clock = std::chrono::steady_clock;

// The movie file's bytes, read through the system rather than the library's streams, whose
// locale machinery would more than double the size of the program. Its size is looked at
// first: a file over the movie's byte budget is refused before any of it is read.
std::vector<uint8_t> ReadMovieFile(const std::string& path)
{
    CHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size))
        throw swf::FormatError("the movie cannot be read");
    if (static_cast<unsigned long long>(size.QuadPart) > swf::kMaxMovieBytes)
        throw swf::FormatError("the movie is too large");
    std::vector<uint8_t> data(static_cast<std::size_t>(size.QuadPart));
    DWORD nRead = 0;
    if (!data.empty() &&
        (!::ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &nRead, nullptr) || nRead != data.size()))
        throw swf::FormatError("the movie cannot be read");
    return data;
}

bool CanDraw(SIZE size)
{
    return size.cx > 0 && size.cy > 0 && size.cx <= swf::kMaxCanvasSide && size.cy <= swf::kMaxCanvasSide;
}

}  // namespace

CFlashBandWorker::CFlashBandWorker(HWND hwndNotify, CBandOptions options, SIZE size)
    : m_hwndNotify(hwndNotify), m_options(std::move(options)), m_size(size), m_thread([this] { Run(); })
{
}

CFlashBandWorker::~CFlashBandWorker()
{
    m_bStop = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wake.notify_all();
    }
    m_thread.join();
}

void CFlashBandWorker::Play()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_status.bLoaded)
        return;
    m_bPlayRequested = true;
    m_wake.notify_all();
}

void CFlashBandWorker::Resize(SIZE size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_size = size;
    m_bResized = true;
    m_wake.notify_all();
}

bool CFlashBandWorker::TakeFrame(std::unique_ptr<swf::Canvas>& frame)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_ready)
        return false;
    frame = std::move(m_ready);
    return true;
}

CBandStatus CFlashBandWorker::Status() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

void CFlashBandWorker::Run()
{
    std::unique_ptr<swf::Movie> movie;
    try {
        const std::vector<uint8_t> data = ReadMovieFile(m_options.strPath);
        movie = swf::Movie::Load(data.data(), data.size(), nullptr, swf::kMaxMovieBytes, &m_bStop);
    } catch (const swf::FormatError&) {
        // A movie that is missing or refused shows nothing and says nothing.
    } catch (const std::bad_alloc&) {
    }
    if (!movie) {
        ::PostMessageA(m_hwndNotify, WM_FLASH_LOADED, FALSE, reinterpret_cast<LPARAM>(this));
        return;
    }
    swf::Player player(*movie, swf::avm1::MakeScripts, m_options.bLoop);
    player.CancelWith(&m_bStop);
    swf::Renderer renderer;
    renderer.CancelWith(&m_bStop);
    player.Advance();  // the first frame shows at once, playing or not
    if (!m_options.bPlay)
        player.Stop();

    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1 / std::clamp(movie->frameRate, 1.0, 120.0)));
    std::unique_ptr<swf::Canvas> shown;  // the last frame handed over, to find frames that change nothing
    bool bDraw = true;                   // the frame shown needs drawing (the first, or at a new size)
    Clock::time_point next = Clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_status.bLoaded = true;
    m_status.background = movie->background;
    ::PostMessageA(m_hwndNotify, WM_FLASH_LOADED, TRUE, reinterpret_cast<LPARAM>(this));
    while (!m_bStop) {
        if (m_bPlayRequested) {
            player.Play();
            m_bPlayRequested = false;
        }
        bDraw = bDraw || m_bResized;
        m_bResized = false;
        const bool bAnimating = player.IsAnimating() && m_status.nFramesOverBudget < kMaxFramesOverBudget;
        m_status.bAnimating = bAnimating;
        m_status.nFrame = player.CurrentFrame();
        m_status.bPlaying = player.IsPlaying();
        const Clock::time_point start = Clock::now();
        const bool bStep = bAnimating && start >= next;
        if (!bDraw && !bStep) {
            if (bAnimating)
                m_wake.wait_until(lock, next);
            else
                m_wake.wait(lock);
            continue;
        }
        const SIZE size = m_size;
        lock.unlock();

        // The frame's work, away from the lock: step, then draw when something changed.
        bool bWhole = true;
        std::unique_ptr<swf::Canvas> canvas;
        if (bStep) {
            bDraw = player.Advance() || bDraw;
            bWhole = !player.OverBudget();
        }
        if (bDraw && bWhole && CanDraw(size)) {
            canvas = std::make_unique<swf::Canvas>(size.cx, size.cy);
            bWhole = renderer.Render(player, *canvas, swf::StageView(movie->stage, m_options.scale, m_options.strAlign, size.cx, size.cy));
        }
        // A frame that changes no pixel is not handed over; one over its budget is not shown,
        // and the window keeps its last good picture.
        const bool bNew = canvas && bWhole &&
                          (!shown || shown->width != canvas->width || shown->height != canvas->height ||
                           shown->pixels != canvas->pixels);
        const Clock::time_point end = Clock::now();
        // The band works at most half of the time: a slow frame pushes the next one away.
        next = std::max(start + period, end + (end - start));
        bDraw = false;

        lock.lock();
        if (canvas)
            ++m_status.nFramesDrawn;
        m_status.nFramesOverBudget = bWhole ? 0 : m_status.nFramesOverBudget + 1;
        if (bNew) {
            shown = std::make_unique<swf::Canvas>(*canvas);
            const bool bPosted = m_ready != nullptr;
            m_ready = std::move(canvas);
            if (!bPosted)
                ::PostMessageA(m_hwndNotify, WM_FLASH_FRAME, 0, 0);
        }
    }
}
