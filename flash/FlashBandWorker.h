// The band's player on a thread of its own: it loads the movie, steps it at the movie's frame
// rate, draws each frame and hands the finished frames to the control's window, so that the
// window never waits for the movie. The control's window owns it; destroying it stops the
// thread (within the frame's work at most) and waits for it.
#pragma once

#include "swf/render/Raster.h"
#include "swf/render/StageView.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Messages the worker posts to the control's window.
// wParam: TRUE when the movie loaded; lParam: the worker, so that a replaced one's word is told apart
inline constexpr UINT WM_FLASH_LOADED = WM_USER + 0x310;
inline constexpr UINT WM_FLASH_FRAME = WM_USER + 0x311;   // a new frame waits in TakeFrame

// How the band plays the movie.
struct CBandOptions {
    std::string strPath;
    bool bPlay = true;      // plays from the start, or waits for Play
    bool bLoop = true;
    swf::ScaleMode scale = swf::ScaleMode::ExactFit;
    std::string strAlign;  // the SAlign property
};

// What the worker is doing.
struct CBandStatus {
    bool bLoaded = false;
    int nFrame = 0;          // the root's frame, 1-based
    bool bPlaying = false;
    bool bAnimating = false;  // it steps frames at the frame rate
    int nFramesDrawn = 0;     // frames rendered
    int nFramesOverBudget = 0;
    swf::Rgba background{255, 255, 255, 255};
};

class CFlashBandWorker {
public:
    // Frames over their work budget in a row after which the band stops stepping.
    static constexpr int kMaxFramesOverBudget = 24;

    CFlashBandWorker(HWND hwndNotify, CBandOptions options, SIZE size);
    ~CFlashBandWorker();
    CFlashBandWorker(const CFlashBandWorker&) = delete;
    CFlashBandWorker& operator=(const CFlashBandWorker&) = delete;

    // Starts the loaded movie's main timeline; before the movie has loaded it does nothing.
    void Play();
    // The size the frames are drawn at, in pixels.
    void Resize(SIZE size);
    // Moves the newest finished frame into `frame`; false when none came since the last call.
    bool TakeFrame(std::unique_ptr<swf::Canvas>& frame);
    CBandStatus Status() const;

private:
    void Run();

    const HWND m_hwndNotify;
    const CBandOptions m_options;
    std::atomic<bool> m_bStop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    // Guarded by m_mutex.
    SIZE m_size;
    bool m_bResized = false;
    bool m_bPlayRequested = false;
    std::unique_ptr<swf::Canvas> m_ready;  // the newest finished frame, not yet taken
    CBandStatus m_status;
    std::thread m_thread;  // last: it starts once everything above is set
};
