// Drives the modal dialogs that the code under test opens on this thread: each dialog that
// finishes its initialisation takes the next queued step, which runs from inside the
// dialog's own message loop.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class CDialogDriver {
public:
    using Step = std::function<void(HWND dialog)>;

    CDialogDriver();
    CDialogDriver(const CDialogDriver&) = delete;
    CDialogDriver& operator=(const CDialogDriver&) = delete;
    ~CDialogDriver();

    CDialogDriver& Then(Step step);
    bool AllStepsRan() const { return m_steps.empty(); }

    // Every dialog that initialised, in order.
    std::vector<HWND> m_dialogs;
    std::vector<std::string> m_captions;

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

    HHOOK m_hook = nullptr;
    std::deque<Step> m_steps;
    std::deque<std::pair<HWND, Step>> m_pending;
};

// Runs a dialog modally; `step` acts on it once it is open. Returns the dialog's result.
template <class TDialog>
INT_PTR RunDialog(TDialog& dlg, const CDialogDriver::Step& step)
{
    CDialogDriver driver;
    driver.Then(step);
    INT_PTR result = dlg.DoModal();
    if (!driver.AllStepsRan())
        ADD_FAILURE() << "the dialog did not open";
    return result;
}

// Step helpers.
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
// Clicks a button as the user would (BM_CLICK, posted).
void ClickButton(HWND dialog, int id);
// The close box of the caption.
void CloseWithCloseBox(HWND dialog);
// A key press sent through the dialog's message loop to its focused control.
void PressKey(HWND dialog, UINT virtualKey);
// The same click, handled before the call returns.
void ClickButtonNow(HWND dialog, int id);
// A click of the mouse on a static that reports clicks (a field of the replicas), posted as
// the user's is; and the same click handled before the call returns.
void ClickField(HWND dialog, int id);
void ClickFieldNow(HWND dialog, int id);
// Types a text into an edit field as the keyboard does, replacing what it holds (a multi-line
// field tells no change when its text is merely set).
void TypeInto(HWND dialog, int id, const std::string& text);
