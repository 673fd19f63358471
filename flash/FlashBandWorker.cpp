#include "flash/FlashBandWorker.h"

#include "swf/avm1/Scripts.h"
#include "swf/render/Renderer.h"

#include <process.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> g_nRunningThreads{0};

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

// The rectangle of the pixels that differ between two frames (the whole frame when there was
// none before or its size differs); empty when they are the same.
RECT ChangedPart(const swf::Canvas* before, const swf::Canvas& after)
{
    const RECT whole{0, 0, after.width, after.height};
    if (!before || before->width != after.width || before->height != after.height)
        return whole;
    RECT changed{after.width, after.height, 0, 0};
    for (int y = 0; y < after.height; ++y) {
        const uint32_t* a = &before->pixels[static_cast<std::size_t>(y) * after.width];
        const uint32_t* b = &after.pixels[static_cast<std::size_t>(y) * after.width];
        int x0 = 0, x1 = after.width;
        while (x0 < x1 && a[x0] == b[x0])
            ++x0;
        if (x0 == x1)
            continue;
        while (a[x1 - 1] == b[x1 - 1])
            --x1;
        changed = {std::min<LONG>(changed.left, x0), std::min<LONG>(changed.top, y), std::max<LONG>(changed.right, x1),
                   y + 1};
    }
    return changed.left < changed.right ? changed : RECT{};
}

}  // namespace

struct CFlashBandWorker::CShared {
    CShared(HWND hwnd, CBandOptions bandOptions, SIZE frameSize)
        : hwndNotify(hwnd), options(std::move(bandOptions)), size(frameSize)
    {
    }

    // Loads the movie and plays it until asked to stop.
    void Run();
    // Tells the window, unless it asked the worker to stop (the window may be gone).
    void Post(UINT message, WPARAM wParam)
    {
        if (!bStop)
            ::PostMessageA(hwndNotify, message, wParam, reinterpret_cast<LPARAM>(this));
    }
    // Called inside the frame's work: once the thread worked kRunMs since its last rest, it
    // rests kHoldMs (a stop request ends the rest at once).
    void Pace()
    {
        const Clock::time_point now = Clock::now();
        if (now - workingSince < std::chrono::milliseconds(kRunMs))
            return;
        worked += now - workingSince;
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait_for(lock, std::chrono::milliseconds(kHoldMs), [this] { return bStop.load(); });
        workingSince = Clock::now();
    }

    const HWND hwndNotify;
    const CBandOptions options;
    std::atomic<bool> bStop{false};
    std::mutex mutex;
    std::condition_variable wake;
    // Guarded by the mutex.
    SIZE size;
    bool bResized = false;
    bool bPlayRequested = false;
    std::unique_ptr<swf::Canvas> ready;  // the newest finished frame, not yet taken
    RECT changed{};                      // what the frames not yet taken changed
    CBandStatus status;
    // The thread's own: when its current stretch of work began, and its work in this frame.
    Clock::time_point workingSince;
    Clock::duration worked{};
};

CFlashBandWorker::CFlashBandWorker(HWND hwndNotify, CBandOptions options, SIZE size)
    : m_shared(std::make_shared<CShared>(hwndNotify, std::move(options), size))
{
    auto* threadShare = new std::shared_ptr<CShared>(m_shared);
    ++g_nRunningThreads;
    m_thread = CHandle(reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, ThreadMain, threadShare, 0, nullptr)));
    if (!m_thread) {
        --g_nRunningThreads;
        delete threadShare;
        m_shared->Post(WM_FLASH_LOADED, FALSE);
    }
}

CFlashBandWorker::~CFlashBandWorker()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->bStop = true;
        m_shared->wake.notify_all();
    }
    if (m_thread)
        ::WaitForSingleObject(m_thread.Get(), kStopWaitMs);
}

unsigned __stdcall CFlashBandWorker::ThreadMain(void* param)
{
    std::unique_ptr<std::shared_ptr<CShared>> shared(static_cast<std::shared_ptr<CShared>*>(param));
    (*shared)->Run();
    shared.reset();  // the last owner may be this thread
    --g_nRunningThreads;
    return 0;
}

int CFlashBandWorker::RunningThreads()
{
    return g_nRunningThreads;
}

void CFlashBandWorker::Play()
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (!m_shared->status.bLoaded)
        return;
    m_shared->bPlayRequested = true;
    m_shared->wake.notify_all();
}

void CFlashBandWorker::Resize(SIZE size)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->size = size;
    m_shared->bResized = true;
    m_shared->wake.notify_all();
}

bool CFlashBandWorker::TakeFrame(std::unique_ptr<swf::Canvas>& frame, RECT& changed)
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (!m_shared->ready)
        return false;
    frame = std::move(m_shared->ready);
    changed = std::exchange(m_shared->changed, RECT{});
    return true;
}

CBandStatus CFlashBandWorker::Status() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->status;
}

void CFlashBandWorker::CShared::Run()
{
    std::unique_ptr<swf::Movie> movie;
    try {
        const std::vector<uint8_t> data = ReadMovieFile(options.strPath);
        movie = swf::Movie::Load(data.data(), data.size(), nullptr, swf::kMaxMovieBytes, &bStop);
    } catch (const swf::FormatError&) {
        // A movie that is missing or refused shows nothing and says nothing.
    } catch (const std::bad_alloc&) {
    }
    if (!movie) {
        Post(WM_FLASH_LOADED, FALSE);
        return;
    }
    swf::Player player(*movie, swf::avm1::MakeScripts, options.bLoop);
    player.CancelWith(&bStop);
    player.PaceWith([this] { Pace(); });
    player.SetClipPainter(swf::MakeClipPainter());  // what BitmapData.draw paints with
    swf::Renderer renderer;
    renderer.CancelWith(&bStop);
    renderer.PaceWith([this] { Pace(); });
    workingSince = Clock::now();
    player.Advance();  // the first frame shows at once, playing or not
    if (!options.bPlay)
        player.Stop();

    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1 / std::clamp(movie->frameRate, 1.0, 120.0)));
    std::unique_ptr<swf::Canvas> shown;  // the last frame handed over, to find frames that change nothing
    bool bDraw = true;                   // the frame shown needs drawing (the first, or at a new size)
    Clock::time_point next = Clock::now();
    std::unique_lock<std::mutex> lock(mutex);
    status.bLoaded = true;
    status.background = movie->background;
    Post(WM_FLASH_LOADED, TRUE);
    while (!bStop) {
        if (bPlayRequested) {
            player.Play();
            bPlayRequested = false;
        }
        bDraw = bDraw || bResized;
        bResized = false;
        const bool bAnimating = player.IsAnimating() && status.nFramesOverBudget < kMaxFramesOverBudget;
        status.bAnimating = bAnimating;
        status.nFrame = player.CurrentFrame();
        status.bPlaying = player.IsPlaying();
        const Clock::time_point start = Clock::now();
        const bool bStep = bAnimating && start >= next;
        if (!bDraw && !bStep) {
            if (bAnimating)
                wake.wait_until(lock, next);
            else
                wake.wait(lock);
            continue;
        }
        const SIZE drawSize = size;
        lock.unlock();
        workingSince = start;
        worked = {};

        // The frame's work, away from the lock: step, then draw when something changed.
        bool bWhole = true;
        std::unique_ptr<swf::Canvas> canvas;
        if (bStep) {
            bDraw = player.Advance() || bDraw;
            bWhole = !player.OverBudget();
        }
        if (bDraw && bWhole && CanDraw(drawSize)) {
            canvas = std::make_unique<swf::Canvas>(drawSize.cx, drawSize.cy);
            bWhole = renderer.Render(player, *canvas, swf::StageView(movie->stage, options.scale, options.strAlign, drawSize.cx, drawSize.cy));
        }
        // A frame that changes no pixel is not handed over; one over its budget is not shown,
        // and the window keeps its last good picture.
        const RECT part = canvas && bWhole ? ChangedPart(shown.get(), *canvas) : RECT{};
        const bool bNew = !::IsRectEmpty(&part);
        const Clock::time_point end = Clock::now();
        worked += end - workingSince;
        // The band works at most half of the time: a slow frame pushes the next one away.
        next = std::max(start + period, end + worked);
        bDraw = false;

        lock.lock();
        if (canvas)
            ++status.nFramesDrawn;
        status.nFramesOverBudget = bWhole ? 0 : status.nFramesOverBudget + 1;
        if (bNew) {
            shown = std::make_unique<swf::Canvas>(*canvas);
            ::UnionRect(&changed, &changed, &part);
            const bool bPosted = ready != nullptr;
            ready = std::move(canvas);
            if (!bPosted)
                Post(WM_FLASH_FRAME, 0);
        }
    }
}
