#include "tests/support/MainWindowHarness.h"

#include "tests/support/DialogDriver.h"
#include "tests/support/TestPixels.h"
#include "tests/support/TestRegistry.h"

#include <stdexcept>

CMainWindowTest::CMainWindowTest()
{
    InstallSampleRegistry();
    CopySampleImages(m_base.Path());
    m_previousLanguage = SetSystemLanguageOverride(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
}

CMainWindowTest::~CMainWindowTest()
{
    SetSystemLanguageOverride(m_previousLanguage);
}

INT_PTR CMainWindowTest::Run(Step step, std::function<void(CAnimationDlg&)> prepare)
{
    CDialogDriver driver;
    CAnimationDlg dlg;
    if (prepare)
        prepare(dlg);
    driver.Then([&](HWND dialog) { step(dialog, dlg); });
    INT_PTR result = dlg.DoModal();
    EXPECT_TRUE(driver.AllStepsRan());
    return result;
}

CAnimationDlg& MainWindowOf(HWND dialog)
{
    auto* dlg = dynamic_cast<CAnimationDlg*>(CWnd::FromHandle(dialog));
    if (!dlg)
        throw std::logic_error("not the main window");
    return *dlg;
}

CBitmapStatic& BitmapStaticOf(HWND dialog, int id)
{
    auto* control = dynamic_cast<CBitmapStatic*>(CWnd::FromHandle(::GetDlgItem(dialog, id)));
    if (!control)
        throw std::logic_error("control " + std::to_string(id) + " is no bitmap static");
    return *control;
}

RECT ControlRect(HWND dialog, int id)
{
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rc);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

POINT DialogUnitsToPixels(HWND dialog, int x, int y)
{
    RECT rc{0, 0, x, y};
    ::MapDialogRect(dialog, &rc);
    return {rc.right, rc.bottom};
}

POINT WindowPoint(HWND dialog, int dx, int dy)
{
    RECT rc{};
    ::GetWindowRect(dialog, &rc);
    return {rc.left + dx, rc.top + dy};
}

POINT ClientPointToScreen(HWND dialog, int x, int y)
{
    POINT pt{x, y};
    ::ClientToScreen(dialog, &pt);
    return pt;
}

CHitTest SystemHitTest(HWND dialog, POINT screen)
{
    const LPARAM position = MAKELPARAM(screen.x, screen.y);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(::GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        RECT rc{};
        ::GetWindowRect(child, &rc);
        if (!::PtInRect(&rc, screen))
            continue;
        LRESULT code = ::SendMessageA(child, WM_NCHITTEST, 0, position);
        if (code != HTTRANSPARENT)
            return {child, code};
    }
    return {dialog, ::SendMessageA(dialog, WM_NCHITTEST, 0, position)};
}

void PumpMessages(HWND dialog)
{
    auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandle(dialog));
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!dlg || !dlg->PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}
