// The animation in the main window's top band: our player behind control 1102 plays the
// sample band once and stops on its last frame, shows the window's background around its
// shapes, and leaves the window complete and silent without a movie.
#include "res/resource.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/TestPixels.h"

#include <gtest/gtest.h>

namespace {

class MainWindowAnimationTest : public CMainWindowTest {
protected:
    // The control's pixels, as it paints them, and the background bitmap under it.
    void ExpectBackgroundAt(HWND control, std::initializer_list<POINT> points, bool bSame)
    {
        CDibCanvas canvas(240, 130, RGB(1, 2, 3));
        ::SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        const CPixels background = LoadBitmapPixels(ImagesDirectory() + "\\BkgdNoLg.bmp");
        for (POINT p : points)
            EXPECT_EQ(bSame, background.At(474 + p.x, p.y) == canvas.Pixel(p.x, p.y)) << p.x << "," << p.y;
    }
};

// Dispatches the window's messages until the test holds or the time is up.
bool PumpUntil(HWND dialog, const std::function<bool()>& test, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (!test()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages(dialog);
    }
    return true;
}

}  // namespace

TEST_F(MainWindowAnimationTest, BandPlaysOnceAndStopsOnItsLastFrame)
{
    Run([&](HWND dialog, CAnimationDlg& dlg) {
        // The movie loads beside the window; then the stored properties: transparent,
        // stretched, waiting for Play, not looping.
        EXPECT_TRUE(PumpUntil(dialog, [&] { return dlg.GetFlash().GetState().nReadyState == 4; }, 5000));
        CFlashState state = dlg.GetFlash().GetState();
        EXPECT_EQ(4, state.nReadyState);
        EXPECT_TRUE(state.bMovieLoaded);
        EXPECT_TRUE(state.bTransparent);
        EXPECT_TRUE(state.bExactFit);
        EXPECT_TRUE(state.bPlaying) << "the ready-state events asked it to play";
        EXPECT_TRUE(state.bTimer);
        ::UpdateWindow(dialog);

        // 24 frames at 12 frames per second: two seconds.
        EXPECT_TRUE(PumpUntil(dialog, [&] { return !dlg.GetFlash().GetState().bTimer; }, 10000));
        state = dlg.GetFlash().GetState();
        EXPECT_EQ(24, state.nFrame);
        EXPECT_FALSE(state.bPlaying);
        EXPECT_GE(state.nFramesDrawn, 2);

        // Around the band's rounded backdrop the window's background shows; on it, not.
        HWND control = ::GetDlgItem(dialog, IDC_ANIMATION);
        ExpectBackgroundAt(control, {{1, 1}, {238, 1}, {1, 128}, {120, 5}, {238, 128}}, true);
        ExpectBackgroundAt(control, {{60, 30}, {120, 100}, {200, 60}}, false);

        // Stopped, it draws nothing more.
        const int drawn = state.nFramesDrawn;
        ::InvalidateRect(control, nullptr, FALSE);
        PumpUntil(dialog, [] { return false; }, 300);
        EXPECT_EQ(drawn, dlg.GetFlash().GetState().nFramesDrawn);
        EXPECT_FALSE(dlg.GetFlash().GetState().bTimer);
        dlg.EndDialog(IDCANCEL);
    });
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(MainWindowAnimationTest, MissingMovieShowsNothing)
{
    const std::string movie = ImagesDirectory() + "\\corvane.swf";
    for (bool bBroken : {false, true}) {
        ASSERT_TRUE(::DeleteFileA(movie.c_str()) || bBroken);
        if (bBroken)
            WriteFileBytes(movie, std::string("FWS\x08\xFF\xFF\0\0garbage", 15));
        Run([&](HWND dialog, CAnimationDlg& dlg) {
            EXPECT_TRUE(PumpUntil(dialog, [&] { return dlg.GetFlash().GetState().nReadyState == 4; }, 5000));
            const CFlashState state = dlg.GetFlash().GetState();
            EXPECT_EQ(4, state.nReadyState);
            EXPECT_FALSE(state.bMovieLoaded);
            EXPECT_FALSE(state.bTimer);
            ExpectBackgroundAt(::GetDlgItem(dialog, IDC_ANIMATION), {{1, 1}, {60, 30}, {120, 100}}, true);
            // The rest of the replica is there.
            EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, IDC_CATEGORY1)));
            dlg.EndDialog(IDCANCEL);
        });
        EXPECT_TRUE(m_boxes.m_boxes.empty());
    }
}
