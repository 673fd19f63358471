#include "tests/support/ProgramRun.h"

#include "tests/support/DialogDriver.h"
#include "tests/support/TestEnvironment.h"

#include <stdexcept>
#include <vector>

bool IsMessageBox(HWND hwnd)
{
    // A dialog with the text static 0xFFFF, an OK button and no more than an icon besides.
    char className[16] = {};
    ::GetClassNameA(hwnd, className, sizeof(className));
    int children = 0;
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ++children;
    return std::string(className) == "#32770" && ::GetDlgItem(hwnd, 0xFFFF) && ::GetDlgItem(hwnd, IDOK) &&
           children <= 3;
}

CProgramRun::CProgramRun(const std::string& directory)
{
    PROCESS_INFORMATION pi = StartProcess("\"" + ProgramPath() + "\"", directory);
    ::CloseHandle(pi.hThread);
    m_process = CHandle(pi.hProcess);
    m_processId = pi.dwProcessId;
}

CProgramRun::~CProgramRun()
{
    if (::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(m_process.Get(), 1);
        ::WaitForSingleObject(m_process.Get(), 5000);
    }
}

namespace {

struct CWindowSearch {
    DWORD processId;
    const std::function<bool(HWND)>* test;
    HWND found;
};

// A visible, enabled window of the process that passes the test ends the search.
BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<CWindowSearch*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->processId && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd) && (*search->test)(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND CProgramRun::WaitForWindow(const std::function<bool(HWND)>& test, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        CWindowSearch search{m_processId, &test, nullptr};
        ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        if (::GetTickCount() - start > timeoutMs || ::WaitForSingleObject(m_process.Get(), 0) != WAIT_TIMEOUT)
            return nullptr;
        ::Sleep(1);
    }
}

HWND CProgramRun::WaitForDialogWith(int controlId, DWORD timeoutMs)
{
    return WaitForWindow([controlId](HWND hwnd) { return ::GetDlgItem(hwnd, controlId) != nullptr; }, timeoutMs);
}

HWND CProgramRun::WaitForMessageBox(DWORD timeoutMs)
{
    return WaitForWindow(
        [](HWND hwnd) {
            char className[16] = {};
            ::GetClassNameA(hwnd, className, sizeof(className));
            return IsMessageBox(hwnd);
        },
        timeoutMs);
}

DWORD CProgramRun::WaitForExit(DWORD timeoutMs)
{
    // This thread's messages are dispatched meanwhile: the program may act on a window of
    // ours (ShowWindow from another process waits for the window's thread).
    const DWORD deadline = ::GetTickCount() + timeoutMs;
    HANDLE process = m_process.Get();
    for (;;) {
        const DWORD now = ::GetTickCount();
        if (now >= deadline)
            return static_cast<DWORD>(-1);
        if (::MsgWaitForMultipleObjects(1, &process, FALSE, deadline - now, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    DWORD exitCode = static_cast<DWORD>(-1);
    ::GetExitCodeProcess(process, &exitCode);
    return exitCode;
}

std::string MessageBoxText(HWND box)
{
    return ItemText(box, 0xFFFF);
}

void PressMessageBoxOk(HWND box)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
}

