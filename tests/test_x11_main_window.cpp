// The main window on a real display with the real pointer: what it shows on the screen, the
// web-link highlight under the pointer, dragging by its top strip, and the editors holding it.
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/MainWindowHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const COLORREF kGold = RGB(238, 181, 4);
const COLORREF kTitleColour = RGB(0, 255, 255);
const COLORREF kHintColour = RGB(255, 255, 64);

// Runs the dialog's messages for a while, so that it paints and the display shows it.
void PumpFor(HWND dialog, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        PumpMessages(dialog);
        ::UpdateWindow(dialog);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (::GetTickCount() - start < milliseconds);
    PumpMessages(dialog);
}

void PressLeftButton(bool bDown)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = bDown ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof(input));
}

// Whether a colour occurs in a rectangle of the screenshot (client coordinates offset by the
// client area's place on the screen).
bool ColourInside(const CPixels& shot, const RECT& rc, COLORREF colour)
{
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (x >= 0 && y >= 0 && x < shot.width && y < shot.height && shot.At(x, y) == colour)
                return true;
    return false;
}

RECT ScreenRectOf(HWND hwnd)
{
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

// A click of the real pointer at a screen point.
void ClickAt(POINT p)
{
    ::SetCursorPos(p.x, p.y);
    PressLeftButton(true);
    PressLeftButton(false);
}

class X11MainWindowTest : public CMainWindowTest {};

TEST_F(X11MainWindowTest, PointerHighlightsAWebLinkOnScreen)
{
    CPixels background = LoadBitmapPixels(ImagesDirectory() + "\\BkgdNoLg.bmp");
    ASSERT_EQ(800, background.width);

    Run([&](HWND d, CAnimationDlg& dlg) {
        ::SetCursorPos(1000, 700);  // away from the window
        PumpFor(d, 500);

        // The real pointer onto web-link icon 2.
        RECT icon = ScreenRectOf(::GetDlgItem(d, IDC_WEBLINK_ICON2));
        ::SetCursorPos((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
        PumpFor(d, 500);
        EXPECT_TRUE(BitmapStaticOf(d, IDC_WEBLINK_ICON2).IsHighlighted());
        EXPECT_TRUE(BitmapStaticOf(d, IDC_WEBLINK_TEXT2).IsHighlighted());
        EXPECT_FALSE(BitmapStaticOf(d, IDC_WEBLINK_TEXT1).IsHighlighted());
        EXPECT_GT(dlg.GetHoverStatistics().nWebLinkHovers, 0);

        const CPixels shot = CaptureScreen(ScreenRectOf(d));

        // Screen positions of client points inside the screenshot.
        POINT origin{0, 0};
        ::ClientToScreen(d, &origin);
        const RECT window = ScreenRectOf(d);
        auto inShot = [&](RECT rc) {
            ::OffsetRect(&rc, origin.x - window.left, origin.y - window.top);
            return rc;
        };

        // The background where no control lies is the picture, pixel for pixel.
        int compared = 0;
        for (int y = 5; y < 590; y += 23) {
            for (int x = 5; x < 790; x += 31) {
                if (::ChildWindowFromPointEx(d, POINT{x, y}, CWP_SKIPINVISIBLE) != d)
                    continue;
                RECT at = inShot(RECT{x, y, x + 1, y + 1});
                EXPECT_EQ(background.At(x, y), shot.At(at.left, at.top)) << "background at " << x << ", " << y;
                ++compared;
            }
        }
        EXPECT_GT(compared, 200);

        // Web-link text 2 in the highlighted colour, beside its icon.
        RECT text2 = ControlRect(d, IDC_WEBLINK_TEXT2);
        RECT iconRect = ControlRect(d, IDC_WEBLINK_ICON2);
        text2.left = std::max(text2.left, iconRect.right);
        EXPECT_TRUE(ColourInside(shot, inShot(text2), kGold)) << "web-link text 2 is gold";
        RECT text1 = ControlRect(d, IDC_WEBLINK_TEXT1);
        text1.left = std::max(text1.left, ControlRect(d, IDC_WEBLINK_ICON1).right);
        EXPECT_FALSE(ColourInside(shot, inShot(text1), kGold)) << "web-link text 1 is not";
        EXPECT_TRUE(ColourInside(shot, inShot(text1), RGB(255, 255, 255)));
        EXPECT_TRUE(ColourInside(shot, inShot(ControlRect(d, IDC_TITLE)), kTitleColour));
        EXPECT_TRUE(ColourInside(shot, inShot(ControlRect(d, IDC_HINT)), kHintColour));

        // Away to the background right of the links: back to rest.
        ::SetCursorPos(window.left + 785, window.top + 300);
        PumpFor(d, 300);
        EXPECT_FALSE(BitmapStaticOf(d, IDC_WEBLINK_ICON2).IsHighlighted());
        const CPixels rest = CaptureScreen(window);
        EXPECT_FALSE(ColourInside(rest, inShot(text2), kGold));

        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(X11MainWindowTest, PointerRestingOnTheCloseFieldShowsItsTip)
{
    Run([&](HWND d, CAnimationDlg& dlg) {
        ::SetCursorPos(1000, 700);
        PumpFor(d, 300);
        RECT close = ScreenRectOf(::GetDlgItem(d, IDC_CLOSE));
        ::SetCursorPos((close.left + close.right) / 2, (close.top + close.bottom) / 2);
        PumpFor(d, 150);
        ::SetCursorPos((close.left + close.right) / 2 + 1, (close.top + close.bottom) / 2);
        PumpFor(d, 900);
        HWND toolTip = dlg.GetToolTipWindow();
        ASSERT_TRUE(::IsWindowVisible(toolTip)) << "the tip shows after the initial delay";
        RECT tip = ScreenRectOf(toolTip);
        EXPECT_LE(tip.right - tip.left, 200 + 20) << "at most 200 pixels of text";
        const CPixels shot = CaptureScreen(tip);
        const RECT whole{0, 0, tip.right - tip.left, tip.bottom - tip.top};
        EXPECT_TRUE(ColourInside(shot, whole, RGB(0, 17, 40))) << "the tip's background";
        EXPECT_TRUE(ColourInside(shot, whole, RGB(255, 255, 255))) << "the tip's text";
        ::SetCursorPos(1000, 700);
        dlg.EndDialog(IDCANCEL);
    });
}

TEST_F(X11MainWindowTest, TopStripDragsTheWindowAndTheRestDoesNot)
{
    struct Case {
        int dy;       // below the window's top edge
        bool moves;
    };
    for (Case c : {Case{50, true}, Case{150, false}}) {
        Run([&](HWND d, CAnimationDlg& dlg) {
            PumpFor(d, 300);
            const RECT before = ScreenRectOf(d);
            const POINT start{before.left + 20, before.top + c.dy};
            ::SetCursorPos(start.x, start.y);
            PumpFor(d, 100);
            PressLeftButton(true);
            ::SetCursorPos(start.x + 20, start.y + 15);
            ::SetCursorPos(start.x + 40, start.y + 30);
            PressLeftButton(false);
            PumpFor(d, 500);
            const RECT after = ScreenRectOf(d);
            if (c.moves) {
                EXPECT_EQ(before.left + 40, after.left) << "pressed " << c.dy << " px below the top";
                EXPECT_EQ(before.top + 30, after.top) << "pressed " << c.dy << " px below the top";
            } else {
                EXPECT_EQ(before.left, after.left) << "pressed " << c.dy << " px below the top";
                EXPECT_EQ(before.top, after.top) << "pressed " << c.dy << " px below the top";
            }
            EXPECT_EQ(800, after.right - after.left);
            ::SetCursorPos(1000, 700);
            dlg.EndDialog(IDCANCEL);
        });
    }
    EXPECT_TRUE(m_boxes.m_boxes.empty());
}

TEST_F(X11MainWindowTest, EachEditorHoldsTheMainWindowWhileItRuns)
{
    struct Case {
        const char* editor;
        int field;
        bool bButton;
    } cases[] = {
        {"category editor", IDC_CATEGORY3, false},
        {"URL icon exchange", IDC_WEBLINK_ICON1, false},
        {"side-image dialog", IDC_LEFT_IMAGE, false},
        {"Internet welcome editor", IDC_EDIT_INTERNET_WELCOME, true},
    };
    for (const Case& c : cases) {
        CWinApp app;  // the program's application object, whose main window the editors take as owner
        CAnimationDlg dlg;
        app.m_pMainWnd = &dlg;
        POINT goPoint{};
        CDialogDriver driver;
        driver.Then([&](HWND d) {
            PumpFor(d, 200);
            const RECT go = ScreenRectOf(::GetDlgItem(d, IDC_GO_TEXT));
            goPoint = {(go.left + go.right) / 2, (go.top + go.bottom) / 2};
            if (c.bButton)
                ClickButtonNow(d, c.field);
            else
                ClickFieldNow(d, c.field);
            EXPECT_EQ(2u, driver.m_dialogs.size()) << c.editor << ": it opened, and the click on the window opened nothing";
            EXPECT_TRUE(::IsWindowEnabled(d)) << c.editor;
            // Free again: the same click shows the window's message.
            ClickAt(goPoint);
            PumpFor(d, 300);
            EXPECT_EQ(1u, m_boxes.m_boxes.size()) << c.editor;
            m_boxes.m_boxes.clear();
            ::SetCursorPos(1000, 700);
            dlg.EndDialog(IDCANCEL);
        });
        driver.Then([&](HWND editor) {
            // The editor out of the way of the Go text, which is then clicked for real.
            const RECT rc = ScreenRectOf(editor);
            ::SetWindowPos(editor, nullptr, goPoint.x < 512 ? 1024 - (rc.right - rc.left) : 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER);
            EXPECT_FALSE(::IsWindowEnabled(dlg.m_hWnd)) << c.editor;
            ClickAt(goPoint);
            PumpFor(editor, 300);
            EXPECT_TRUE(m_boxes.m_boxes.empty()) << c.editor << ": the click opened a box";
            ::PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
        });
        dlg.DoModal();
        EXPECT_TRUE(driver.AllStepsRan()) << c.editor << " did not open";
    }
}

}  // namespace
