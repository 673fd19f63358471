// The program's entry point: the one application object runs the whole session.
#include "app/CustomizeApp.h"
#include "flash/FlashBandWorker.h"

#include <windows.h>

namespace {
CCustomizeApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const int code = theApp.RunInstance();
    // A band thread still inside a hostile movie's work when the window closed ends with the
    // process, before the program's statics are torn down under it.
    if (CFlashBandWorker::RunningThreads() > 0)
        ::ExitProcess(static_cast<UINT>(code));
    return code;
}
