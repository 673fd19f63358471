// CWinApp: the application object. The program's entry point calls RunInstance on the one
// global instance; a false InitInstance ends the process at once.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Pumps messages until WM_QUIT; used only when InitInstance returns true.
    virtual int Run();

    // InitInstance, then either ExitInstance (on false) or Run; the process's exit code.
    int RunInstance();

    // Registers the window classes of the controls the dialogs host (common controls and
    // tooltips); called once before the first dialog.
    void EnableControlHosting();

    CWnd* m_pMainWnd = nullptr;

    static CWinApp* Current();
};
