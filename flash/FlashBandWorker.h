// The band's player on a thread of its own: it loads the movie, steps it at the movie's frame
// rate, draws each frame and hands the finished frames to the control's window, so that the
// window never waits for the movie. The control's window owns it; destroying it asks the
// thread to stop and waits a moment for it: a thread still busy after that (in a long built-in
// of a hostile script) is left to end by itself with what it shares, so that closing the window
// never waits on the movie.
#pragma once

#include "swf/render/Raster.h"
#include "swf/render/StageView.h"

#include <windows.h>

#include "framework/WinHandles.h"

#include <memory>
#include <string>

// Messages the worker posts to the control's window.
// wParam: TRUE when the movie loaded; lParam: the worker's Id, so that a replaced one's word is told apart
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
    // How long destroying the worker waits for its thread to stop.
    static constexpr DWORD kStopWaitMs = 200;
    // The band's thread works in stretches of at most kRunMs and rests kHoldMs after each, so
    // that even one long frame takes under half of a processor.
    static constexpr int kRunMs = 20;
    static constexpr int kHoldMs = 35;

    CFlashBandWorker(HWND hwndNotify, CBandOptions options, SIZE size);
    ~CFlashBandWorker();
    CFlashBandWorker(const CFlashBandWorker&) = delete;
    CFlashBandWorker& operator=(const CFlashBandWorker&) = delete;

    // Starts the loaded movie's main timeline; before the movie has loaded it does nothing.
    void Play();
    // The size the frames are drawn at, in pixels.
    void Resize(SIZE size);
    // Moves the newest finished frame into `frame`, and into `changed` the part of the
    // picture that differs from the frame taken before; false when none came since.
    bool TakeFrame(std::unique_ptr<swf::Canvas>& frame, RECT& changed);
    CBandStatus Status() const;
    // What the worker's messages carry in lParam.
    LPARAM Id() const { return reinterpret_cast<LPARAM>(m_shared.get()); }

    // Band threads that outlived their worker and still run: the program ends its process
    // itself when there are any, rather than tearing its statics down under them.
    static int RunningThreads();

private:
    struct CShared;  // what the thread and the window share; the thread keeps its own reference
    static unsigned __stdcall ThreadMain(void* param);

    std::shared_ptr<CShared> m_shared;
    CHandle m_thread;
};
