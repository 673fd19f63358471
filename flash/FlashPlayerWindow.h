// The animation control's own window, behind the class named by the Shockwave Flash class
// id: it reads its stored properties when it is created, has its worker (FlashBandWorker.h)
// load and play a movie at the movie's frame rate beside the window's thread, and paints the
// worker's frames double-buffered over its parent's background.
// CShockwaveFlash talks to it through the messages below; it reports its ready state to its
// parent as a WM_NOTIFY.
#pragma once

#include <windows.h>

// Messages to the control.
inline constexpr UINT WM_FLASH_SETMOVIE = WM_USER + 0x300;  // lParam: const char* path
inline constexpr UINT WM_FLASH_PLAY = WM_USER + 0x301;
inline constexpr UINT WM_FLASH_GETSTATE = WM_USER + 0x302;  // lParam: CFlashState*

// The ready-state event: WM_NOTIFY code and its data.
inline constexpr UINT kFlashReadyStateChange = static_cast<UINT>(-609);
struct NMFLASHREADYSTATE {
    NMHDR hdr;
    long nReadyState;  // 1 loading, 2 loaded, 3 interactive, 4 complete
};

// What the control is doing, for those who look at it from outside.
struct CFlashState {
    long nReadyState = 0;
    bool bMovieLoaded = false;
    int nFrame = 0;          // the frame shown, 1-based; 0 without a movie
    bool bPlaying = false;   // the movie's main timeline plays
    bool bTimer = false;     // frames are stepped at the frame rate
    int nFramesDrawn = 0;    // frames rendered since the movie was set
    int nFramesOverBudget = 0;  // frames in a row that needed more than their work budget
    bool bTransparent = false;
    bool bExactFit = false;
};

LRESULT CALLBACK FlashPlayerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
