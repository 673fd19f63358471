// Runs the main customization window on the sample installation and looks at it the way the
// system does: control rectangles, hit tests at screen points, clicks on its fields, and
// what its controls paint.
#pragma once

#include "tests/support/DialogDriver.h"

#include "framework/SystemLanguage.h"
#include "mainwnd/AnimationDlg.h"
#include "tests/support/PlatformBoxes.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestPixels.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// A fresh sample installation (registry and artwork in a scratch base directory), message
// boxes recorded, and the system language English (United States) unless a test sets another.
class CMainWindowTest : public ::testing::Test {
protected:
    CMainWindowTest();
    ~CMainWindowTest() override;

    using Step = std::function<void(HWND dialog, CAnimationDlg& dlg)>;
    // Constructs the window, lets `prepare` change it before the run, runs it modally and
    // runs `step` inside it once it is open. The step must end the run. Returns DoModal's result.
    INT_PTR Run(Step step, std::function<void(CAnimationDlg&)> prepare = {});

    std::string ImagesDirectory() const { return m_base.Path() + "\\images"; }

    CScratchDirectory m_base;
    CMessageBoxRecorder m_boxes;

private:
    LANGID m_previousLanguage;
};

CAnimationDlg& MainWindowOf(HWND dialog);
CBitmapStatic& BitmapStaticOf(HWND dialog, int id);

// A control's rectangle in the dialog's client coordinates.
RECT ControlRect(HWND dialog, int id);
// A point or a size in dialog units converted to pixels for the dialog's font.
POINT DialogUnitsToPixels(HWND dialog, int x, int y);
// The screen point at (dx, dy) from the window's top left corner (its window rectangle).
POINT WindowPoint(HWND dialog, int dx, int dy);
POINT ClientPointToScreen(HWND dialog, int x, int y);

// The system's hit test for the pointer at a screen point: each visible child under the point,
// from the top of the Z order, then the dialog, until one answers something other than
// HTTRANSPARENT.
struct CHitTest {
    HWND window;
    LRESULT code;
};
CHitTest SystemHitTest(HWND dialog, POINT screen);

// Dispatches the waiting messages as the dialog's own loop would.
void PumpMessages(HWND dialog);
