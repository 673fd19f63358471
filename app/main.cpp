// The program's entry point: the one application object runs the whole session.
#include "app/CustomizeApp.h"

#include <windows.h>

namespace {
CCustomizeApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return theApp.RunInstance();
}
