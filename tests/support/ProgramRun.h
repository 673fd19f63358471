// Runs the real program in another process and finds its windows, as a user (or an outside
// tool) would: by class, caption, control id and text.
#pragma once

#include "framework/WinHandles.h"

#include <windows.h>

#include <functional>
#include <string>

class CProgramRun {
public:
    // Starts the program with the given current directory.
    explicit CProgramRun(const std::string& directory);
    CProgramRun(const CProgramRun&) = delete;
    CProgramRun& operator=(const CProgramRun&) = delete;
    // Ends the program if it still runs.
    ~CProgramRun();

    // The first visible, enabled top-level window of the program that satisfies the test,
    // waiting for it up to the time given; null when none came.
    HWND WaitForWindow(const std::function<bool(HWND)>& test, DWORD timeoutMs = 10000);
    // A dialog of the program holding a control with that id.
    HWND WaitForDialogWith(int controlId, DWORD timeoutMs = 10000);
    // A message box of the program (its text is the static 0xFFFF).
    HWND WaitForMessageBox(DWORD timeoutMs = 10000);

    // The exit code, or -1 when the program did not end in time (it then shows something and
    // waits for a user); this thread's messages are dispatched while waiting.
    DWORD WaitForExit(DWORD timeoutMs = 10000);

private:
    CHandle m_process;
    DWORD m_processId = 0;
};

bool IsMessageBox(HWND hwnd);
// The text of a message box, and a click on its OK button.
std::string MessageBoxText(HWND box);
void PressMessageBoxOk(HWND box);
