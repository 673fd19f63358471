#include "tests/support/DialogDriver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {
CDialogDriver* g_pDriver = nullptr;
}

CDialogDriver::CDialogDriver()
{
    if (g_pDriver)
        throw std::logic_error("one dialog driver at a time");
    g_pDriver = this;
    m_hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &HookProc, nullptr, ::GetCurrentThreadId());
}

CDialogDriver::~CDialogDriver()
{
    ::UnhookWindowsHookEx(m_hook);
    g_pDriver = nullptr;
}

CDialogDriver& CDialogDriver::Then(Step step)
{
    m_steps.push_back(std::move(step));
    return *this;
}

LRESULT CALLBACK CDialogDriver::HookProc(int code, WPARAM wParam, LPARAM lParam)
{
    auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && g_pDriver && call->message == WM_INITDIALOG) {
        CDialogDriver& driver = *g_pDriver;
        driver.m_dialogs.push_back(call->hwnd);
        char caption[512] = {};
        ::GetWindowTextA(call->hwnd, caption, sizeof(caption));
        driver.m_captions.push_back(caption);
        if (!driver.m_steps.empty()) {
            driver.m_pending.emplace_back(call->hwnd, std::move(driver.m_steps.front()));
            driver.m_steps.pop_front();
            // The step runs once the dialog's loop picks up the timer.
            ::SetTimer(nullptr, 0, 1, &TimerProc);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK CDialogDriver::TimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    if (!g_pDriver || g_pDriver->m_pending.empty())
        return;
    auto [dialog, step] = std::move(g_pDriver->m_pending.front());
    g_pDriver->m_pending.pop_front();
    step(dialog);
    // A failed assertion may have left the step before it closed the dialog.
    if (::testing::Test::HasFatalFailure() && ::IsWindow(dialog))
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::string ItemText(HWND dialog, int id)
{
    // WM_GETTEXT rather than GetWindowText, which does not ask a window of another process.
    HWND item = ::GetDlgItem(dialog, id);
    LRESULT length = ::SendMessageA(item, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(item, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

void SetItemText(HWND dialog, int id, const std::string& text)
{
    ::SetDlgItemTextA(dialog, id, text.c_str());
}

void ClickButton(HWND dialog, int id)
{
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void CloseWithCloseBox(HWND dialog)
{
    ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PressKey(HWND dialog, UINT virtualKey)
{
    HWND focus = ::GetFocus();
    HWND target = focus ? focus : dialog;
    ::PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000001);
}

void ClickButtonNow(HWND dialog, int id)
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void ClickField(HWND dialog, int id)
{
    HWND field = ::GetDlgItem(dialog, id);
    ::PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    ::PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
}

void ClickFieldNow(HWND dialog, int id)
{
    HWND field = ::GetDlgItem(dialog, id);
    ::SendMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    ::SendMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
}

void TypeInto(HWND dialog, int id, const std::string& text)
{
    HWND field = ::GetDlgItem(dialog, id);
    ::SetFocus(field);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
    for (char c : text)
        ::SendMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
}
