#include "framework/WinApp.h"

#include <commctrl.h>

namespace {
CWinApp* g_pCurrentApp = nullptr;
}

CWinApp::CWinApp()
{
    g_pCurrentApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pCurrentApp == this)
        g_pCurrentApp = nullptr;
}

CWinApp* CWinApp::Current()
{
    return g_pCurrentApp;
}

BOOL CWinApp::InitInstance()
{
    return FALSE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::RunInstance()
{
    if (!InitInstance())
        return ExitInstance();
    return Run();
}

void CWinApp::EnableControlHosting()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}
