// The software CD replica as it appears on a real display: its client area is captured and
// compared with the sample artwork.
#include "editors/CdEditDlg.h"
#include "res/resource.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

// The dialog's client area and its controls' rectangles, captured while it was on screen.
struct Capture {
    std::unique_ptr<CDibCanvas> canvas;
    std::map<int, RECT> controls;  // window rectangles in client coordinates, visible controls
    std::map<int, RECT> clients;   // client rectangles in the dialog's client coordinates
};

Capture CaptureDialog(HWND dlg)
{
    ::RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::GdiFlush();

    Capture capture;
    RECT client{};
    ::GetClientRect(dlg, &client);
    capture.canvas = std::make_unique<CDibCanvas>(client.right, client.bottom, RGB(1, 2, 3));
    HDC window = ::GetDC(dlg);
    ::BitBlt(capture.canvas->Dc(), 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
    ::ReleaseDC(dlg, window);

    for (HWND child = ::GetWindow(dlg, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child))
            continue;
        const int id = ::GetDlgCtrlID(child);
        RECT rc{};
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
        capture.controls[id] = rc;
        RECT inner{};
        ::GetClientRect(child, &inner);
        ::MapWindowPoints(child, dlg, reinterpret_cast<POINT*>(&inner), 2);
        capture.clients[id] = inner;
    }
    return capture;
}

class X11CdDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallSampleRegistry();
        CopySampleImages(m_base.Path());
    }

    Capture RunAndCapture()
    {
        Capture capture;
        CCdEditDlg dlg;
        RunDialog(dlg, [&](HWND hwnd) {
            capture = CaptureDialog(hwnd);
            ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        });
        return capture;
    }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;
};

TEST_F(X11CdDialogTest, ClientAreaShowsTheArtworkWithWhiteTexts)
{
    Capture capture = RunAndCapture();
    ASSERT_TRUE(capture.canvas);
    const CDibCanvas& canvas = *capture.canvas;
    EXPECT_TRUE(m_boxes.m_boxes.empty());

    // Everywhere outside the controls the client area is the background picture.
    const CPixels background = LoadBitmapPixels(m_base.Path() + "\\images\\CDBkgd.bmp");
    ASSERT_LE(canvas.Width(), background.width);
    ASSERT_LE(canvas.Height(), background.height);
    auto onControl = [&](int x, int y) {
        for (const auto& [id, rc] : capture.controls)
            if (x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom)
                return true;
        return false;
    };
    int compared = 0;
    int different = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (onControl(x, y))
                continue;
            ++compared;
            if (canvas.Pixel(x, y) != background.At(x, y) && ++different <= 5)
                ADD_FAILURE() << "background differs at " << x << ", " << y;
        }
    }
    EXPECT_EQ(0, different);
    EXPECT_GT(compared, canvas.Width() * canvas.Height() / 10);

    // The OK label shows the button picture from its client area's corner; its text is
    // centred, so the left part is picture only.
    const CPixels button = LoadBitmapPixels(m_base.Path() + "\\images\\CDButton.bmp");
    const RECT label = capture.clients.at(IDC_CD_OKAY);
    const int labelHeight = std::min<int>(label.bottom - label.top, button.height);
    for (int y = 0; y < labelHeight; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(button.At(x, y), canvas.Pixel(label.left + x, label.top + y)) << x << ", " << y;

    // The notice line, the check box and the OK label write in white on the pictures.
    for (int id : {IDC_CD_NOTICE, IDC_CD_NO_SHOW, IDC_CD_OKAY}) {
        const RECT rc = capture.clients.at(id);
        int white = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                white += canvas.Pixel(x, y) == RGB(255, 255, 255);
        EXPECT_GT(white, 10) << "white text in " << id;
    }

    // The edit fields keep the platform's colours.
    const RECT field = capture.clients.at(IDC_CD_TEXT4);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), canvas.Pixel(field.right - 3, field.bottom - 3));
}

}  // namespace
